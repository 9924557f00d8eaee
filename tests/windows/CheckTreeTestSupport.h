#pragma once

// Helpers for the tests of the check-box tree dialogs: nodes found by their
// path of texts, the user's check clicks, and the tree's checked and bold
// nodes as text so that a failure shows the whole tree.

#include "CheckTreeDialog.h"

#include "../services/TestTradingDatabase.h"

#include <QAction>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace treetest {

/// The node at a path of texts joined with "|" ("Banks|Country|DE"); null when absent.
inline QTreeWidgetItem *nodeAt(const QTreeWidget *tree, const QString &path)
{
    QTreeWidgetItem *node = nullptr;
    for (const QString &text : path.split(QLatin1Char('|'))) {
        const int count = node ? node->childCount() : tree->topLevelItemCount();
        QTreeWidgetItem *found = nullptr;
        for (int i = 0; i < count && !found; ++i) {
            QTreeWidgetItem *child = node ? node->child(i) : tree->topLevelItem(i);
            if (child->text(0) == text)
                found = child;
        }
        if (!found)
            return nullptr;
        node = found;
    }
    return node;
}

inline QString pathOf(const QTreeWidgetItem *node)
{
    QStringList texts;
    for (; node; node = node->parent())
        texts.prepend(node->text(0));
    return texts.join(QLatin1Char('|'));
}

/// Nodes passing test, as paths in tree order.
template<typename Test>
QStringList nodesWhere(const QTreeWidget *tree, Test test)
{
    QStringList paths;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(tree)); *it; ++it) {
        if (test(*it))
            paths.append(pathOf(*it));
    }
    return paths;
}

inline QStringList checkedNodes(const QTreeWidget *tree)
{
    return nodesWhere(tree,
                      [](const QTreeWidgetItem *n) { return n->checkState(0) == Qt::Checked; });
}

inline QStringList boldNodes(const QTreeWidget *tree)
{
    return nodesWhere(tree, [](const QTreeWidgetItem *n) { return n->font(0).bold(); });
}

/// Plays steps as the user would: "check:path", "uncheck:path" (a click on
/// the node's check box), "current:path" (selects the node) or a tool id
/// (triggers the command; a disabled one does nothing). False, naming the
/// step, when it cannot be played.
inline bool play(CheckTreeDialog &dialog, const QStringList &steps, QString *failed)
{
    for (const QString &step : steps) {
        const QString verb = step.section(QLatin1Char(':'), 0, 0);
        const QString path = step.section(QLatin1Char(':'), 1);
        if (path.isEmpty()) {
            QAction *command = dialog.findChild<QAction *>(step);
            if (!command) {
                *failed = step;
                return false;
            }
            command->trigger();
            continue;
        }
        QTreeWidgetItem *node = nodeAt(dialog.tree(), path);
        if (!node) {
            *failed = step;
            return false;
        }
        if (verb == QLatin1String("current"))
            dialog.tree()->setCurrentItem(node);
        else
            node->setCheckState(0, verb == QLatin1String("check") ? Qt::Checked
                                                                  : Qt::Unchecked);
    }
    return true;
}

/// The demo directory of the service tests: categories "Banks" (DBK, SBR;
/// Country DE RU, Rating A), "Empty" (nothing) and "Funds" (BLK; Country US).
inline bool openDirectory(TestTradingDatabase &db)
{
    return db.create() && db.fillDirectories();
}

} // namespace treetest
