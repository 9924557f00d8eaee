#include "TcidDialog.h"

#include "CategoryRecord.h"
#include "DealVocabulary.h"
#include "Report.h"
#include "TextTable.h"

#include <QAction>
#include <QSet>
#include <QTreeWidget>

namespace {

const QString ClearAll = QStringLiteral("ID_ClearAll");
const QString ClearCategory = QStringLiteral("ID_ClearCategory");

} // namespace

TcidDialog::TcidDialog(Report *report, QWidget *parent)
    : CheckTreeDialog(TextTable::LoadText(1036), parent)
    , m_report(report)
{
    QAction *clearAll = addCommand(ClearAll, tr("Clear All"));
    QAction *clearCategory = addCommand(ClearCategory, tr("Clear Categories"));
    addPopupMenu(QStringLiteral("ID_PopUpCategory"), {1, 2}, {clearAll, clearCategory});

    QList<CategoryRecord> categories;
    if (!readCategories(categories))
        return;
    build(categories);
    showTop();
    if (m_report)
        restore(m_report->query().Bank);
}

void TcidDialog::build(const QList<CategoryRecord> &categories)
{
    for (const CategoryRecord &record : categories) {
        QTreeWidgetItem *category = addNode(nullptr, record.Name);
        for (const QString &entry : record.Entries)
            addNode(category, entry);
    }
}

void TcidDialog::restore(const QStringList &banks)
{
    if (banks.isEmpty() || banks.first() == QLatin1String("All"))
        return;
    const QSet<QString> wanted(banks.cbegin(), banks.cend());
    QTreeWidgetItem *first = nullptr;
    for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
        QTreeWidgetItem *category = tree()->topLevelItem(i);
        for (int j = 0; j < category->childCount(); ++j) {
            QTreeWidgetItem *entry = category->child(j);
            if (wanted.contains(entry->text(0))) {
                setNodeChecked(entry, true);
                if (!first)
                    first = entry;
            }
        }
        followEntries(category);
    }
    if (first)
        tree()->scrollToItem(first);
}

QStringList TcidDialog::selection() const
{
    // A counterparty listed under two categories is still one counterparty.
    QStringList banks;
    QSet<QString> seen;
    for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *category = tree()->topLevelItem(i);
        for (int j = 0; j < category->childCount(); ++j) {
            const QTreeWidgetItem *entry = category->child(j);
            if (isChecked(entry) && !seen.contains(entry->text(0))) {
                seen.insert(entry->text(0));
                banks.append(entry->text(0));
            }
        }
    }
    return banks;
}

void TcidDialog::accept()
{
    const QStringList banks = selection();
    if (m_report)
        m_report->setQueryField(QStringLiteral("Bank"), banks);
    Q_EMIT Quite(DealVocabulary::ListTitle(banks));
    CheckTreeDialog::accept();
}

void TcidDialog::runCommand(const QString &id)
{
    // Unchecking a category unchecks its counterparties, so both commands
    // leave the tree empty; they stay two because users know both.
    if (id != ClearAll && id != ClearCategory)
        return;
    for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
        QTreeWidgetItem *category = tree()->topLevelItem(i);
        setNodeChecked(category, false);
        followCategory(category);
    }
}

void TcidDialog::nodeCheckChanged(QTreeWidgetItem *node)
{
    if (QTreeWidgetItem *category = node->parent())
        followEntries(category);
    else
        followCategory(node);
}

void TcidDialog::followEntries(QTreeWidgetItem *category)
{
    // A category without counterparties keeps what the user gave it.
    const bool any = category->childCount() > 0 ? hasCheckedChild(category) : isChecked(category);
    setNodeChecked(category, any);
    setNodeBold(category, any);
}

void TcidDialog::followCategory(QTreeWidgetItem *category)
{
    const bool checked = isChecked(category);
    for (int j = 0; j < category->childCount(); ++j)
        setNodeChecked(category->child(j), checked);
    setNodeBold(category, checked);
}
