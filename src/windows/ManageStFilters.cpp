#include "ManageStFilters.h"

#include "NewFilter.h"
#include "Report.h"
#include "RegistrySettings.h"
#include "TextTable.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int AddNewText = 3003;   // "Add New"
constexpr int SaveText = 3004;     // "Save"
constexpr int DeleteText = 3005;   // "Delete"
constexpr int CancelText = 3006;   // "Cancel"

QPushButton *makeButton(int textId, const char *objectName, QWidget *parent)
{
    auto *button = new QPushButton(TextTable::LoadText(textId), parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}
} // namespace

ManageStFilters::ManageStFilters(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ManageStFilters"));

    m_listName = new QListWidget(this);
    m_listName->setObjectName(QStringLiteral("ListName"));
    m_listName->setSelectionMode(QAbstractItemView::SingleSelection);
    // The description is shown, not edited: Save keeps the stored one.
    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("Description"));
    m_description->setReadOnly(true);
    m_description->setMaximumHeight(m_description->fontMetrics().lineSpacing() * 4);

    m_btnSave = makeButton(SaveText, "btnSave", this);
    m_btnDelete = makeButton(DeleteText, "btnDelete", this);
    m_btnAddNew = makeButton(AddNewText, "btnAddNew", this);
    m_btnCancel = makeButton(CancelText, "btnCancel", this);
    // Enter saves over the selected filter while Save is shown and enabled;
    // Delete is never the default, so Enter cannot delete by accident.
    m_btnSave->setDefault(true);

    auto *left = new QVBoxLayout;
    left->addWidget(m_listName, 1);
    left->addWidget(m_description);
    auto *right = new QVBoxLayout;
    right->addWidget(m_btnSave);
    right->addWidget(m_btnDelete);
    right->addWidget(m_btnAddNew);
    right->addStretch();
    right->addWidget(m_btnCancel);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);
    setMinimumSize(420, 280);

    connect(m_listName, &QListWidget::itemSelectionChanged, this, &ManageStFilters::selectionChanged);
    connect(m_btnSave, &QPushButton::clicked, this, &ManageStFilters::saveSelected);
    connect(m_btnDelete, &QPushButton::clicked, this, &ManageStFilters::deleteSelected);
    connect(m_btnAddNew, &QPushButton::clicked, this, &ManageStFilters::addNew);
    connect(m_btnCancel, &QPushButton::clicked, this, &ManageStFilters::reject);
    FillList();
}

void ManageStFilters::InitName(Report *report)
{
    m_report = report;
    m_appName = report ? report->App_Name : QString();
    FillList();
}

void ManageStFilters::setSaveButtonVisible(bool visible)
{
    m_btnSave->setVisible(visible);
}

void ManageStFilters::FillList()
{
    m_filters = RegistrySettings::ListStoredFilters(m_appName);
    m_listName->clear();
    for (const RegistryValue &filter : std::as_const(m_filters))
        m_listName->addItem(filter.name);
    m_btnAddNew->setEnabled(m_report && !m_appName.isEmpty());
    selectionChanged();
}

int ManageStFilters::selectedRow() const
{
    const QList<QListWidgetItem *> selected = m_listName->selectedItems();
    return selected.isEmpty() ? -1 : m_listName->row(selected.first());
}

void ManageStFilters::selectionChanged()
{
    const int row = selectedRow();
    m_btnSave->setEnabled(row >= 0);
    m_btnDelete->setEnabled(row >= 0);
    m_description->setPlainText(row >= 0 ? m_filters.at(row).data.toString() : QString());
}

void ManageStFilters::saveSelected()
{
    const int row = selectedRow();
    if (row < 0 || !m_report)
        return;
    // The stored description is kept: only the query is replaced by the
    // report's current one.
    const RegistryValue &filter = m_filters.at(row);
    if (!storeFilter(filter.name, filter.data.toString())) {
        reportStoreFailure();
        return;
    }
    accept();
}

void ManageStFilters::deleteSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    if (!RegistrySettings::DeleteStoredFilter(m_filters.at(row).name, m_appName)) {
        reportStoreFailure();
        return;
    }
    accept();
}

void ManageStFilters::addNew()
{
    m_added = false;
    QStringList names;
    names.reserve(m_filters.size());
    for (const RegistryValue &filter : std::as_const(m_filters))
        names.append(filter.name);
    NewFilter formNew(names, this);
    connect(&formNew, &NewFilter::UnlodNew, this, &ManageStFilters::FormNew_UnlodNew);
    formNew.exec();
    if (m_added)
        accept();
}

void ManageStFilters::FormNew_UnlodNew(const QString &name, const QString &description)
{
    if (!m_report)
        return;
    m_added = storeFilter(name, description);
    if (!m_added)
        reportStoreFailure();
}

bool ManageStFilters::storeFilter(const QString &name, const QString &description)
{
    Report *report = m_report;
    // WriteQueryPar reports no result; a failed write inside SaveStoredFilter's
    // batch makes its commit fail, so the returned value still covers it.
    return RegistrySettings::SaveStoredFilter(name, description, m_appName, [report](const QString &filterName) {
        report->WriteQueryPar(filterName);
        return true;
    });
}

void ManageStFilters::reportStoreFailure()
{
    QMessageBox::warning(this, windowTitle(), RegistryAccess::instance().lastErrorText());
}
