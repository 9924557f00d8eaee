#include "Report.h"

#include "DatabaseLookups.h"
#include "ReportGrid.h"
#include "ReportToolbar.h"

#include "Clock.h"
#include "DealVocabulary.h"
#include "Directories.h"
#include "MessageService.h"
#include "PairList.h"
#include "QueryKey.h"
#include "RegistryAccess.h"
#include "RegistrySettings.h"
#include "SessionContext.h"
#include "SharedValues.h"

#include <QDynamicPropertyChangeEvent>
#include <QLoggingCategory>
#include <QMetaProperty>

#include <algorithm>

Q_LOGGING_CATEGORY(lcReport, "marvolt.report")

namespace {

const QString QueryName = QStringLiteral("Query");

/// The tools a report enables when it has data to show and disables otherwise.
const QStringList ResultTools = {
    QStringLiteral("ID_expand"),        QStringLiteral("ID_collapse"),
    QStringLiteral("ID_Expand_Selection"), QStringLiteral("ID_ShowSummary"),
    QStringLiteral("ID_ShowDetails"),   QStringLiteral("ID_PrintSelection"),
    QStringLiteral("ID_PrintAll"),
};

const TwoRowTable *directoryList(Directory directory)
{
    const Directories::Lists &lists = Directories::current();
    switch (directory) {
    case Directory::None: return nullptr;
    case Directory::Dealers: return &lists.Dealers;
    case Directory::Currencies: return &lists.Currencies;
    case Directory::Pairs: return &lists.Pairs;
    case Directory::TCIDs: return &lists.TCIDs;
    case Directory::Statuses: return &lists.Statuses;
    case Directory::Attributes: return &lists.Attributes;
    case Directory::Brokers: return &lists.Brokers;
    }
    return nullptr;
}

/// The identifiers of the selected names, in the order of the selection;
/// names the directory does not hold have none.
QVariantList idsOf(const TwoRowTable &table, const QStringList &names)
{
    QVariantList ids;
    if (QueryValues::isAll(names))
        return ids;
    for (const QString &name : names) {
        for (int i = 0; i < table.size(); ++i) {
            if (table.text(i) == name) {
                ids.append(table.id(i));
                break;
            }
        }
    }
    return ids;
}

/// Whether a report keeps a second pair selection (Pair2): the reports whose
/// pair box stands beside a currency box, which holds Pair.
bool hasSecondPairList(const ReportLogic &logic)
{
    const auto slots = logic.filterSlots();
    return std::any_of(slots.begin(), slots.end(),
                       [](const FilterSlot &slot) { return slot.names == &QueryValues::Pair2; });
}

bool hasLoroNostro(const ReportLogic &logic)
{
    const auto slots = logic.filterSlots();
    return std::any_of(slots.begin(), slots.end(),
                       [](const FilterSlot &slot) { return slot.store == StoreCall::LoroNostro; });
}

const QString LoroNostroName = QStringLiteral("LORO NOSTRO");

bool hasSlot(const ReportLogic &logic, int index)
{
    const auto slots = logic.filterSlots();
    return std::any_of(slots.begin(), slots.end(), [index](const FilterSlot &slot) { return slot.index == index; });
}

/// The legend selection (KeyArray, the name the legend button and the
/// category dialog use) and the category filter (Category, the name the
/// settings store, the filter store and the print parameters use) are one
/// selection of category keys. Two lists would let the panel show one
/// selection while the query filters on the other, so the one written last
/// goes to both.
void joinLegend(QueryValues &q, const QueryValues &before)
{
    if (q.KeyArray != before.KeyArray && q.Category == before.Category)
        q.Category = q.KeyArray;
    else
        q.KeyArray = q.Category;
}

/// Criteria that no row meets, on any recordset with at least one field:
/// what the detail window shows for a group row or a row without deals.
QString noRowsCriteria(data::Recordset &rs)
{
    const QString field = QLatin1Char('[') + rs.Fields(0).Name() + QLatin1Char(']');
    return field + QStringLiteral(" IS NULL AND ") + field + QStringLiteral(" IS NOT NULL");
}

QStringList itemTexts(std::span<const char *const> items)
{
    QStringList texts;
    for (const char *item : items)
        texts.append(QString::fromLatin1(item));
    return texts;
}

} // namespace

Report::Report(const QString &appName, const ReportLogic &logic, QObject *parent)
    : QObject(parent), App_Name(appName), m_logic(&logic)
{
    m_committed = m_query;
    m_runQuery = m_query;
    publishQuery();
}

Report::~Report()
{
    // Runs read nothing of this object, but they post to it: cancelling and
    // waiting here means no worker outlives the report.
    m_run.reset();
    m_retired.clear();
}

// ---- the query by name -----------------------------------------------------------

void Report::setQuery(const QueryValues &query)
{
    const QueryValues before = m_query;
    m_query = query;
    joinLegend(m_query, before);
    publishQuery();
}

bool Report::setQueryField(const QString &name, const QVariant &value)
{
    bool committed = false;
    const QueryValues::Field *field = QueryValues::field(name, &committed);
    QueryValues &target = committed ? m_committed : m_query;
    const QueryValues before = target;
    if (!field || !field->set(target, value))
        return false;
    joinLegend(target, before);
    publishQuery();
    return true;
}

void Report::publishQuery()
{
    // Reads of the stored query fill Category only.
    for (QueryValues *q : {&m_query, &m_committed})
        q->KeyArray = q->Category;
    m_publishing = true;
    for (const QueryValues::Field &field : QueryValues::fields()) {
        setProperty(field.name, field.get(m_query));
        if (field.committedName)
            setProperty(field.committedName, field.get(m_committed));
    }
    m_publishing = false;
}

bool Report::event(QEvent *event)
{
    // A host (or the runner) wrote a query field as a property: it goes into
    // the query, converted to the field's type, and the properties show the
    // query again, so a value that does not suit the field is undone.
    if (event->type() == QEvent::DynamicPropertyChange && !m_publishing) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName();
        bool committed = false;
        const QueryValues::Field *field = QueryValues::field(QString::fromLatin1(name), &committed);
        if (field && name == (committed ? field->committedName : field->name)) {
            QueryValues &target = committed ? m_committed : m_query;
            const QueryValues before = target;
            if (!field->set(target, property(name.constData())))
                qCWarning(lcReport).noquote() << App_Name << ": the value of" << name << "does not suit the field";
            joinLegend(target, before);
            publishQuery();
        }
    }
    return QObject::event(event);
}

// ---- directories and the query in the panel ----------------------------------------

void Report::RefreshDirectory()
{
    if (m_logic->filterSlots().empty())
        return;
    Directories::LoadDirectories();
    for (const FilterSlot &slot : m_logic->filterSlots()) {
        if (const TwoRowTable *table = directoryList(slot.directory)) {
            if (slot.typedList)
                setFilterRole(slot.index, "TypeData", 2);
            setFilterRole(slot.index, "SArrayData", table->toArrayData());
        }
    }
}

void Report::InitQuPar(const QString &NameFilter)
{
    RefreshDirectory();
    ReadQueryPar(NameFilter);
    SharedValues::setLoadingQuery(true);
    showQueryInPanel();
    SharedValues::setLoadingQuery(false);
    // The query of the last run has nothing to undo; a stored filter has.
    setToolEnabled(QStringLiteral("ID_undo"), NameFilter != QueryName);
}

void Report::showQueryInPanel()
{
    const QueryValues &q = m_query;
    for (const FilterSlot &slot : m_logic->filterSlots()) {
        const int i = slot.index;
        if (slot.caption && m_controls[size_t(i)].lbCaption)
            m_controls[size_t(i)].lbCaption->setProperty("text", QString::fromLatin1(slot.caption));
        if (const DateSlotFields *date = dateSlotFields(i)) {
            setFilterRole(i, "Relative", q.Relative);
            // Set either way: the filter controls outlive the report, and
            // the previous report's "All" must not stay allowed.
            setFilterRole(i, "AllowAll", allowsAll(slot));
            setFilterRole(i, "RetDate", q.Relative ? q.*date->offsetMember : q.*date->dateMember);
        } else if (i == fcCombo1) {
            setFilterRole(i, "currentText", q.Relative ? QStringLiteral("True") : QStringLiteral("False"));
        } else if (i == fcComboNetting) {
            setFilterRole(i, "currentText", q.Netting);
        } else if (i == fcTypeDate) {
            setFilterRole(i, "currentText", q.TypeDate);
        } else if (i == fcCptyBox) {
            setFilterRole(i, "Titul", DealVocabulary::ListTitle(q.Bank));
        } else if (i == fcLegendBox) {
            setFilterRole(i, "Titul", DealVocabulary::KeyTitle(q.KeyArray));
        } else if (slot.names) {
            if (!slot.items.empty()) {
                setFilterRole(i, "TypeData", 2);
                setFilterRole(i, "SArrayData", itemTexts(slot.items));
            }
            setFilterRole(i, "ArrayChecked", q.*slot.names);
        }
    }
}

void Report::ReadQueryPar(const QString &FilterName)
{
    const QueryKey key(App_Name, FilterName);
    key.read(&m_query, m_logic->storedBounds());
    if (hasSecondPairList(*m_logic))
        m_query.Pair2 = key.readList(QueryKey::pair2Name());
    if (hasLoroNostro(*m_logic))
        m_query.LoroNostro = key.readList(LoroNostroName);
    // The setters show the switches on their tools.
    for (const StoredSwitch &stored : m_logic->storedSwitches())
        setProperty(stored.property, key.readBool(QString::fromLatin1(stored.valueName), false));
    if (FilterName == QueryName)
        m_committed = m_query;
    publishQuery();
}

void Report::WriteQueryPar(const QString &FilterName)
{
    if (FilterName == QueryName) {
        m_committed = m_query;
        publishQuery();
    }
    const QueryKey key(App_Name, FilterName);
    // One batch: another process reads the whole query or none of it.
    RegistryAccess::Batch batch(RegistryAccess::instance());
    bool written = key.write(m_query, m_logic->storedBounds());
    if (written && hasSecondPairList(*m_logic))
        written = key.writeList(QueryKey::pair2Name(), m_query.Pair2);
    if (written && hasLoroNostro(*m_logic))
        written = key.writeList(LoroNostroName, m_query.LoroNostro);
    for (const StoredSwitch &stored : m_logic->storedSwitches()) {
        if (written)
            written = key.writeBool(QString::fromLatin1(stored.valueName), property(stored.property).toBool());
    }
    if (written)
        batch.commit();
}

void Report::RestoreQuery()
{
    m_query = m_committed;
    publishQuery();
    showQueryInPanel();
}

void Report::setQPSettings(const QuerySettings &settings)
{
    const QueryValues working = m_query, committed = m_committed;
    m_query = settings.Working;
    m_committed = settings.Committed;
    joinLegend(m_query, working);
    joinLegend(m_committed, committed);
    publishQuery();
}

// ---- binding ------------------------------------------------------------------------

void Report::SetUtil(EventClass *Util)
{
    SessionContext::instance().Trace(QStringLiteral("Start Set Util"));
    m_util = Util;
    // Before the query is shown, which sets what each date control allows.
    const auto slots = m_logic->filterSlots();
    m_siteAllowsOpenStart =
        std::any_of(slots.begin(), slots.end(), [](const FilterSlot &slot) { return slot.allowAllBySite; })
        && DatabaseLookups::GetCustomEditValue();
    if (hasSlot(*m_logic, fcPairBox)) {
        if (data::RecordsetPtr pairs = PairList::PairRecordset()) {
            setFilterRole(fcPairBox, "TypeData", 2);
            setFilterRole(fcPairBox, "SArrayData", PairList::BuildPairList(*pairs));
        }
    }
    if (Main_Table && !m_logic->layout().columns.empty()) {
        const QList<ColumnLayoutEntry> stored = RegistrySettings::LoadColumnLayout(App_Name);
        createColumns(stored);
        // Without a stored layout the first result sizes the columns.
        m_fitColumns = stored.isEmpty();
    }
    RebindTable();
    FormatValue();
    FormatRate();
    InitQuPar(QueryName);
    ReNewFControl();
    if (Main_Table) {
        Main_Table->addHighlight(QStringLiteral("Summ"), QStringLiteral("Summary"), true, 0xFF0000);
        // A group row counts its deals, not the summary rows under it.
        Main_Table->setUncountedRows(QStringLiteral("Summary"), true);
    }
    SessionContext::instance().Trace(QStringLiteral("End Set Util"));
}

void Report::ClearUtil()
{
    RegistrySettings::SaveViewSetting(App_Name, m_settings);
    if (Main_Table && !m_logic->layout().columns.empty())
        RegistrySettings::SaveColumnLayout(App_Name, Main_Table->columnLayout());
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
    std::array<bool, FilterControlCount> used{};
    for (const FilterSlot &slot : m_logic->filterSlots())
        used[size_t(slot.index)] = !slot.available || slot.available();
    for (int i = 0; i < FilterControlCount; ++i) {
        FilterControl &control = m_controls[size_t(i)];
        control.Enabled = used[size_t(i)];
        if (control.Common)
            control.Common->setProperty("visible", control.Enabled);
        if (control.lbCaption)
            control.lbCaption->setProperty("visible", control.Enabled);
    }
}

// ---- running a query -------------------------------------------------------------------

RunQuery Report::makeRunQuery()
{
    RunQuery run;
    for (const FilterSlot &slot : m_logic->filterSlots()) {
        const TwoRowTable *table = directoryList(slot.directory);
        if (!table || !slot.names)
            continue;
        QVariantList ids = idsOf(*table, m_query.*slot.names);
        if (slot.ids)
            m_query.*slot.ids = ids;
        run.ids[size_t(slot.index)] = std::move(ids);
    }
    publishQuery();
    run.query = m_query;
    run.userName = SessionContext::instance().CurrentUserName();
    run.today = Clock::today();
    run.view = m_settings.DisplaySetting;
    if (Main_Table) {
        run.rowOrder = Main_Table->rowOrder();
        run.previousRows = Main_Table->changeMarksBase();
    }
    run.shownRows = &shownRows();
    run.formats = ShownFormats::current();
    const QMetaObject *meta = metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.typeId() == QMetaType::Bool)
            run.switches.insert(QString::fromLatin1(property.name()), property.read(this));
    }
    completeRunQuery(run);
    return run;
}

void Report::StartAnalyser()
{
    if (m_util)
        m_util->RaiseInitProgress(0);
    if (!confirmRun()) {
        if (m_util)
            m_util->RaiseUnActiv();
        return;
    }
    // A run still going is replaced: cancelled at once, its worker left to end
    // on its own (the outcome it may still post is ignored).
    if (m_run) {
        m_run->cancel();
        m_retired.emplace(m_runId, std::move(m_run));
    }
    stopQuery();
    m_pendingId = 0;
    if (m_logic->procedure().isEmpty()) {
        // A report without a query of its own shows an empty grid.
        MainRecordset.reset();
        DetRecordset.reset();
        setDisplay(nullptr);
        displayUpdate({});
        if (m_util)
            m_util->RaiseUnActiv();
        return;
    }
    RunQuery run = makeRunQuery();
    m_runQuery = run.query;
    m_runRateSource = rateSource();
    // The completion names its run, so that the one of a replaced run is told apart.
    const quint64 id = ++m_runCount;
    m_runId = id;
    m_pendingId = id;
    startQuery(std::move(run), id);
}

void Report::startQuery(RunQuery run, quint64 id)
{
    m_run = std::make_unique<ReportRun>(
        *m_logic, std::move(run), SessionContext::instance().ConnectionString(), m_connections, this,
        [this, id](const ReportRun::Outcome &outcome) { runFinished(id, outcome); });
}

void Report::buildFromResults(quint64 id, RunQuery run, std::vector<data::RecordsetPtr> results,
                              QVariantMap outputs)
{
    if (id != m_pendingId)
        return;
    m_run = std::make_unique<ReportRun>(*m_logic, std::move(run), std::move(results), std::move(outputs), this,
                                        [this, id](const ReportRun::Outcome &outcome) { runFinished(id, outcome); });
}

void Report::runFinished(quint64 id, const ReportRun::Outcome &outcome)
{
    if (id != m_pendingId) {
        m_retired.erase(id);
        return;
    }
    m_run.reset();
    m_pendingId = 0;
    AsConnect_ExecuteComplete(outcome);
}

void Report::AsConnect_ExecuteComplete(const ReportRun::Outcome &outcome)
{
    MainRecordset = outcome.result;
    const size_t detailSet = size_t(m_logic->detailResultSet());
    DetRecordset = m_logic->detailView() && detailSet < outcome.results.size() && outcome.results[detailSet]
                       ? outcome.results[detailSet]->Clone()
                       : nullptr;
    setDisplay(outcome.display);
    m_arrangedRows = outcome.rows;
    m_arrangedMarks = outcome.marks;
    if (!outcome.error && !outcome.cancelled) {
        m_resultTime = QDateTime::currentDateTime();
        m_resultRateSource = m_runRateSource;
    }
    if (outcome.error)
        showRunError(outcome);
    displayUpdate(outcome.counts);
    if (m_util)
        m_util->RaiseUnActiv();
    // An open detail window lists the deals of the new result.
    RowChange();
}

void Report::showRunError(const ReportRun::Outcome &outcome)
{
    const data::Error &error = *outcome.error;
    // A store call that fails is told as the filter store tells it; a
    // connection or a procedure that fails as the query's error.
    if (outcome.failedStep.startsWith(QLatin1String("Store")) || outcome.failedStep == QLatin1String("createRunScope")) {
        SessionContext::instance().ReportError(error.Number, QStringLiteral("Marvolt. ") + outcome.failedStep
                                                                 + QStringLiteral(". \r\n") + error.Description);
        return;
    }
    MessageService::instance().ShowError(QStringLiteral("Error Return Information. Error number: ")
                                         + QString::number(error.Number) + QLatin1Char('\r')
                                         + error.Description);
}

void Report::displayUpdate(const DisplayCounts &counts)
{
    NumDeal = m_display ? counts.deals : 0;
    NumTable = m_display ? counts.groups : 0;
    if (m_display && counts.groups > 0) {
        RebindTable();
        if (m_fitColumns && Main_Table) {
            Main_Table->fitColumnsToContents();
            m_fitColumns = false;
        }
        for (const QString &tool : ResultTools)
            setToolEnabled(tool, true);
        // Printing a selection makes no sense on summary rows alone.
        setToolEnabled(QStringLiteral("ID_PrintSelection"), m_settings.DisplaySetting != vwSummary);
        QString firstCaption;
        if (m_display->RecordCount() > 0) {
            m_display->MoveFirst();
            firstCaption = m_display->Fields(QStringLiteral("Caption")).value().toString();
        }
        if (m_util)
            m_util->RaiseReselect(firstCaption, NumDeal, NumTable);
        // The committed query is the one that produced the data shown.
        m_query = m_runQuery;
        WriteQueryPar(QueryName);
        setToolEnabled(QStringLiteral("ID_undo"), false);
        if (m_util)
            m_util->RaiseUnActiv();
    } else {
        if (m_util)
            m_util->RaiseUnActiv();
        setDisplay(nullptr);
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
    setDisplay(std::make_shared<data::Recordset>());
    m_display->setCursorLocation(data::adUseClient);
    m_display->setCursorType(data::adOpenStatic);
    auto fields = m_display->Fields();
    for (const DisplayField &field : m_logic->layout().fields)
        fields.Append(QString::fromLatin1(field.name), field.type, field.size);
    if (m_display->Fields().Count() == 0 || !m_display->Open())
        setDisplay(nullptr);
}

void Report::RebindTable()
{
    const View mode = m_settings.DisplaySetting;
    // A run's rows come filtered and arranged for the view and the grid's
    // order of its start; they serve this binding only.
    std::shared_ptr<const RowArrangement> arranged = std::exchange(m_arrangedRows, nullptr);
    std::shared_ptr<const RowChangeMarks::Comparison> marks = std::exchange(m_arrangedMarks, nullptr);
    bool filtered = true;
    if (m_display) {
        const QString filter = viewFilter(mode);
        // Rows arranged for another view (changed while the run went) are
        // other rows, however many there are.
        if (m_display->Filter() != filter) {
            arranged.reset();
            marks.reset();
        }
        // A refused filter would leave the rows of the previous mode on
        // screen as if they were this mode's: the grid shows none instead.
        filtered = m_display->Filter() == filter || m_display->setFilter(filter);
        if (!filtered) {
            const data::ErrorPtr error = m_display->lastError();
            MessageService::instance().ShowError(App_Name + QStringLiteral(": the rows of the view cannot be chosen. ")
                                                 + (error ? error->Description : QString()));
        }
    }
    setToolEnabled(QStringLiteral("ID_PrintSelection"), mode != vwSummary);
    if (!Main_Table)
        return;
    const int rows = m_display && filtered ? int(m_display->RecordCount()) : 0;
    if (arranged && rows > 0)
        Main_Table->setRows(rows, *arranged, marks.get());
    else
        Main_Table->setItemCount(rows);
    for (const ReportColumn &column : m_logic->layout().columns) {
        if (column.valueList)
            column.valueList(Main_Table->valueList(QString::fromLatin1(column.key)));
        const OnView onView = column.views[size_t(mode)];
        if (onView != OnView::Keep)
            Main_Table->setColumnVisible(QString::fromLatin1(column.key), onView == OnView::Show);
    }
}

void Report::FormatValue()
{
    if (!Main_Table)
        return;
    const QString format = SessionContext::instance().ValueFormat();
    for (const ReportColumn &column : m_logic->layout().columns) {
        if (column.format == ColumnFormat::Amount)
            Main_Table->setColumnFormat(QString::fromLatin1(column.key), format);
    }
}

void Report::FormatRate()
{
    if (!Main_Table)
        return;
    const QString format = SessionContext::instance().RateFormat();
    for (const ReportColumn &column : m_logic->layout().columns) {
        if (column.format == ColumnFormat::Rate)
            Main_Table->setColumnFormat(QString::fromLatin1(column.key), format);
    }
}

void Report::setDisplay(data::RecordsetPtr display)
{
    m_display = std::move(display);
    // The reader holds its display: the one replaced goes now, not at the next read.
    m_displayReader.reset();
}

QVariant Report::FitchData(int ColIndex, int RowBookmark)
{
    if (!m_display)
        return {};
    // The grid reads every row's group and sort cells when it binds: the
    // fields of the columns are looked up once per display, not per cell.
    if (!m_displayReader)
        m_displayReader = std::make_unique<DisplayReader>(m_display, m_logic->layout(), shownRows());
    return m_displayReader->cell(RowBookmark, ColIndex, ShownFormats::current());
}

void Report::readRow(int row, QVector<QVariant> &values)
{
    values.resize(qsizetype(m_logic->layout().columns.size()));
    for (int i = 0; i < values.size(); ++i)
        values[i] = FitchData(i, row);
    if (m_display && m_display->AbsolutePosition() == qint64(row) + 1)
        UnboundChangeData(values);
}

void Report::UnboundChangeData(QVector<QVariant> &Values)
{
    if (m_display && !m_display->Eof() && !m_display->Bof())
        shownRows().changeRow({*m_display, m_logic->layout(), ShownFormats::current()}, Values);
}

std::shared_ptr<DisplayReader> Report::detachedDisplayReader() const
{
    return DisplayReader::detached(m_display, m_logic->layout(), shownRows(), ShownFormats::current());
}

int Report::CurrentDet() const
{
    const std::optional<DetailView> view = m_logic->detailView();
    return view ? int(*view) : -1;
}

void Report::RowChange()
{
    if (!m_logic->detailView() || !Main_Menu || !Main_Table
        || Main_Menu->toolState(QStringLiteral("ID_DetailWIndow")) != 1)
        return;
    QString caption;
    QString criteria;
    if (Main_Table->currentIsGroupRow()) {
        caption = Main_Table->currentGroupCaption();
    } else {
        const int row = Main_Table->currentDisplayRow();
        if (row >= 0 && m_display && m_display->setAbsolutePosition(qint64(row) + 1)) {
            criteria = m_display->Fields(QStringLiteral("CurrentFilter")).value().toString().trimmed();
            caption = detailCaption(*m_display);
        }
    }
    if (DetRecordset && DetRecordset->State() == data::adStateOpen && DetRecordset->Fields().Count() > 0) {
        // An empty filter would list every deal of the result: a row that
        // names no deals lists none. A refused filter lists none as well,
        // quietly: the user moves on to the next row, not through a message
        // box at every step.
        if (criteria.isEmpty() || !DetRecordset->setFilter(criteria)) {
            if (!criteria.isEmpty())
                qCWarning(lcReport).noquote() << App_Name << ": the deals of the row cannot be chosen:" << criteria;
            (void)DetRecordset->setFilter(noRowsCriteria(*DetRecordset));
        }
    }
    if (m_util)
        m_util->RaiseDetCaption(caption);
}

void Report::Table_DblClick()
{
    RowChange();
}

// ---- helpers --------------------------------------------------------------------------------

void Report::setLogic(const ReportLogic &logic)
{
    m_logic = &logic;
}

void Report::createColumns(const QList<ColumnLayoutEntry> &layout)
{
    if (!Main_Table)
        return;
    Main_Table->setColumns(m_logic->layout());
    for (const ColumnLayoutEntry &entry : layout)
        Main_Table->applyColumnLayout(entry);
}

void Report::boldSummariesBesideDetails() const
{
    if (!Main_Table)
        return;
    const bool bold = m_settings.DisplaySetting != vwSummary;
    Main_Table->setHighlightBold(QStringLiteral("Summ"), bold);
    Main_Table->setHighlightBold(QStringLiteral("NegSumm"), bold);
}

void Report::setFilterRole(int index, const char *role, const QVariant &value) const
{
    if (index < 0 || index >= FilterControlCount)
        return;
    if (QObject *control = m_controls[size_t(index)].Common)
        control->setProperty(role, value);
}

void Report::setToolEnabled(const QString &id, bool enabled) const
{
    if (Main_Menu)
        Main_Menu->setToolEnabled(id, enabled);
}

void Report::setWithArchive(bool on)
{
    // The archive can be added only where the host's table and database have
    // one; the tool shows the switch as it is.
    WithArchive = on && SharedValues::ArchiveAvailable();
    setToolState(QStringLiteral("ID_WithArchive"), WithArchive ? 1 : 0);
}

void Report::offerArchiveSwitch()
{
    setToolEnabled(QStringLiteral("ID_WithArchive"), SharedValues::ArchiveAvailable());
    setWithArchive(WithArchive);
}

void Report::setToolState(const QString &id, int state) const
{
    if (Main_Menu)
        Main_Menu->setToolState(id, state);
}
