#pragma once

#include "RegistryAccess.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class Report;

/// The stored-filter manager: lists the stored filters of one report, saves
/// the report's current query over one of them, deletes one, or adds a new one
/// through NewFilter.
///
/// The host creates the window, sets its title and which buttons it shows for
/// the save or the delete use (setSaveButtonVisible()), calls InitName() and
/// shows it modally. exec() returns Accepted when a filter was saved, added or
/// deleted, Rejected when the user cancelled. A save or delete that the
/// settings store refuses is reported in a message box and leaves the window
/// open, so the user never mistakes it for done.
///
/// The window holds the report by a guarded pointer: it does not own it, and
/// a report destroyed meanwhile stores nothing.
class ManageStFilters final : public QDialog
{
    Q_OBJECT
public:
    explicit ManageStFilters(QWidget *parent = nullptr);

    /// Serves \a report: keeps it and its App_Name and fills the list with its
    /// stored filters. Without a report (or one with no App_Name) the list is
    /// empty and Add New is disabled, because nothing could be stored.
    void InitName(Report *report);

    /// Shows or hides btnSave (shown for saving, hidden for deleting).
    void setSaveButtonVisible(bool visible);

    /// The stored filters as listed: (name, description) in list order.
    RegistryValues storedFilters() const { return m_filters; }
    /// Whether the last Add New stored a new filter.
    bool filterAdded() const { return m_added; }

private:
    void FillList();
    void selectionChanged();
    void saveSelected();
    void deleteSelected();
    void addNew();
    void FormNew_UnlodNew(const QString &name, const QString &description);
    /// The row of the selected filter, or -1.
    int selectedRow() const;
    /// Saves the report's current query as the stored filter \a name.
    bool storeFilter(const QString &name, const QString &description);
    void reportStoreFailure();

    QPointer<Report> m_report;
    QString m_appName;
    RegistryValues m_filters;
    bool m_added = false;

    QListWidget *m_listName = nullptr;
    QPlainTextEdit *m_description = nullptr;
    QPushButton *m_btnSave = nullptr;
    QPushButton *m_btnDelete = nullptr;
    QPushButton *m_btnAddNew = nullptr;
    QPushButton *m_btnCancel = nullptr;
};
