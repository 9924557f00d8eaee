#pragma once

#include <QComboBox>
#include <QStringList>
#include <QVariant>

class QStandardItemModel;

namespace widgets {

/// A drop-down list of check boxes, used for most filters of the query panel.
///
/// Items come from SArrayData: a one-dimensional list of texts (each text is
/// also its identifier), or a two-row table given as a list of two lists, row 0
/// the shown texts and row 1 their identifiers ((0, i) text, (1, i) id).
/// The list starts with the entry "All": checked, it means no restriction.
///
/// TypeData chooses how items are picked: 2 (the default) any number of
/// items, 1 a single item. Other values are kept and act as 2.
///
/// ArrayChecked is the list of checked texts, or {"All"} when nothing
/// restricts; ArrayCheckedID the identifiers of the checked items, empty for
/// "All". Checked texts that are not among the items (a stored filter naming a
/// dealer who has left) are kept and reported by ArrayChecked, so nothing the
/// user chose is lost; they have no identifier. Reloading SArrayData keeps the
/// checked texts.
///
/// Change(argument) is raised on every change of the checked items: argument
/// 0 when the user made it, 1 when code set ArrayChecked or SArrayData.
/// Keyboard: Space or Alt+Down opens the list, arrows move, Space toggles,
/// Enter or Esc closes.
class CheckCombo final : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(int TypeData READ TypeData WRITE setTypeData)
    Q_PROPERTY(QVariant SArrayData READ SArrayData WRITE setSArrayData)
    Q_PROPERTY(QVariant ArrayChecked READ ArrayCheckedVariant WRITE setArrayChecked)
    Q_PROPERTY(QVariant ArrayCheckedID READ ArrayCheckedIDVariant)
    Q_PROPERTY(QString Titul READ Titul)

public:
    explicit CheckCombo(QWidget *parent = nullptr);

    int TypeData() const { return m_typeData; }
    void setTypeData(int type);

    QVariant SArrayData() const { return m_arrayData; }
    void setSArrayData(const QVariant &data);

    QStringList ArrayChecked() const;
    QVariant ArrayCheckedVariant() const { return ArrayChecked(); }
    /// Accepts a QStringList, a list of variants, or a single text. An empty
    /// list or one whose first entry is "All" checks "All".
    void setArrayChecked(const QVariant &checked);
    QVariantList ArrayCheckedID() const;
    QVariant ArrayCheckedIDVariant() const { return ArrayCheckedID(); }
    /// True when "All" is checked.
    bool isAll() const { return m_checked.isEmpty(); }

    /// The short caption of the selection: "All", the one checked text, or "List".
    QString Titul() const;
    /// What the closed box shows: "All" or the checked texts joined with ", ".
    QString displayText() const;

    int itemCountWithoutAll() const;
    QString itemText(int index) const;
    QVariant itemId(int index) const;

    void showPopup() override;

Q_SIGNALS:
    void Change(int argument);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void rebuildItems();
    void syncChecks();
    void toggleRow(int row);
    void setChecked(const QStringList &texts, int argument);

    QStandardItemModel *m_items;
    int m_typeData = 2;
    QVariant m_arrayData;
    QStringList m_checked;   // checked texts, empty for "All"
};

} // namespace widgets
