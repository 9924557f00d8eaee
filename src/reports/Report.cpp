#include "Report.h"

#include "Clock.h"
#include "ColumnLayout.h"
#include "Command.h"
#include "FieldReader.h"
#include "MessageService.h"
#include "QueryKey.h"
#include "RegistrySettings.h"
#include "SessionContext.h"
#include "SharedValues.h"

#include "Grid.h"
#include "GridColumn.h"
#include "ToolBar.h"

#include <QLabel>

namespace {

const QString QueryName = QStringLiteral("Query");

/// The tools a report enables when it has data to show and disables otherwise.
const QStringList ResultTools = {
    QStringLiteral("ID_expand"),        QStringLiteral("ID_collapse"),
    QStringLiteral("ID_Expand_Selection"), QStringLiteral("ID_ShowSummary"),
    QStringLiteral("ID_ShowDetails"),   QStringLiteral("ID_PrintSelection"),
    QStringLiteral("ID_PrintAll"),
};

constexpr int QueryTimeoutSeconds = 1200;
constexpr int ConnectTimeoutSeconds = 600;

} // namespace

Report::Report(const QString &appName, int ownerNumber, QObject *parent)
    : QObject(parent), App_Name(appName), m_owner(ownerNumber)
{
    setWorkingQuery(QueryParameters());
    commitWorkingQuery();
}

Report::~Report()
{
    // The connection may be executing: destroying it interrupts the worker
    // and drops the completion, so nothing arrives at a half-destroyed report.
    m_command.reset();
    m_asConnect.reset();
}

// ---- directories and the query ----------------------------------------------

void Report::RefreshDirectory() {}

void Report::InitQuPar(const QString &NameFilter)
{
    RefreshDirectory();
    ReadQueryPar(NameFilter);
    SharedValues::setLoadingQuery(true);
    showQueryInControls();
    SharedValues::setLoadingQuery(false);
    if (NameFilter != QueryName)
        setToolEnabled(QStringLiteral("ID_undo"), true);
}

void Report::ReadQueryPar(const QString &FilterName)
{
    setWorkingQuery(QueryKey(App_Name, FilterName).read());
    if (FilterName == QueryName)
        commitWorkingQuery();
}

void Report::WriteQueryPar(const QString &FilterName)
{
    if (FilterName == QueryName)
        commitWorkingQuery();
    QueryKey(App_Name, FilterName).write(workingQuery());
}

QueryParameters Report::workingQuery() const
{
    QueryParameters q;
    q.Relative = Relative;
    q.Date = QueryDate::fromFields(ValDate, ValLong, Relative);
    q.ValueDate = QueryDate::fromFields(EndDate, EndLong, Relative);
    q.Dealer = Dealer;
    q.Deal = Deal;
    q.Bank = Bank;
    q.AdvancedAttributes = Attributes;
    q.Pair = Pair;
    q.Netting = Netting;
    q.Category = Category;
    q.Status = Status;
    q.LocalTCID = TCID;
    q.Client = Client;
    return q;
}

void Report::setWorkingQuery(const QueryParameters &q)
{
    Relative = q.Relative;
    ValDate = q.Date.dateValue();
    ValLong = q.Date.offsetValue();
    EndDate = q.ValueDate.dateValue();
    EndLong = q.ValueDate.offsetValue();
    Dealer = q.Dealer;
    Deal = q.Deal;
    Bank = q.Bank;
    Attributes = q.AdvancedAttributes;
    Pair = q.Pair;
    Netting = q.Netting;
    Category = q.Category;
    Status = q.Status;
    TCID = q.LocalTCID;
    Client = q.Client;
}

void Report::commitWorkingQuery()
{
    StValDate = ValDate;
    StValLong = ValLong;
    StEndDate = EndDate;
    StEndLong = EndLong;
    StValDate1 = ValDate1;
    StValLong1 = ValLong1;
    StEndDate1 = EndDate1;
    StEndLong1 = EndLong1;
    StDealer = Dealer;
    StDeal = Deal;
    StBank = Bank;
    StPair = Pair;
    StPair2 = Pair2;
    StNetting = Netting;
    StCategory = Category;
    StStatus = Status;
    SKeyArray = KeyArray;
    StTCID = TCID;
    StAttributes = Attributes;
    stLoroNostro = LoroNostro;
    stClient = Client;
    StTypeDate = TypeDate;
}

QuerySettings Report::QPSettings() const
{
    QuerySettings s;
    s.Relative = Relative;
    s.ValDate = ValDate;
    s.ValLong = ValLong;
    s.EndDate = EndDate;
    s.EndLong = EndLong;
    s.Dealer = Dealer;
    s.Deal = Deal;
    s.Bank = Bank;
    s.Pair = Pair;
    s.Netting = Netting;
    s.StNetting = StNetting;
    s.Category = Category;
    s.StValDate = StValDate;
    s.StValLong = StValLong;
    s.StEndDate = StEndDate;
    s.StEndLong = StEndLong;
    s.StDealer = StDealer;
    s.StDeal = StDeal;
    s.StBank = StBank;
    s.StPair = StPair;
    s.StCategory = StCategory;
    return s;
}

void Report::setQPSettings(const QuerySettings &s)
{
    Relative = s.Relative;
    ValDate = s.ValDate;
    ValLong = s.ValLong;
    EndDate = s.EndDate;
    EndLong = s.EndLong;
    Dealer = s.Dealer;
    Deal = s.Deal;
    Bank = s.Bank;
    Pair = s.Pair;
    Netting = s.Netting;
    StNetting = s.StNetting;
    Category = s.Category;
    StValDate = s.StValDate;
    StValLong = s.StValLong;
    StEndDate = s.StEndDate;
    StEndLong = s.StEndLong;
    StDealer = s.StDealer;
    StDeal = s.StDeal;
    StBank = s.StBank;
    StPair = s.StPair;
    StCategory = s.StCategory;
}

// ---- binding --------------------------------------------------------------------

void Report::SetUtil(EventClass *Util)
{
    SessionContext::instance().Trace(QStringLiteral("Start Set Util"));
    m_util = Util;
    if (Main_Table) {
        Main_Table->clearColumns();
        buildColumns();
        for (const ColumnLayoutEntry &entry : RegistrySettings::LoadColumnLayout(App_Name)) {
            if (widgets::GridColumn *col = column(entry.key)) {
                col->setPosition(entry.position);
                col->setCaption(entry.caption);
                col->setWidth(entry.width);
            }
        }
    }
    RebindTable();
    FormatValue();
    FormatRate();
    InitQuPar(QueryName);
    ReNewFControl();
    if (Main_Table) {
        widgets::FormatCondition *summ = Main_Table->addFormatCondition(
            QStringLiteral("Summ"), QStringLiteral("Summary"), widgets::FormatCondition::Equal, true);
        summ->setFontBold(true);
        summ->setForeColor(0xFF0000);
    }
    SessionContext::instance().Trace(QStringLiteral("End Set Util"));
}

void Report::ClearUtil()
{
    RegistrySettings::SaveViewSetting(App_Name, m_settings);
    if (Main_Table) {
        QList<ColumnLayoutEntry> layout;
        for (int i = 0; i < Main_Table->ColumnCount(); ++i) {
            const widgets::GridColumn *col = Main_Table->Columns(i);
            layout.append({col->Key(), col->Position(), col->Caption(), col->Width()});
        }
        RegistrySettings::SaveColumnLayout(App_Name, layout);
    }
    m_util = nullptr;
    Main_Menu = nullptr;
    Main_Table = nullptr;
    m_controls = {};
    m_settings = m_defaultSettings;
    setQPSettings(QuerySettings());
}

FilterControl Report::QPControl(int Index, bool *ok) const
{
    const bool valid = Index >= 0 && Index < FilterControlCount;
    if (ok)
        *ok = valid;
    return valid ? m_controls[size_t(Index)] : FilterControl();
}

bool Report::setQPControl(int Index, const FilterControl &control)
{
    if (Index < 0 || Index >= FilterControlCount)
        return false;
    m_controls[size_t(Index)] = control;
    return true;
}

QVariant Report::GetAllControl() const
{
    QVariantList all;
    for (const FilterControl &control : m_controls)
        all.append(QVariant::fromValue(control));
    return all;
}

void Report::ReNewFControl()
{
    const std::array<bool, FilterControlCount> used = usedFilters();
    for (int i = 0; i < FilterControlCount; ++i) {
        FilterControl &control = m_controls[size_t(i)];
        control.Enabled = used[size_t(i)];
        if (control.Common)
            control.Common->setVisible(control.Enabled);
        if (control.lbCaption)
            control.lbCaption->setVisible(control.Enabled);
    }
}

// ---- running a query ------------------------------------------------------------------

void Report::PrepQuery() {}

void Report::StartAnalyser()
{
    if (m_util)
        m_util->RaiseInitProgress(0);
    PrepQuery();
    m_stepCounter = 0;
    runQuery();
}

void Report::setQueryParameters(data::Command &command)
{
    if (data::Parameter *user = command.Parameters().Item(QStringLiteral("@UserName")))
        user->setValue(SessionContext::instance().CurrentUserName());
    if (data::Parameter *date = command.Parameters().Item(QStringLiteral("@DateReport")))
        date->setValue(data::DateTime::fromDate(Clock::today()));
}

void Report::runQuery()
{
    releaseConnection();
    if (procedureName().isEmpty()) {
        // A report without a query of its own shows an empty grid.
        MainRecordset.reset();
        displayUpdate();
        return;
    }

    m_asConnect = std::make_unique<data::Connection>();
    m_asConnect->setCommandTimeout(QueryTimeoutSeconds);
    m_asConnect->setConnectionTimeout(ConnectTimeoutSeconds);
    m_asConnect->setMode(data::adModeRead);
    m_asConnect->setCursorLocation(data::adUseClient);
    m_asConnect->setConnectionString(SessionContext::instance().ConnectionString());
    if (!m_asConnect->Open(m_asConnect->ConnectionString(), QString(), QString(), -1)) {
        m_asConnect.reset();
        MainRecordset.reset();
        displayUpdate();
        return;
    }

    m_command = std::make_unique<data::Command>();
    m_command->setCommandType(data::adCmdStoredProc);
    m_command->setCommandText(procedureName());
    m_command->setCommandTimeout(QueryTimeoutSeconds);
    m_command->setActiveConnection(m_asConnect.get());
    m_command->Parameters().Refresh();
    setQueryParameters(*m_command);

    connect(m_asConnect.get(), &data::Connection::ExecuteComplete, this,
            &Report::AsConnect_ExecuteComplete);
    m_command->Execute(nullptr, data::adAsyncExecute);
    if (!(m_asConnect->State() & data::adStateExecuting)) {
        // The run did not start, so no completion will come: say why, and
        // stop the host's progress.
        if (const data::ErrorPtr error = m_command->lastError())
            showQueryError(*error);
        releaseConnection();
        if (m_util)
            m_util->RaiseUnActiv();
    }
}

void Report::showQueryError(const data::Error &error)
{
    MessageService::instance().ShowError(QStringLiteral("Error Return Information. Error number: ")
                                         + QString::number(error.Number) + QLatin1Char('\r')
                                         + error.Description);
}

void Report::releaseConnection()
{
    if (!m_asConnect)
        return;
    m_asConnect->disconnect(this);
    if (m_asConnect->State() != data::adStateClosed) {
        if (!m_asConnect->Close()) {
            m_asConnect->Cancel();
            m_asConnect->Close();
        }
    }
    // Released later: this may run inside the connection's own signal.
    if (m_command)
        m_command.release()->deleteLater();
    m_asConnect.release()->deleteLater();
}

void Report::AsConnect_ExecuteComplete(long, data::ErrorPtr pError, int adStatus, data::Command *,
                                       data::RecordsetPtr pRecordset, data::Connection *)
{
    if (!pError) {
        if (pRecordset && pRecordset->State() == data::adStateOpen
            && !(pRecordset->Eof() && pRecordset->Bof())) {
            MainRecordset = pRecordset->Clone(data::adLockUnspecified);
            MainRecordset->setActiveConnection(nullptr);
        } else {
            MainRecordset.reset();
        }
    } else {
        MainRecordset.reset();
        // A cancelled run was replaced by a newer one or stopped on purpose:
        // not a failure to report.
        if (adStatus != data::adStatusCancel)
            showQueryError(*pError);
    }
    displayUpdate();
    releaseConnection();
    if (m_util)
        m_util->RaiseUnActiv();
}

void Report::displayUpdate()
{
    int groups = 0;
    NumDeal = 0;
    NumTable = 0;
    if (MainRecordset) {
        RenewRecordset();
        MainRecordset->MoveFirst();
        groups = BuildDisplay();
    }
    if (groups > 0) {
        RebindTable();
        for (const QString &tool : ResultTools)
            setToolEnabled(tool, true);
        // Printing a selection makes no sense on summary rows alone.
        setToolEnabled(QStringLiteral("ID_PrintSelection"), m_settings.DisplaySetting != vwSummary);
        QString firstCaption;
        if (m_display && m_display->RecordCount() > 0) {
            m_display->MoveFirst();
            firstCaption = m_display->Fields(QStringLiteral("Caption")).value().toString();
        }
        if (m_util)
            m_util->RaiseReselect(firstCaption, NumDeal, NumTable);
        WriteQueryPar(QueryName);
        setToolEnabled(QStringLiteral("ID_undo"), false);
        if (m_util)
            m_util->RaiseUnActiv();
    } else {
        if (m_util)
            m_util->RaiseUnActiv();
        m_display.reset();
        RebindTable();
        for (const QString &tool : ResultTools)
            setToolEnabled(tool, false);
        if (m_util)
            m_util->RaiseReselect(QString(), NumDeal, NumTable);
    }
}

// ---- the display -------------------------------------------------------------------------

void Report::RenewRecordset()
{
    m_display = std::make_shared<data::Recordset>();
    m_display->setCursorLocation(data::adUseClient);
    m_display->setCursorType(data::adOpenStatic);
    appendDisplayFields(*m_display);
    if (m_display->Fields().Count() == 0 || !m_display->Open())
        m_display.reset();
}

void Report::RebindTable()
{
    const View mode = m_settings.DisplaySetting;
    if (m_display) {
        switch (mode) {
        case vwDetail:
            m_display->setFilter(QStringLiteral("Summary = False"));
            break;
        case vwSummary:
            m_display->setFilter(QStringLiteral("Summary = True"));
            break;
        case vwAll:
            m_display->setFilter(QString());
            break;
        }
    }
    setToolEnabled(QStringLiteral("ID_PrintSelection"), mode != vwSummary);
    if (Main_Table)
        Main_Table->setItemCount(m_display ? int(m_display->RecordCount()) : 0);
    refreshValueLists();
    applyViewColumns(mode);
}

void Report::FormatValue()
{
    const QString format = SessionContext::instance().ValueFormat();
    for (const QString &key : valueColumns()) {
        if (widgets::GridColumn *col = column(key))
            col->setFormat(format);
    }
}

void Report::FormatRate()
{
    const QString format = SessionContext::instance().RateFormat();
    for (const QString &key : rateColumns()) {
        if (widgets::GridColumn *col = column(key))
            col->setFormat(format);
    }
}

QVariant Report::FitchData(int ColIndex, int RowBookmark)
{
    if (!m_display || !Main_Table)
        return {};
    const widgets::GridColumn *col = Main_Table->Columns(ColIndex);
    if (!col || !m_display->setAbsolutePosition(qint64(RowBookmark) + 1))
        return {};
    // The value as GetFieldValue gives it in mode 0, except that an empty
    // field shows as an empty cell: its "<<Error>>" marker is for lookups,
    // not for amounts a summary row leaves open.
    const data::Value value = m_display->Fields(col->DataField()).value();
    return value.isNull() ? QVariant() : FieldReader::cellValue(value);
}

void Report::readRow(int row, QVector<QVariant> &values)
{
    if (!Main_Table)
        return;
    values.resize(Main_Table->ColumnCount());
    for (int i = 0; i < values.size(); ++i)
        values[i] = FitchData(i, row);
    if (m_display && m_display->AbsolutePosition() == qint64(row) + 1)
        UnboundChangeData(values);
}

void Report::UnboundChangeData(QVector<QVariant> &) {}
void Report::RowChange() {}
void Report::Table_DblClick() {}

// ---- helpers --------------------------------------------------------------------------------

QWidget *Report::filterWidget(int index) const
{
    if (index < 0 || index >= FilterControlCount)
        return nullptr;
    return m_controls[size_t(index)].Common;
}

void Report::setFilterRole(int index, const char *role, const QVariant &value) const
{
    if (QWidget *widget = filterWidget(index))
        widget->setProperty(role, value);
}

QVariant Report::filterRole(int index, const char *role) const
{
    QWidget *widget = filterWidget(index);
    return widget ? widget->property(role) : QVariant();
}

void Report::setCaption(int index, const QString &caption) const
{
    if (index >= 0 && index < FilterControlCount && m_controls[size_t(index)].lbCaption)
        m_controls[size_t(index)].lbCaption->setText(caption);
}

void Report::setToolEnabled(const QString &id, bool enabled) const
{
    if (Main_Menu) {
        if (widgets::Tool *tool = Main_Menu->Tools(id))
            tool->setEnabled(enabled);
    }
}

void Report::setToolState(const QString &id, int state) const
{
    if (Main_Menu) {
        if (widgets::Tool *tool = Main_Menu->Tools(id))
            tool->setState(state);
    }
}

widgets::GridColumn *Report::column(const QString &key) const
{
    return Main_Table ? Main_Table->Columns(key) : nullptr;
}
