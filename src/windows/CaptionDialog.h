#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
namespace widgets {
class GridColumn;
}
class QPushButton;

/// The column caption dialog (frmCaption): asks the user for a new caption of
/// a grid column. The caller applies the caption to the column; the column
/// layout saved afterwards keeps it.
///
/// OK (btnOk) is enabled only while the text in txtCaption is not empty and
/// differs from the old caption; the comparison is exact, so a change of
/// letter case alone is a change. Enter confirms while OK is enabled, Escape
/// cancels. Closing the window in any way other than OK counts as cancelling.
class CaptionDialog final : public QDialog
{
    Q_OBJECT
public:
    /// A dialog with \a oldCaption in its text box; the window title is text
    /// 13086 of the text table.
    explicit CaptionDialog(const QString &oldCaption, QWidget *parent = nullptr);

    /// Shows the dialog modally over \a parent. Returns true and sets
    /// \a newCaption to the confirmed text when the user pressed OK; returns
    /// false and leaves \a newCaption untouched when the dialog was cancelled.
    static bool ChangeColumn(const QString &oldCaption, QString &newCaption, QWidget *parent = nullptr);
    /// Asks for a new caption of \a column and gives it the confirmed text;
    /// false when cancelled, and at once for a null column. A column deleted
    /// while the dialog is open is left alone.
    static bool ChangeColumn(widgets::GridColumn *column, QWidget *parent = nullptr);

    QString oldCaption() const { return m_oldCaption; }
    /// The text confirmed with OK; empty while the dialog was not confirmed.
    QString newCaption() const { return m_newCaption; }
    /// False only after OK.
    bool isCancelled() const { return m_cancelled; }

private:
    void updateOkButton();
    void confirm();
    void cancel();

    QLineEdit *m_txtCaption = nullptr;
    QPushButton *m_btnOk = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QString m_oldCaption;
    QString m_newCaption;
    bool m_cancelled = true;
};
