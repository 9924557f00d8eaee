#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QAction;
class QDialogButtonBox;
class QLabel;
class QMenu;
class QToolBar;
struct CategoryRecord;
class QTreeWidget;
class QTreeWidgetItem;

/// The frame shared by the modal selection dialogs that pick from a tree with
/// check boxes: the tree (object name "treeCategory", one column, no header),
/// a tool row of commands, a pop-up menu per node level on the right mouse
/// button, and OK/Cancel at the bottom right (Enter accepts, Escape cancels).
///
/// A derived dialog fills the tree, adds its commands (each a QAction whose
/// object name is its tool id, shared by the tool row and the pop-up menus)
/// and implements its node-check rule in nodeCheckChanged(). The rule runs
/// only for changes the user makes on a check box; every change the dialog
/// makes itself goes through setNodeChecked() / setNodeBold(), which never
/// re-enter the rule, so a rule may touch other nodes freely.
class CheckTreeDialog : public QDialog
{
    Q_OBJECT

public:
    QTreeWidget *tree() const { return m_tree; }

    /// Node level: 1 for a top-level node, 2 for its children, and so on.
    static int level(const QTreeWidgetItem *node);
    static bool isChecked(const QTreeWidgetItem *node);
    /// Whether at least one direct child of node is checked.
    static bool hasCheckedChild(const QTreeWidgetItem *node);

protected:
    CheckTreeDialog(const QString &windowTitle, QWidget *parent);

    /// A command on the tool row; its triggered() calls runCommand(id).
    QAction *addCommand(const QString &id, const QString &caption);
    /// The pop-up menu (object name id) shown on a right click on a node of
    /// one of levels; a later menu for the same level replaces the earlier.
    void addPopupMenu(const QString &id, const QList<int> &levels,
                      const QList<QAction *> &commands);

    /// A node with a check box (unchecked), under parent or at the top when null.
    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &text);
    /// Every node, parents before their children, in the order shown.
    QList<QTreeWidgetItem *> allNodes() const;

    void setNodeChecked(QTreeWidgetItem *node, bool checked);
    void setNodeBold(QTreeWidgetItem *node, bool bold);

    /// The counterparty categories of the directory. When they cannot be
    /// read, shows why, leaves only Cancel (so that an empty tree is never
    /// taken for "nothing selected") and returns false.
    bool readCategories(QList<CategoryRecord> &categories);
    /// Expands the top-level nodes and shows the first node.
    void showTop();

    virtual void runCommand(const QString &id) = 0;
    /// The user changed node's check mark.
    virtual void nodeCheckChanged(QTreeWidgetItem *node) = 0;
    /// The current node changed (null when none): commands may depend on it.
    virtual void currentNodeChanged(QTreeWidgetItem *node) { Q_UNUSED(node) }

private:
    void onItemChanged(QTreeWidgetItem *node, int column);
    void showPopupMenu(const QPoint &pos);

    QTreeWidget *m_tree = nullptr;
    QToolBar *m_tools = nullptr;
    QLabel *m_error = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    QList<QMenu *> m_popupByLevel;   // index level - 1; null when a level has none
    bool m_quiet = false;            // true while the dialog itself changes nodes
};
