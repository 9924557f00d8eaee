#pragma once

#include "CheckTreeDialog.h"

#include <QPointer>
#include <QStringList>

struct CategoryRecord;
class Report;

/// frmTCID: picks the counterparties a report is restricted to (its Bank
/// field) from a two-level tree: the counterparty categories of the directory
/// and, under each, the short names of its counterparties.
///
/// On opening the tree shows the report's current Bank selection (a list
/// starting with "All" means no restriction: nothing is checked). Checking a
/// category checks all its counterparties; a category is checked and bold
/// exactly while at least one of its counterparties is checked.
///
/// OK sets the report's "Bank" property to the checked counterparties in tree
/// order (an empty list when none: no restriction), raises Quite() with the
/// caption the host's counterparty filter shows, and closes. Cancel changes
/// nothing. When the categories cannot be read the dialog says why and offers
/// only Cancel, so that a failed read never clears the report's selection.
///
/// The report is not owned; the dialog copes with a null or deleted report
/// (nothing to restore or set).
class TcidDialog final : public CheckTreeDialog
{
    Q_OBJECT

public:
    explicit TcidDialog(Report *report, QWidget *parent = nullptr);

    /// The checked counterparties, in tree order, each once.
    QStringList selection() const;

    void accept() override;

Q_SIGNALS:
    /// The caption for the counterparty filter: the one counterparty's short
    /// name, "List" for several, "All" for none.
    void Quite(const QString &caption);

protected:
    void runCommand(const QString &id) override;
    void nodeCheckChanged(QTreeWidgetItem *node) override;

private:
    void build(const QList<CategoryRecord> &categories);
    void restore(const QStringList &banks);
    /// Checks a category and shows it bold while any of its counterparties is checked.
    void followEntries(QTreeWidgetItem *category);
    /// Gives every counterparty of a category the category's check.
    void followCategory(QTreeWidgetItem *category);

    QPointer<Report> m_report;
};
