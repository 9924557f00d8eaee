#pragma once

#include "CheckTreeDialog.h"

#include <QStringList>

struct CategoryRecord;

/// frmCategory: the legend selection behind SessionContext::SelectCategories.
/// A three-level tree of the directory's counterparty categories, their
/// attributes and the attributes' values; each node's key is its path of
/// texts joined with "|" ("Banks", "Banks|Country", "Banks|Country|DE").
///
/// The given keys are checked on opening (a list starting with "All" means no
/// restriction: nothing is checked; keys no longer in the directory are
/// dropped). A parent node is bold while at least one of its own children is
/// checked; checks do not spread between levels, because a category, one of
/// its attributes and one value are three different legend entries.
///
/// Commands (tool row, and the pop-up menus "ID_PopUpCategory",
/// "ID_PopUpAttributes", "ID_PopUpValues" of the node levels): "ID_ClearAll",
/// "ID_ClearCategory", "ID_ClearAttributes", "ID_ClearValues" uncheck every
/// node, or those of one level; "ID_AttributesChild" checks the attributes of
/// the current category and "ID_ValuesChild" the values of the current
/// attribute; "ID_UnselectChildValues" unchecks the children of the current
/// node; "ID_InvertSelection" inverts every check.
///
/// When the categories cannot be read the dialog says why and offers only
/// Cancel, so that a failed read never clears the caller's selection.
class CategoryDialog final : public CheckTreeDialog
{
    Q_OBJECT

public:
    explicit CategoryDialog(const QStringList &keys, QWidget *parent = nullptr);

    /// The keys of the checked nodes in tree order, each once.
    QStringList keys() const;
    /// The caption of keys(): the one key's last part, "List" for several,
    /// "All" for none.
    QString title() const;

    /// Makes SessionContext::SelectCategories open this dialog modally over
    /// the active window. Call it at start-up, after the process-wide session
    /// is in place (replacing the session drops the selector). Without a
    /// widget application the selector asks nothing and returns false.
    static void install();
    /// The selector install() sets: true, with keys and title changed, when
    /// the user accepted; false, with both untouched, otherwise.
    static bool select(QStringList &keys, QString &title);

protected:
    void runCommand(const QString &id) override;
    void nodeCheckChanged(QTreeWidgetItem *node) override;
    void currentNodeChanged(QTreeWidgetItem *node) override;

private:
    void build(const QList<CategoryRecord> &categories);
    void restore(const QStringList &keys);
    /// Every parent bold exactly while one of its children is checked.
    void refreshBold();
    void setChildrenChecked(QTreeWidgetItem *node, bool checked);

    QAction *m_attributesChild = nullptr;
    QAction *m_valuesChild = nullptr;
    QAction *m_unselectChildValues = nullptr;
};
