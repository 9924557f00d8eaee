#include "CategoryDialog.h"

#include "CategoryRecord.h"
#include "DealVocabulary.h"
#include "SessionContext.h"
#include "TextTable.h"

#include <QAction>
#include <QApplication>
#include <QSet>
#include <QTreeWidget>

namespace {

constexpr int KeyRole = Qt::UserRole;

enum Level { CategoryLevel = 1, AttributeLevel = 2, ValueLevel = 3 };

QString keyOf(const QTreeWidgetItem *node)
{
    return node->data(0, KeyRole).toString();
}

} // namespace

CategoryDialog::CategoryDialog(const QStringList &keys, QWidget *parent)
    : CheckTreeDialog(TextTable::LoadText(1038), parent)
{
    QAction *clearAll = addCommand(QStringLiteral("ID_ClearAll"), tr("Clear All"));
    QAction *clearCategory =
        addCommand(QStringLiteral("ID_ClearCategory"), tr("Clear Categories"));
    QAction *clearAttributes =
        addCommand(QStringLiteral("ID_ClearAttributes"), tr("Clear Attributes"));
    QAction *clearValues = addCommand(QStringLiteral("ID_ClearValues"), tr("Clear Values"));
    m_attributesChild =
        addCommand(QStringLiteral("ID_AttributesChild"), tr("Select Attributes"));
    m_valuesChild = addCommand(QStringLiteral("ID_ValuesChild"), tr("Select Values"));
    m_unselectChildValues =
        addCommand(QStringLiteral("ID_UnselectChildValues"), tr("Unselect Children"));
    QAction *invert = addCommand(QStringLiteral("ID_InvertSelection"), tr("Invert Selection"));
    addPopupMenu(QStringLiteral("ID_PopUpCategory"), {CategoryLevel},
                 {m_attributesChild, m_unselectChildValues, clearCategory, clearAll, invert});
    addPopupMenu(QStringLiteral("ID_PopUpAttributes"), {AttributeLevel},
                 {m_valuesChild, m_unselectChildValues, clearAttributes, clearAll, invert});
    addPopupMenu(QStringLiteral("ID_PopUpValues"), {ValueLevel}, {clearValues, clearAll, invert});
    currentNodeChanged(nullptr);

    QList<CategoryRecord> categories;
    if (!readCategories(categories))
        return;
    build(categories);
    showTop();
    restore(keys);
}

void CategoryDialog::build(const QList<CategoryRecord> &categories)
{
    const QChar separator = QLatin1Char('|');
    for (const CategoryRecord &record : categories) {
        QTreeWidgetItem *category = addNode(nullptr, record.Name);
        category->setData(0, KeyRole, record.Name);
        for (const CategoryRecord::Attribute &attribute : record.Attributes) {
            QTreeWidgetItem *attributeNode = addNode(category, attribute.Name);
            const QString attributeKey = record.Name + separator + attribute.Name;
            attributeNode->setData(0, KeyRole, attributeKey);
            for (const QString &value : attribute.Values) {
                const QString valueKey = attributeKey + separator + value;
                addNode(attributeNode, value)->setData(0, KeyRole, valueKey);
            }
        }
    }
}

void CategoryDialog::restore(const QStringList &keys)
{
    if (keys.isEmpty() || keys.first() == QLatin1String("All"))
        return;
    const QSet<QString> wanted(keys.cbegin(), keys.cend());
    for (QTreeWidgetItem *node : allNodes()) {
        if (wanted.contains(keyOf(node))) {
            setNodeChecked(node, true);
            // Opens the parents down to the node.
            tree()->scrollToItem(node);
        }
    }
    refreshBold();
    if (tree()->topLevelItemCount() > 0)
        tree()->scrollToItem(tree()->topLevelItem(0));
}

QStringList CategoryDialog::keys() const
{
    QStringList checked;
    QSet<QString> seen;
    for (const QTreeWidgetItem *node : allNodes()) {
        const QString key = keyOf(node);
        if (isChecked(node) && !seen.contains(key)) {
            seen.insert(key);
            checked.append(key);
        }
    }
    return checked;
}

QString CategoryDialog::title() const
{
    return DealVocabulary::KeyTitle(keys());
}

void CategoryDialog::install()
{
    SessionContext::instance().setCategorySelector(&CategoryDialog::select);
}

bool CategoryDialog::select(QStringList &keys, QString &title)
{
    // A console host has no widgets to show; asking nothing is the answer.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    CategoryDialog dialog(keys, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    keys = dialog.keys();
    title = dialog.title();
    return true;
}

void CategoryDialog::runCommand(const QString &id)
{
    const QList<QTreeWidgetItem *> nodes = allNodes();
    const auto uncheckLevel = [&](int only) {
        for (QTreeWidgetItem *node : nodes) {
            if (only == 0 || level(node) == only)
                setNodeChecked(node, false);
        }
    };
    QTreeWidgetItem *current = tree()->currentItem();
    if (id == QLatin1String("ID_ClearAll")) {
        uncheckLevel(0);
    } else if (id == QLatin1String("ID_ClearCategory")) {
        uncheckLevel(CategoryLevel);
    } else if (id == QLatin1String("ID_ClearAttributes")) {
        uncheckLevel(AttributeLevel);
    } else if (id == QLatin1String("ID_ClearValues")) {
        uncheckLevel(ValueLevel);
    } else if (id == QLatin1String("ID_AttributesChild")) {
        if (current && level(current) == CategoryLevel)
            setChildrenChecked(current, true);
    } else if (id == QLatin1String("ID_ValuesChild")) {
        if (current && level(current) == AttributeLevel)
            setChildrenChecked(current, true);
    } else if (id == QLatin1String("ID_UnselectChildValues")) {
        if (current)
            setChildrenChecked(current, false);
    } else if (id == QLatin1String("ID_InvertSelection")) {
        for (QTreeWidgetItem *node : nodes)
            setNodeChecked(node, !isChecked(node));
    }
    refreshBold();
}

void CategoryDialog::nodeCheckChanged(QTreeWidgetItem *node)
{
    if (QTreeWidgetItem *parent = node->parent())
        setNodeBold(parent, hasCheckedChild(parent));
}

void CategoryDialog::currentNodeChanged(QTreeWidgetItem *node)
{
    const int nodeLevel = node ? level(node) : 0;
    m_attributesChild->setEnabled(nodeLevel == CategoryLevel && node->childCount() > 0);
    m_valuesChild->setEnabled(nodeLevel == AttributeLevel && node->childCount() > 0);
    m_unselectChildValues->setEnabled(node && node->childCount() > 0);
}

void CategoryDialog::refreshBold()
{
    for (QTreeWidgetItem *node : allNodes()) {
        if (node->childCount() > 0)
            setNodeBold(node, hasCheckedChild(node));
    }
}

void CategoryDialog::setChildrenChecked(QTreeWidgetItem *node, bool checked)
{
    for (int i = 0; i < node->childCount(); ++i)
        setNodeChecked(node->child(i), checked);
    node->setExpanded(true);
}
