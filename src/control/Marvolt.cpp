#include "Marvolt.h"

#include "MainMenuTools.h"
#include "QueryFieldWriter.h"
#include "QueryPanelDock.h"
#include "QueryPanelEvents.h"
#include "ReportChartFeed.h"
#include "ReportGridAdapter.h"
#include "ReportPrinter.h"

#include "EventClass.h"
#include "Report.h"
#include "ReportFactory.h"

#include "Clock.h"
#include "DirectoryProvider.h"
#include "RegistrySettings.h"
#include "SessionContext.h"
#include "SharedValues.h"
#include "TextTable.h"

#include "DetailWindow.h"
#include "RateWindow.h"
#include "TcidDialog.h"

#include "BusyIndicator.h"
#include "CheckCombo.h"
#include "ElapsedBut.h"
#include "Grid.h"
#include "RelDate.h"
#include "ReportChart.h"
#include "ToolBar.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int AutoRefreshMs = 10000;
/// How long a run may take before the control shows it is busy.
constexpr int BusyLookDelayMs = 150;
const QString ArchiveTable = QStringLiteral("Archive");
const QString ArchiveProbe = QStringLiteral("SELECT TCID FROM Archive Where TCID='ZZZZ'");

} // namespace

Marvolt::Marvolt(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Marvolt"));
    // Relative filter dates count from the same "today" as the reports.
    widgets::RelDate::setTodayProvider([] { return Clock::today(); });
    // The profit reports' rate program shows its quotes in a window of ours.
    RateWindow::install();

    m_timer.setInterval(AutoRefreshMs);
    connect(&m_timer, &QTimer::timeout, this, &Marvolt::timerTick);
    m_busyLook.setSingleShot(true);
    m_busyLook.setInterval(BusyLookDelayMs);
    connect(&m_busyLook, &QTimer::timeout, this, [this] { setUpdatesEnabled(true); });

    m_libraryDirectory = QCoreApplication::applicationDirPath();
    m_detailFactory = [](QWidget *parent) -> QWidget * { return new frmDetails(parent); };

    m_mainMenu = new widgets::ToolBar(this);
    m_mainMenu->setObjectName(QStringLiteral("MainMenu"));
    m_mainTable = new widgets::Grid(this);
    m_mainTable->setObjectName(QStringLiteral("MainTable"));
    m_chart = new widgets::ReportChart(this);
    m_chart->setObjectName(QStringLiteral("Chart"));
    m_chart->hide();
    m_chartUpdate.setSingleShot(true);
    connect(&m_chartUpdate, &QTimer::timeout, this, &Marvolt::updateChart);
    // The chart follows what the grid shows: a new result, a view, a regrouping, the current group.
    const auto later = [this] { m_chartUpdate.start(); };
    connect(m_mainTable->gridModel(), &QAbstractItemModel::modelReset, this, later);
    connect(m_mainTable->gridModel(), &QAbstractItemModel::layoutChanged, this, later);
    // Only a ladder depends on the current row (its group); bars read every
    // group's summary, which a move of the cursor does not change.
    connect(m_mainTable, &widgets::Grid::RowChange, this, [this] {
        const std::optional<ChartLayout> layout = m_report ? m_report->logic().chart() : std::nullopt;
        if (layout && layout->kind == ChartLayout::Kind::Ladder)
            m_chartUpdate.start();
    });
    m_gridAdapter = std::make_unique<ReportGridAdapter>(m_mainTable);
    m_toolbarAdapter = std::make_unique<ReportToolbarAdapter>(m_mainMenu);
    m_animProgress = new widgets::BusyIndicator(this);
    m_animProgress->setObjectName(QStringLiteral("AnimProgress"));

    MainMenuTools::build(*m_mainMenu);
    connect(m_mainMenu, &widgets::ToolBar::ToolClick, this, &Marvolt::onToolClick);
    connect(m_mainMenu, &widgets::ToolBar::ComboSelChange, this, &Marvolt::onComboSelChange);
    connect(m_mainMenu, &widgets::ToolBar::MouseEnter, this, &Marvolt::onToolMouseEnter);
    connect(m_mainTable, &widgets::Grid::DblClick, this, &Marvolt::onGridDblClick);
    connect(m_mainTable, &widgets::Grid::KeyPress, this, &Marvolt::onGridKeyPress);
    connect(m_mainTable, &widgets::Grid::RowChange, this, &Marvolt::onGridRowChange);
    connect(m_mainTable, &widgets::Grid::MouseUp, this, &Marvolt::onGridMouseUp);
    connect(m_mainTable, &QTreeView::collapsed, this, [this] {
        if (m_settings.DisplaySetting == vwSummary)
            m_summaryCollapsedByUser = true;
    });
    connect(m_mainTable->gridModel(), &QAbstractItemModel::modelReset, this, &Marvolt::updateRowTools);
    // The focus entering the control from outside, wherever inside it lands.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (now && isAncestorOf(now) && !(old && isAncestorOf(old)))
            onFocusEntered();
    });

    // Start-up, in its fixed order: the fixed lists, the filter table, the
    // toolbar texts, the view on the toolbar (nothing without a report), the layout.
    buildFilters();
    connectFilters();
    fillFixedLists();
    MainMenuTools::localise(*m_mainMenu);
    ApplyViewToToolbar();
    // Nothing to undo before a query has run, no rows to copy and no column
    // picked for a new caption.
    for (const char *id : {"ID_undo", "ID_Copy", "ID_Caption"})
        setToolEnabled(QString::fromLatin1(id), false);
    buildLayout();
}

Marvolt::~Marvolt()
{
    // The report reads the grid and the filter controls through its
    // references: release it before the widgets go.
    m_timer.stop();
    m_panelEvents.reset();
    // The detail window belongs to the host's window, not to the control:
    // it goes now, while it can still save its layout.
    closeDetailWindow();
    m_report.reset();
    m_currentActiv.reset();
}

// ---- start-up ----------------------------------------------------------------------------

void Marvolt::buildFilters()
{
    m_queryPanel = new QFrame(this);
    m_queryPanel->setObjectName(QStringLiteral("QueryPanel"));
    m_filterBody = new QWidget(m_queryPanel);
    m_filterBody->setObjectName(QStringLiteral("FilterBody"));

    const auto makeLabel = [this](const QString &name, const QString &text) {
        auto *label = new QLabel(text, m_filterBody);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setProperty("filterCaption", true);
        return label;
    };
    const auto makeCheckCombo = [this](const QString &name) {
        auto *box = new widgets::CheckCombo(m_filterBody);
        box->setObjectName(name);
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return box;
    };
    const auto makeList = [this](const QString &name) {
        auto *combo = new QComboBox(m_filterBody);
        combo->setObjectName(name);
        combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return combo;
    };
    const auto makeTitleButton = [this](const QString &name) {
        auto *button = new widgets::ElapsedBut(m_filterBody);
        button->setObjectName(name);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setTitul(QStringLiteral("All"));
        return button;
    };

    // The captions' initial texts; reports replace some through lbCaption.
    static const char *const LabelTexts[15] = {
        "Start Date", "Deal Type", "Cur Pair", "Relative", "Cpty ID", "Dealer ID", "Netting", "End Date",
        "Currency",   "Category",  "Desk",     "Attributes", "Start Val Date", "End Val Date", "Client",
    };
    for (int i = 0; i < 15; ++i)
        ValLabel[size_t(i)] = makeLabel(QStringLiteral("ValLabel%1").arg(i), QString::fromLatin1(LabelTexts[i]));
    lblTypeDate = makeLabel(QStringLiteral("lblTypeDate"), QStringLiteral("Type Date"));
    lblLoroNostro = makeLabel(QStringLiteral("lblLoroNostro"), QStringLiteral("Account"));
    lblTCID = makeLabel(QStringLiteral("lblTCID"), QStringLiteral("Local TCID"));

    for (int i = 0; i < 4; ++i) {
        auto *picker = new widgets::RelDate(m_filterBody);
        picker->setObjectName(QStringLiteral("DateReport%1").arg(i));
        picker->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        DateReport[size_t(i)] = picker;
    }
    Combo1 = makeList(QStringLiteral("Combo1"));
    Combo1->addItems({QStringLiteral("True"), QStringLiteral("False")});
    ComboNetting = makeList(QStringLiteral("ComboNetting"));
    ComboNetting->addItems({QStringLiteral("All"), QStringLiteral("Yes"), QStringLiteral("No")});
    TypeDate = makeList(QStringLiteral("TypeDate"));
    DealBox = makeCheckCombo(QStringLiteral("DealBox"));
    PairBox = makeCheckCombo(QStringLiteral("PairBox"));
    CcyBox = makeCheckCombo(QStringLiteral("CcyBox"));
    CptyBox = makeTitleButton(QStringLiteral("CptyBox"));
    DealerBox = makeCheckCombo(QStringLiteral("DealerBox"));
    LegendBox = makeTitleButton(QStringLiteral("LegendBox"));
    StatusBox = makeCheckCombo(QStringLiteral("StatusBox"));
    chLoroNostro = makeCheckCombo(QStringLiteral("chLoroNostro"));
    TCIDBox = makeCheckCombo(QStringLiteral("TCIDBox"));
    ListAttrib = makeCheckCombo(QStringLiteral("ListAttrib"));
    ClientBox = makeCheckCombo(QStringLiteral("ClientBox"));

    const std::array<std::pair<QWidget *, QLabel *>, FilterControlCount> table = {{
        {DateReport[0], ValLabel[0]},  {DateReport[1], ValLabel[7]}, {Combo1, ValLabel[3]},
        {ComboNetting, ValLabel[6]},   {DealBox, ValLabel[1]},       {PairBox, ValLabel[2]},
        {CcyBox, ValLabel[8]},         {CptyBox, ValLabel[4]},       {DealerBox, ValLabel[5]},
        {LegendBox, ValLabel[9]},      {StatusBox, ValLabel[10]},    {TypeDate, lblTypeDate},
        {chLoroNostro, lblLoroNostro}, {TCIDBox, lblTCID},           {ListAttrib, ValLabel[11]},
        {DateReport[2], ValLabel[12]}, {DateReport[3], ValLabel[13]}, {ClientBox, ValLabel[14]},
    }};
    for (int i = 0; i < FilterControlCount; ++i) {
        const auto [common, caption] = table[size_t(i)];
        m_filterControls[size_t(i)] = {caption, common, false};
        // Each report shows the filters it uses (ReNewFControl); until then
        // the panel is empty.
        common->hide();
        caption->hide();
        common->installEventFilter(this);
        caption->setBuddy(common);
    }
    m_panelSlots = m_filterControls;

    // Hints for the host's status bar (0: the event is raised, the text stays).
    registerHint(CcyBox, 1035);
    registerHint(PairBox, 1034);
    registerHint(DealBox, 1033);
    registerHint(DealerBox, 1037);
    registerHint(StatusBox, 1039);
    registerHint(CptyBox, 1036);
    registerHint(LegendBox, 1038);
    for (int i = 0; i < 4; ++i)
        registerHint(DateReport[size_t(i)], 1029 + i);
    static const int LabelHints[10] = {1029, 1033, 1034, 1031, 1036, 1037, 1032, 1030, 1035, 1038};
    for (int i = 0; i < 15; ++i)
        registerHint(ValLabel[size_t(i)], i < 10 ? LabelHints[i] : 0);
    Combo1->installEventFilter(this);
    ComboNetting->installEventFilter(this);
}

void Marvolt::connectFilters()
{
    QueryPanelControls controls;
    controls.DateReport = DateReport;
    controls.Combo1 = Combo1;
    controls.ComboNetting = ComboNetting;
    controls.TypeDate = TypeDate;
    controls.DealBox = DealBox;
    controls.PairBox = PairBox;
    controls.CcyBox = CcyBox;
    controls.DealerBox = DealerBox;
    controls.StatusBox = StatusBox;
    controls.chLoroNostro = chLoroNostro;
    controls.TCIDBox = TCIDBox;
    controls.ListAttrib = ListAttrib;
    controls.ClientBox = ClientBox;
    controls.CptyBox = CptyBox;
    controls.LegendBox = LegendBox;
    m_panelEvents = std::make_unique<QueryPanelEvents>(controls, m_mainMenu, [this] { return m_report.get(); });
    m_panelEvents->setCounterpartyDialogFactory(
        [](Report &report, QWidget *parent) -> QDialog * { return new TcidDialog(&report, parent); });
}

void Marvolt::registerHint(QWidget *widget, int textId)
{
    m_hints.insert(widget, textId);
    widget->installEventFilter(this);
}

void Marvolt::fillFixedLists()
{
    StatusBox->setTypeData(2);
    if (SessionContext::instance().isOpen()) {
        bool allStatuses = true;
        StatusBox->setSArrayData(DirectoryProvider::instance().StatusList(allStatuses).toArrayData());
    }
    chLoroNostro->setTypeData(2);
    chLoroNostro->setSArrayData(QStringList{QStringLiteral("LORO"), QStringLiteral("NOSTRO"), QStringLiteral("NONE")});
    ClientBox->setTypeData(2);
    ClientBox->setSArrayData(QStringList{QStringLiteral("Client"), QStringLiteral("Non Client")});
}

void Marvolt::buildLayout()
{
    // The title bar of the query panel: caption, busy animation, hide button.
    m_titlePanel = new QWidget(m_queryPanel);
    m_titlePanel->setObjectName(QStringLiteral("TitlePanel"));
    auto *title = new QLabel(QStringLiteral("Query Params"), m_titlePanel);
    title->setObjectName(QStringLiteral("TitleCaption"));
    m_closeFilter = new QToolButton(m_titlePanel);
    m_closeFilter->setObjectName(QStringLiteral("CloseFilter"));
    m_closeFilter->setAutoRaise(true);
    m_closeFilter->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
    m_closeFilter->setToolTip(TextTable::LoadText(13018));
    connect(m_closeFilter, &QToolButton::clicked, this, &Marvolt::hideQueryPanel);
    auto *titleLayout = new QHBoxLayout(m_titlePanel);
    titleLayout->setContentsMargins(10, 4, 4, 4);
    titleLayout->addWidget(title);
    titleLayout->addStretch(1);
    titleLayout->addWidget(m_animProgress);
    titleLayout->addWidget(m_closeFilter);
    registerHint(m_queryPanel, 1020);
    registerHint(m_titlePanel, 1020);
    registerHint(m_closeFilter, 13018);
    registerHint(m_mainTable->viewport(), 1021);

    // Below the toolbar: the grid, and the query panel docked at one of its
    // edges or floating over it, where the user dragged it.
    auto *clientArea = new QWidget(this);
    clientArea->setObjectName(QStringLiteral("ClientArea"));
    // The grid with the chart beside it, as one table for the dock.
    auto *gridArea = new QSplitter(Qt::Horizontal, clientArea);
    gridArea->setObjectName(QStringLiteral("GridArea"));
    gridArea->setChildrenCollapsible(false);
    gridArea->addWidget(m_mainTable);
    gridArea->addWidget(m_chart);
    gridArea->setStretchFactor(0, 3);
    gridArea->setStretchFactor(1, 2);
    m_dock = new QueryPanelDock(clientArea, m_queryPanel, m_titlePanel, m_filterBody, gridArea, this);
    m_dock->setFilters(m_panelSlots);
    connect(m_dock, &QueryPanelDock::placementChanged, this, [this](const AllSettings &placed) {
        // Only the place: the display mode may have changed since the last apply.
        m_settings.QPAlign = placed.QPAlign;
        m_settings.QPPosition = placed.QPPosition;
        pushViewSettings();
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(m_mainMenu);
    layout->addWidget(clientArea, 1);

    setStyleSheet(QStringLiteral(
        "QFrame#QueryPanel { border: 1px solid palette(mid); border-radius: 6px; background: palette(base); }"
        "QWidget#TitlePanel { border-bottom: 1px solid palette(midlight); }"
        "QLabel#TitleCaption { font-weight: 600; }"
        "QLabel[filterCaption=\"true\"] { color: palette(dark); }"));
}

// ---- the published interface ----------------------------------------------------------------

void Marvolt::StopProgress()
{
    m_animProgress->stop();
}

void Marvolt::RefreshData()
{
    RunReport();
}

QString Marvolt::StatBarText() const
{
    return SharedValues::StatBarText();
}

QString Marvolt::TableName() const
{
    return SharedValues::TableName();
}

void Marvolt::setTableName(const QString &name)
{
    SharedValues::setTableName(name);
    if (name == ArchiveTable) {
        // Archive deals cannot add the archive to themselves.
        setToolEnabled(QStringLiteral("ID_WithArchive"), false);
        SharedValues::setArchiveAvailable(false);
        if (m_report)
            m_report->setWithArchive(false);
        return;
    }
    // Whether this database has an archive at all: any failure (no session,
    // no table, a locked file) means it cannot be added.
    bool available = false;
    if (data::Connection *connection = SessionContext::instance().SessionConnection();
        connection && connection->State() != data::adStateClosed) {
        connection->Execute(ArchiveProbe);
        available = !connection->lastError();
    }
    SharedValues::setArchiveAvailable(available);
    setToolEnabled(QStringLiteral("ID_WithArchive"), available);
    // A switch on for an archive that is gone goes off, tool and all.
    if (m_report)
        m_report->setWithArchive(m_report->WithArchive);
}

void Marvolt::RefreshDirectory()
{
    if (m_report)
        m_report->RefreshDirectory();
}

QString Marvolt::FormatRate() const
{
    return SharedValues::FormatRate();
}

void Marvolt::setFormatRate(const QString &format)
{
    SharedValues::setFormatRate(format);
    SessionContext::instance().setRateFormat(format);
    if (m_report)
        m_report->FormatRate();
}

QString Marvolt::FormatValue() const
{
    return SharedValues::FormatValue();
}

void Marvolt::setFormatValue(const QString &format)
{
    SharedValues::setFormatValue(format);
    SessionContext::instance().setValueFormat(format);
    if (m_report)
        m_report->FormatValue();
}

void Marvolt::setWindowType(int value)
{
    m_windowType = value;
    installReport(ReportFactory::createReport(value));
}

void Marvolt::installReport(std::unique_ptr<Report> created)
{
    // The previous report is released without being called (no ClearUtil):
    // its settings were saved when it was created or last run.
    releaseReport();
    if (!created) {
        // Without a report the grid has nothing to show.
        m_mainTable->setItemCount(0);
        return;
    }
    m_report = std::move(created);
    m_summaryCollapsedByUser = false;

    App_Name = m_report->App_Name;
    m_defaultDir = RegistrySettings::LoadDefaults(App_Name, &m_defaultForm);

    m_currentActiv = std::make_unique<EventClass>();
    connect(m_currentActiv.get(), &EventClass::InitProgress, this, &Marvolt::onInitProgress);
    connect(m_currentActiv.get(), &EventClass::StepProgress, this, &Marvolt::onStepProgress);
    connect(m_currentActiv.get(), &EventClass::UnActivProgress, this, &Marvolt::onUnActivProgress);
    connect(m_currentActiv.get(), &EventClass::ReSelectTabl, this, &Marvolt::onReSelectTabl);
    connect(m_currentActiv.get(), &EventClass::SetDetCaption, this, &Marvolt::onSetDetCaption);

    // Each report shows the tools it brings and disables the filters its
    // view does not use; what the previous report showed or disabled goes.
    MainMenuTools::showStartTools(*m_mainMenu);
    // The chart tool is there for a report that has a chart.
    if (widgets::Tool *chartTool = tool(QStringLiteral("ID_Chart")))
        chartTool->setVisible(m_report->logic().chart().has_value());
    showChart(m_chartShown);
    for (const FilterControl &slot : m_filterControls) {
        for (QObject *part : {slot.Common.data(), slot.lbCaption.data()}) {
            if (part)
                part->setProperty("enabled", true);
        }
    }
    m_report->Main_Menu = m_toolbarAdapter.get();
    m_report->Main_Table = m_gridAdapter.get();
    for (int index = 0; index < FilterControlCount; ++index)
        m_report->setQPControl(index, m_filterControls[size_t(index)]);
    m_settings = RegistrySettings::LoadViewSetting(App_Name);
    m_report->setViewSetting(m_settings);
    ApplyViewToToolbar();
    m_report->SetUtil(m_currentActiv.get());
    installGridReaders();

    m_dock->apply(m_settings);
}

void Marvolt::Control_Unload()
{
    StopAutoRefresh();
    for (FilterControl &slot : m_filterControls)
        slot = FilterControl();
    if (m_report) {
        RegistrySettings::SaveDefaults(App_Name, m_defaultForm, m_defaultDir);
        m_report->ClearUtil();
    }
    releaseReport();
    m_mainTable->setItemCount(0);
}

QVariant Marvolt::BankArray() const
{
    return SharedValues::BankArray();
}

void Marvolt::setBankArray(const QVariant &banks)
{
    SharedValues::setBankArray(banks.canConvert<QVariantList>() && banks.typeId() != QMetaType::QString
                                   ? banks.toList()
                                   : QVariantList());
}

// ---- host helpers -------------------------------------------------------------------------------

FilterControl Marvolt::filterControl(int index) const
{
    if (index < 0 || index >= FilterControlCount)
        return {};
    return m_filterControls[size_t(index)];
}

void Marvolt::setDisplayMode(View mode)
{
    if (!m_report)
        return;
    setToolState(QStringLiteral("ID_ShowDetails"), mode != vwSummary ? 1 : 0);
    setToolState(QStringLiteral("ID_ShowSummary"), mode != vwDetail ? 1 : 0);
    applyDisplayMode(mode);
}

void Marvolt::applyDisplayMode(View mode)
{
    m_settings.DisplaySetting = mode;
    m_summaryCollapsedByUser = false;
    pushViewSettings();
    // Another view shows other rows: nothing of it is a change.
    m_mainTable->forgetRowsForChangeMarks();
    m_report->RebindTable();
    expandAfterBind();
}

bool Marvolt::setQueryField(const QString &field, const QString &value, QString *error)
{
    if (!m_report) {
        if (error)
            *error = QStringLiteral("no report to set \"%1\" on").arg(field);
        return false;
    }
    QueryFieldWriter writer(*m_report, m_filterControls);
    if (!writer.write(field, value)) {
        if (error)
            *error = writer.lastError();
        return false;
    }
    return true;
}

bool Marvolt::loadStoredFilter(const QString &name, QString *error)
{
    if (!m_report) {
        if (error)
            *error = QStringLiteral("no report to load the filter \"%1\" into").arg(name);
        return false;
    }
    bool stored = name == QLatin1String("Query");
    const RegistryValues filters = RegistrySettings::ListStoredFilters(App_Name);
    for (const RegistryValue &filter : filters)
        stored = stored || filter.name.compare(name, Qt::CaseInsensitive) == 0;
    if (!stored) {
        QStringList names;
        for (const RegistryValue &filter : filters)
            names.append(filter.name);
        if (error)
            *error = QStringLiteral("no stored filter \"%1\" for %2 (stored: %3)")
                         .arg(name, App_Name, names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", ")));
        return false;
    }
    m_report->InitQuPar(name);
    return true;
}

// ---- wiring and refresh ---------------------------------------------------------------------------

void Marvolt::RunReport()
{
    if (!m_report)
        return;
    // No tick may start a second query while this one runs.
    StopAutoRefresh();
    // A refresh of the same query marks what changed; another query's rows
    // are new as a whole and are not marked.
    if (m_report->query() != m_report->committedQuery())
        m_mainTable->forgetRowsForChangeMarks();
    m_report->StartAnalyser();
}

void Marvolt::StartAutoRefresh()
{
    m_tickCounter = 0;
    m_timer.setInterval(AutoRefreshMs);
    m_timer.start();
}

void Marvolt::StopAutoRefresh()
{
    m_timer.stop();
    m_tickCounter = 0;
}

void Marvolt::timerTick()
{
    ++m_tickCounter;
    if (m_tickCounter >= m_tickLimit)
        RunReport();
}

void Marvolt::ApplyViewToToolbar()
{
    if (!m_report)
        return;
    const AllSettings view = m_report->ViewSetting();
    setToolState(QStringLiteral("ID_ShowDetails"), view.DisplaySetting != vwSummary ? 1 : 0);
    setToolState(QStringLiteral("ID_ShowSummary"), view.DisplaySetting != vwDetail ? 1 : 0);
    for (const char *id : {"ID_PrintSelection", "ID_PrintAll", "ID_expand", "ID_collapse", "ID_Expand_Selection"})
        setToolEnabled(QString::fromLatin1(id), false);
    if (view.QPVisible)
        setToolState(QStringLiteral("ID_Filter"), 1);
    // Both ways: the tool must not keep the check mark of a previous report.
    setToolState(QStringLiteral("ID_ExpandAfterRefresh"), view.AutoExpand ? 1 : 0);
    if (!App_Name.isEmpty())
        FillStoredFilters();
}

void Marvolt::FillStoredFilters()
{
    widgets::Tool *combo = tool(QStringLiteral("ID_ListParams"));
    if (!combo)
        return;
    const RegistryValues filters = RegistrySettings::ListStoredFilters(App_Name);
    combo->Clear();
    if (filters.isEmpty()) {
        setToolEnabled(QStringLiteral("ID_Delete"), false);
        return;
    }
    for (const RegistryValue &filter : filters)
        combo->AddItem(filter.name);
    setToolEnabled(QStringLiteral("ID_Delete"), true);
    combo->setListIndex(-1);
}

void Marvolt::releaseReport()
{
    // A report replaced in the middle of its query never sends the end of
    // it: end the busy state here, or the control would stay disabled.
    endRunningQuery();
    // The detail window shows the deals of this report: it goes with it.
    closeDetailWindow();
    setToolState(QStringLiteral("ID_DetailWIndow"), 0);
    m_report.reset();
    m_currentActiv.reset();
}

void Marvolt::endRunningQuery()
{
    if (!m_queryRunning)
        return;
    m_queryRunning = false;
    setEnabled(true);
    m_animProgress->stop();
    Q_EMIT UnActivProgress();
}

// ---- events and layout -------------------------------------------------------------------------------

bool Marvolt::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        if (const auto hint = m_hints.constFind(watched); hint != m_hints.constEnd()) {
            if (hint.value() > 0)
                SharedValues::setStatBarText(TextTable::LoadText(hint.value()));
            Q_EMIT MouseMove();
        }
        break;
    case QEvent::FocusIn:
        if (watched == Combo1 || watched == ComboNetting) {
            SharedValues::setStatBarText(TextTable::LoadText(watched == Combo1 ? 1031 : 1032));
            Q_EMIT MouseMove();
        }
        break;
    case QEvent::MouseButtonRelease:
        // The filter menu on the panel's title bar.
        if (watched == m_titlePanel && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            m_mainMenu->PopupMenu(QStringLiteral("ID_FilterMenu"));
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        // A report showed or hid a filter: the panel closes the gaps.
        scheduleFilterLayout();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Marvolt::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Shown idle, unless a query is already running.
    if (!m_queryRunning)
        m_animProgress->stop();
    relayout();
}

void Marvolt::relayout()
{
    // Without a report there is no panel layout to apply; the dock itself
    // does nothing while the window is minimized.
    if (m_report)
        m_dock->relayout();
}

void Marvolt::scheduleFilterLayout()
{
    if (m_layoutPending)
        return;
    m_layoutPending = true;
    QTimer::singleShot(0, this, [this] {
        m_layoutPending = false;
        relayout();
    });
}

widgets::Tool *Marvolt::tool(const QString &id) const
{
    return m_mainMenu->Tools(id);
}

void Marvolt::setToolEnabled(const QString &id, bool enabled)
{
    if (widgets::Tool *t = tool(id))
        t->setEnabled(enabled);
}

void Marvolt::setToolState(const QString &id, int state)
{
    if (widgets::Tool *t = tool(id))
        t->setState(state);
}
