#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

/// The window that asks for the name and description of a new stored filter
/// (opened by ManageStFilters through its Add New button).
///
/// OK (btnOk) is enabled while txtName is not empty. On OK a name that is
/// already taken shows the name conflict message and keeps the window open
/// with the focus in txtName; any other name raises UnlodNew(name,
/// description) and closes the window (accepted). Cancel closes it without
/// the event (rejected).
///
/// A name is taken when it equals an existing name without regard to letter
/// case, or when it cannot name a stored filter at all ("Query", a name with
/// "\"): the settings store compares key and value names without regard to
/// case, so "daily" beside "Daily" would overwrite that filter instead of
/// adding one.
class NewFilter final : public QDialog
{
    Q_OBJECT
public:
    /// \a existingNames: the names of the report's stored filters.
    explicit NewFilter(const QStringList &existingNames, QWidget *parent = nullptr);

    /// Whether \a name cannot be used for a new filter beside \a existingNames.
    static bool isNameTaken(const QString &name, const QStringList &existingNames);

Q_SIGNALS:
    /// The user confirmed a free name. Raised before the window closes.
    void UnlodNew(const QString &name, const QString &description);

private:
    void updateOkButton();
    void confirm();

    QStringList m_existingNames;
    QLabel *m_lblName = nullptr;
    QLineEdit *m_txtName = nullptr;
    QLabel *m_lblDescription = nullptr;
    QLineEdit *m_txtDescription = nullptr;
    QPushButton *m_btnOk = nullptr;
    QPushButton *m_btnCancel = nullptr;
};
