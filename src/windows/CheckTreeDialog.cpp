#include "CheckTreeDialog.h"

#include "CategoryRecord.h"
#include "DirectoryProvider.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

CheckTreeDialog::CheckTreeDialog(const QString &windowTitle, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(windowTitle);
    setModal(true);

    // A tool bar rather than a row of buttons: with more commands than fit
    // the width it folds the rest into its extension menu.
    m_tools = new QToolBar(this);
    m_tools->setToolButtonStyle(Qt::ToolButtonTextOnly);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("treeCategory"));
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QTreeWidget::itemChanged, this, &CheckTreeDialog::onItemChanged);
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this,
            &CheckTreeDialog::showPopupMenu);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { currentNodeChanged(current); });

    m_error = new QLabel(this);
    m_error->setWordWrap(true);
    m_error->setVisible(false);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tools);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_error);
    layout->addWidget(m_buttons);
    resize(420, 520);
}

int CheckTreeDialog::level(const QTreeWidgetItem *node)
{
    int depth = 0;
    for (; node; node = node->parent())
        ++depth;
    return depth;
}

bool CheckTreeDialog::isChecked(const QTreeWidgetItem *node)
{
    return node->checkState(0) == Qt::Checked;
}

bool CheckTreeDialog::hasCheckedChild(const QTreeWidgetItem *node)
{
    for (int i = 0; i < node->childCount(); ++i) {
        if (isChecked(node->child(i)))
            return true;
    }
    return false;
}

QAction *CheckTreeDialog::addCommand(const QString &id, const QString &caption)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(id);
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    m_tools->addAction(action);
    return action;
}

void CheckTreeDialog::addPopupMenu(const QString &id, const QList<int> &levels,
                                   const QList<QAction *> &commands)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(id);
    menu->addActions(commands);
    for (const int level : levels) {
        Q_ASSERT(level >= 1);
        while (m_popupByLevel.size() < level)
            m_popupByLevel.append(nullptr);
        m_popupByLevel[level - 1] = menu;
    }
}

QTreeWidgetItem *CheckTreeDialog::addNode(QTreeWidgetItem *parent, const QString &text)
{
    const QScopedValueRollback quiet(m_quiet, true);
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    node->setText(0, text);
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    node->setCheckState(0, Qt::Unchecked);
    return node;
}

QList<QTreeWidgetItem *> CheckTreeDialog::allNodes() const
{
    QList<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        nodes.append(*it);
    return nodes;
}

void CheckTreeDialog::setNodeChecked(QTreeWidgetItem *node, bool checked)
{
    const QScopedValueRollback quiet(m_quiet, true);
    node->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CheckTreeDialog::setNodeBold(QTreeWidgetItem *node, bool bold)
{
    QFont font = node->font(0);
    if (font.bold() == bold)
        return;
    // A font change raises itemChanged too; it is not a check change.
    const QScopedValueRollback quiet(m_quiet, true);
    font.setBold(bold);
    node->setFont(0, font);
}

bool CheckTreeDialog::readCategories(QList<CategoryRecord> &categories)
{
    DirectoryProvider &directory = DirectoryProvider::instance();
    categories = directory.CategoryList();
    if (!categories.isEmpty() || !directory.lastError())
        return true;
    m_error->setText(tr("The counterparty categories cannot be read: %1").arg(directory.lastError()->Description));
    m_error->setVisible(true);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    m_tools->setEnabled(false);
    return false;
}

void CheckTreeDialog::showTop()
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        m_tree->topLevelItem(i)->setExpanded(true);
    if (m_tree->topLevelItemCount() > 0)
        m_tree->scrollToItem(m_tree->topLevelItem(0));
}

void CheckTreeDialog::onItemChanged(QTreeWidgetItem *node, int column)
{
    if (m_quiet || column != 0)
        return;
    const QScopedValueRollback quiet(m_quiet, true);
    nodeCheckChanged(node);
}

void CheckTreeDialog::showPopupMenu(const QPoint &pos)
{
    QTreeWidgetItem *node = m_tree->itemAt(pos);
    if (!node || !m_tools->isEnabled())
        return;
    // The commands act on the current node: the node clicked on.
    m_tree->setCurrentItem(node);
    const int index = level(node) - 1;
    if (index < m_popupByLevel.size() && m_popupByLevel[index])
        m_popupByLevel[index]->popup(m_tree->viewport()->mapToGlobal(pos));
}
