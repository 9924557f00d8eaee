#include "DetailWindow.h"
#include "TicketWindow.h"

#include "CaptionDialog.h"
#include "DetailColumns.h"

#include "Report.h"

#include "DetailsWindowSettings.h"
#include "FieldReader.h"
#include "SessionContext.h"
#include "TextTable.h"

#include "Grid.h"
#include "GridColumn.h"
#include "GridCopy.h"
#include "Tool.h"
#include "ToolBar.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace {

constexpr int GroupByBoxPrompt = 11002;   // "Drag a column header here to group by that column"
constexpr int RightButton = 2;
constexpr int SpaceKey = 32;
constexpr int EscapeKey = 27;
// Group sort orders as the stored groups carry them.
constexpr int Ascending = 1;
constexpr int Descending = -1;
constexpr quint32 Red = 0x0000FF;

struct ToolEntry
{
    const char *id;
    widgets::Tool::Kind kind;
    int tag;   // caption N, tool tip N+1, description N+2 of the text table
};

using K = widgets::Tool::Kind;
const ToolEntry Tools[] = {
    {"ID_Copy", K::Button, 13076},
    {"ID_GroupBox", K::CheckButton, 13082},
    {"ID_ExpandAll", K::Button, 13007},
    {"ID_CollapseAll", K::Button, 13001},
    {"ID_ExpandAfterRefresh", K::CheckButton, 13013},
    {"ID_ExpandSelection", K::Button, 13010},
    {"ID_ChangeCaption", K::Button, 13085},
    {"ID_ShowDetails", K::Button, 13091},
    {"ID_PopUpGrid", K::PopupMenu, 13045},
};

const char *const PopUpItems[] = {"ID_CollapseAll", "ID_ExpandAll", "ID_ExpandSelection", "ID_ExpandAfterRefresh",
                                  "-", "ID_GroupBox", "ID_Copy", "-", "ID_ChangeCaption"};

QString id(const char *text)
{
    return QString::fromLatin1(text);
}

} // namespace

frmDetails::frmDetails(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmDetails"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_mainMenu = new widgets::ToolBar(this);
    m_mainMenu->setObjectName(QStringLiteral("MainMenu"));
    m_mainTable = new widgets::Grid(this);
    m_mainTable->setObjectName(QStringLiteral("MainTable"));
    m_mainTable->setGroupByBoxText(TextTable::LoadText(GroupByBoxPrompt));
    buildToolbar();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_mainMenu);
    layout->addWidget(m_mainTable, 1);

    m_mainTable->setCellReader([this](int row, int column) { return cell(row, column); });
    m_mainTable->setRowReader([this](int row, QVector<QVariant> &values) { changeRow(row, values); });
    connect(m_mainMenu, &widgets::ToolBar::ToolClick, this, &frmDetails::onToolClick);
    connect(m_mainTable, &widgets::Grid::MouseUp, this, &frmDetails::onGridMouseUp);
    connect(m_mainTable, &widgets::Grid::RowChange, this, &frmDetails::onGridRowChange);
    connect(m_mainTable, &widgets::Grid::KeyPress, this, &frmDetails::onGridKey);
    connect(m_mainTable, &widgets::Grid::DblClick, this, &frmDetails::showDetails);

    // No column picked yet for a new caption, no row to show.
    m_mainMenu->Tools(id("ID_ChangeCaption"))->setEnabled(false);
    m_mainMenu->Tools(id("ID_ShowDetails"))->setEnabled(false);
    resize(760, 360);
}

frmDetails::~frmDetails() = default;

void frmDetails::buildToolbar()
{
    for (const ToolEntry &entry : Tools) {
        widgets::Tool *tool = m_mainMenu->addTool(id(entry.id), entry.kind);
        tool->setTag(entry.tag);
    }
    for (const char *item : PopUpItems)
        m_mainMenu->addToMenu(id("ID_PopUpGrid"), id(item));
    for (const ToolEntry &entry : Tools) {
        if (entry.kind != K::PopupMenu)
            m_mainMenu->addToBand(id(entry.id));
    }
    m_mainMenu->localise([](int text) { return TextTable::LoadText(text); });
}

// ---- the interface the control calls ----------------------------------------------------

void frmDetails::DetailActivate(QObject *AppClass, QWidget *Parent, int WindowType)
{
    forgetRows();
    if (m_report)
        disconnect(m_report, nullptr, this, nullptr);
    m_report = qobject_cast<Report *>(AppClass);
    m_appName = m_report ? m_report->App_Name : QString();
    m_windowType = WindowType;
    m_activated = true;
    // A report deleted under the window takes its rows with it.
    if (m_report)
        connect(m_report, &QObject::destroyed, this, &frmDetails::forgetRows);
    if (Parent && Parent != parentWidget())
        setParent(Parent, windowFlags() | Qt::Window);

    if (const std::optional<WindowGeometry> place = DetailsWindowSettings::LoadPosition(m_appName)) {
        move(qRound(place->Left), qRound(place->Top));
        resize(qMax(qRound(place->Width), 120), qMax(qRound(place->Height), 80));
    }
    const DetailsWindowOptions options = DetailsWindowSettings::LoadOptions(m_appName, m_windowType);
    m_mainMenu->Tools(id("ID_ExpandAfterRefresh"))->setState(options.ExpandAfterRefresh ? 1 : 0);
    m_mainMenu->Tools(id("ID_GroupBox"))->setState(options.GroupByBoxVisible ? 1 : 0);
    m_mainTable->setGroupByBoxVisible(options.GroupByBoxVisible);

    m_columnsBuilt = false;
    if (!DetailColumns::fixedColumns(m_windowType).empty())
        buildColumns({});
    setWindowTitle(m_appName);
    loadDeals();
    show();
}

void frmDetails::ChangeCaption(const QString &Title)
{
    setWindowTitle(m_appName + QStringLiteral(" - ") + Title);
    loadDeals();
}

// ---- the deals ---------------------------------------------------------------------------

void frmDetails::loadDeals()
{
    m_bookmarks.clear();
    data::RecordsetPtr deals = m_report ? m_report->DetRecordset : nullptr;
    if (!deals || deals->State() != data::adStateOpen || deals->RecordCount() <= 0) {
        m_mainTable->setItemCount(0);
        return;
    }
    if (DetailColumns::fixedColumns(m_windowType).empty()) {
        QStringList fields;
        for (int i = 0; i < deals->Fields().Count(); ++i)
            fields.append(deals->Fields(i).Name());
        buildColumns(fields);
    }
    // The report's filter gives the rows; a clone of the same rows, without
    // a filter, reads them: a bookmark there is a row number, so the grid's
    // reads cost no search.
    if (m_readerOf.lock() != deals || !m_reader) {
        m_reader = deals->Clone();
        m_readerOf = deals;
        bindFields();
    }
    m_bookmarks.reserve(size_t(deals->RecordCount()));
    for (deals->MoveFirst(); !deals->Eof(); deals->MoveNext())
        m_bookmarks.push_back(deals->Bookmark());
    applyFormats(deals.get());
    m_mainTable->setItemCount(int(m_bookmarks.size()));
    // Sizing reads the rows' texts and costs time with the rows listed: it
    // waits for a load of a row's deals, not the whole result the window may
    // open on before the first row change.
    constexpr int FitRowLimit = 20000;
    if (m_fitColumns && m_bookmarks.size() <= size_t(FitRowLimit)) {
        // Wide enough for a deal's amounts and dates, never one column over the window.
        constexpr int MaxWidth = 240;
        m_mainTable->fitColumnsToContents(MaxWidth);
        m_fitColumns = false;
    }
    if (m_mainMenu->Tools(id("ID_ExpandAfterRefresh"))->State() == 1)
        m_mainTable->expandAllGroups();
}

qint64 frmDetails::bookmarkOf(int row) const
{
    return row >= 0 && size_t(row) < m_bookmarks.size() ? m_bookmarks[size_t(row)] : -1;
}

void frmDetails::forgetRows()
{
    m_bookmarks.clear();
    m_fields.clear();
    m_pureDealType.reset();
    m_dealType.reset();
    m_reader.reset();
    m_readerOf.reset();
    if (m_mainTable)
        m_mainTable->setItemCount(0);
}

QVariant frmDetails::cell(int row, int column)
{
    const qint64 bookmark = bookmarkOf(row);
    if (bookmark < 0 || !m_reader || column < 0 || size_t(column) >= m_fields.size()
        || !m_reader->setBookmark(bookmark))
        return {};
    const data::Value value = m_fields[size_t(column)].value();
    return value.isNull() ? QVariant() : FieldReader::cellValue(value);
}

void frmDetails::changeRow(int row, QVector<QVariant> &values)
{
    // A side reads differently for each kind of deal: one value list on the
    // side code cannot say it, so the row names it.
    if (m_dealTypeColumn < 0 || m_dealTypeColumn >= values.size() || !m_pureDealType || !m_dealType || !m_reader
        || !m_reader->setBookmark(bookmarkOf(row)))
        return;
    const QString side = DetailColumns::sideText(m_pureDealType->value().toInt(), m_dealType->value().toInt());
    if (!side.isEmpty())
        values[m_dealTypeColumn] = side;
}

void frmDetails::buildColumns(const QStringList &fields)
{
    if (m_columnsBuilt && fields == m_builtFrom)
        return;
    m_columnsBuilt = true;
    m_builtFrom = fields;
    m_clickedColumn = nullptr;
    m_mainTable->clearColumns();

    const auto fixed = DetailColumns::fixedColumns(m_windowType);
    if (!fixed.empty()) {
        for (const DetailColumns::FixedColumn &entry : fixed) {
            widgets::GridColumn *column = m_mainTable->addColumn(id(entry.key), id(entry.caption), id(entry.field));
            column->setTextAlignment(widgets::GridColumn::Alignment(entry.alignment));
        }
    } else {
        for (const QString &field : fields) {
            widgets::GridColumn *column = m_mainTable->addColumn(field, field, field);
            // The second currency's amount, date and rate belong to the pair view.
            column->setVisible(m_windowType == dvCurrencyPair || !DetailColumns::isPairOnlyField(field));
        }
    }
    for (int i = 0; i < m_mainTable->ColumnCount(); ++i) {
        widgets::GridColumn *column = m_mainTable->Columns(i);
        DetailColumns::fillValueList(column->DataField(), column);
    }
    const QList<ColumnLayoutEntry> layout = DetailsWindowSettings::LoadColumnLayout(m_appName, m_windowType);
    // Without a stored layout the first deals size the columns.
    m_fitColumns = layout.isEmpty();
    for (const ColumnLayoutEntry &entry : layout) {
        if (widgets::GridColumn *column = m_mainTable->Columns(entry.key)) {
            column->setPosition(entry.position);
            column->setCaption(entry.caption);
            column->setWidth(entry.width);
        }
    }
    // A grouped column shows in its group rows, not as a column.
    for (const DetailsGroup &group : DetailsWindowSettings::LoadGroups(m_appName, m_windowType)) {
        if (widgets::GridColumn *column = m_mainTable->Columns(group.columnIndex)) {
            column->setVisible(false);
            m_mainTable->addGroup(column->Key(), group.sortOrder != Descending);
        }
    }
    const QString amount = DetailColumns::amountColumn(m_windowType);
    if (m_mainTable->Columns(amount)) {
        widgets::FormatCondition *negative = m_mainTable->addFormatCondition(
            QStringLiteral("NegValue"), amount, widgets::FormatCondition::LessThan, 0);
        negative->setTargetColumnKey(amount);
        negative->setForeColor(Red);
    }
    m_dealTypeColumn = -1;
    for (int i = 0; i < m_mainTable->ColumnCount(); ++i) {
        if (m_mainTable->Columns(i)->DataField().compare(QLatin1String("DealType"), Qt::CaseInsensitive) == 0)
            m_dealTypeColumn = i;
    }
    bindFields();
}

void frmDetails::bindFields()
{
    m_fields.clear();
    m_pureDealType.reset();
    m_dealType.reset();
    if (!m_reader)
        return;
    for (int i = 0; i < m_mainTable->ColumnCount(); ++i)
        m_fields.push_back(m_reader->Fields(m_mainTable->Columns(i)->DataField()));
    const data::Field kind = m_reader->Fields(QStringLiteral("PureDealType"));
    const data::Field side = m_reader->Fields(QStringLiteral("DealType"));
    if (kind.isValid() && side.isValid()) {
        m_pureDealType = kind;
        m_dealType = side;
    }
}

void frmDetails::applyFormats(data::Recordset *deals)
{
    // The formats may have changed since the last load (the host sets them
    // at any time): amounts take the value format, rates the rate format.
    const QString valueFormat = SessionContext::instance().ValueFormat();
    const QString rateFormat = SessionContext::instance().RateFormat();
    for (int i = 0; i < m_mainTable->ColumnCount(); ++i) {
        widgets::GridColumn *column = m_mainTable->Columns(i);
        const data::Field field = deals->Fields(column->DataField());
        if (!field.isValid())
            continue;
        if (field.Type() == data::DataType::Currency)
            column->setFormat(valueFormat);
        else if (field.Type() == data::DataType::Double)
            column->setFormat(rateFormat);
    }
}

// ---- tools and gestures ---------------------------------------------------------------------

void frmDetails::onToolClick(widgets::Tool *tool)
{
    if (!tool)
        return;
    const QString clicked = tool->Id();
    const auto is = [&clicked](const char *name) { return clicked.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("ID_Copy")) {
        GridCopy::copy(m_mainTable->reportDocument(true), QGuiApplication::clipboard());
    } else if (is("ID_GroupBox")) {
        m_mainTable->setGroupByBoxVisible(tool->State() == 1);
        m_mainTable->refresh();
    } else if (is("ID_ExpandAll")) {
        m_mainTable->expandAllGroups();
    } else if (is("ID_CollapseAll")) {
        m_mainTable->collapseAllGroups();
    } else if (is("ID_ExpandSelection")) {
        m_mainTable->expandSelectedGroups();
    } else if (is("ID_ChangeCaption")) {
        changeCaptionOfClickedColumn();
    } else if (is("ID_ShowDetails")) {
        showDetails();
    }
    // "ID_ExpandAfterRefresh" only keeps its state for the next load.
}

void frmDetails::onGridMouseUp(int button, int, int x, int y)
{
    if (button != RightButton)
        return;
    m_clickedColumn = m_mainTable->ColFromPoint(x, y);
    m_mainMenu->Tools(id("ID_ChangeCaption"))->setEnabled(m_clickedColumn != nullptr);
    m_mainMenu->PopupMenu(id("ID_PopUpGrid"));
}

void frmDetails::onGridRowChange()
{
    const bool dataRow = m_mainTable->currentIndex().isValid() && !m_mainTable->IsGroupItem();
    m_mainMenu->Tools(id("ID_ShowDetails"))->setEnabled(dataRow);
}

void frmDetails::onGridKey(int keyAscii)
{
    if (keyAscii == SpaceKey)
        showDetails();
    else if (keyAscii == EscapeKey)
        unloadByUser();
}

void frmDetails::keyPressEvent(QKeyEvent *event)
{
    // Esc anywhere in the window, the toolbar included; the grid reports its own.
    if (event->key() == Qt::Key_Escape) {
        unloadByUser();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmDetails::showDetails()
{
    // The current deal's ticket, by the deal's own identifiers.
    const qint64 bookmark = bookmarkOf(m_mainTable->currentBookmark());
    if (bookmark < 0 || !m_reader || !m_reader->setBookmark(bookmark))
        return;
    const auto value = [this](const char *name) {
        const data::Field field = m_reader->Fields(QString::fromLatin1(name));
        return field.isValid() ? field.value() : data::Value();
    };
    auto *ticket = new frmTicket(this);
    connect(ticket, &frmTicket::NotFound, ticket, &QObject::deleteLater);
    connect(ticket, &QDialog::finished, ticket, &QObject::deleteLater);
    ticket->Activate(value("TCID").toString(), value("DealTime").toDate().date(), short(value("Status").toInt()),
                     int(value("TicketNum").toInt64()), this, m_appName);
}

void frmDetails::changeCaptionOfClickedColumn()
{
    CaptionDialog::ChangeColumn(m_clickedColumn, this);
}

// ---- closing ---------------------------------------------------------------------------------

void frmDetails::unloadByUser()
{
    if (m_unloading)
        return;
    m_unloading = true;
    close();
}

void frmDetails::closeEvent(QCloseEvent *event)
{
    if (m_activated)
        saveSettings();
    // The user closed it (close box, window menu, Esc); a close from code is
    // the control unloading the window and tells nobody.
    const bool byUser = m_unloading || event->spontaneous();
    m_unloading = true;
    event->accept();
    if (byUser)
        Q_EMIT OnUnload();
}

void frmDetails::saveSettings()
{
    const QRect frame = frameGeometry();
    DetailsWindowSettings::SavePosition(m_appName, {float(frame.left()), float(frame.top()), float(height()),
                                                    float(width())});
    DetailsWindowOptions options;
    options.ExpandAfterRefresh = m_mainMenu->Tools(id("ID_ExpandAfterRefresh"))->State() == 1;
    options.GroupByBoxVisible = m_mainMenu->Tools(id("ID_GroupBox"))->State() == 1;
    DetailsWindowSettings::SaveOptions(m_appName, m_windowType, options);
    if (!m_columnsBuilt)
        return;
    QList<ColumnLayoutEntry> columns;
    for (int i = 0; i < m_mainTable->ColumnCount(); ++i) {
        const widgets::GridColumn *column = m_mainTable->Columns(i);
        columns.append({column->Key(), column->Position(), column->Caption(), column->Width()});
    }
    QList<DetailsGroup> groups;
    for (const widgets::GridModel::SortKey &group : m_mainTable->gridModel()->groups())
        groups.append({group.column, group.ascending ? Ascending : Descending});
    DetailsWindowSettings::SaveLayout(m_appName, m_windowType, columns, groups);
}
