#include "ReportRunner.h"

#include "RecordsetCsv.h"

#include "Marvolt.h"
#include "ReportExporter.h"
#include "ReportGridAdapter.h"
#include "ReportPrinter.h"

#include "DetailWindow.h"
#include "TicketWindow.h"
#include "Report.h"
#include "ReportFactory.h"

#include "Clock.h"
#include "MessageService.h"
#include "RegistryAccess.h"
#include "SessionContext.h"
#include "TextTable.h"

#include "Grid.h"
#include "GridCsv.h"
#include "Tool.h"
#include "ToolBar.h"
#include "Connection.h"
#include "ConnectionString.h"
#include "Recordset.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QPixmap>
#include <QTextStream>

#include <cstdio>

namespace {

const QString DefaultRateFormat = QStringLiteral("0.0000");
const QString DefaultValueFormat = QStringLiteral("#,##0.00");

/// A connection string with the value of its password key hidden.
QString withoutPassword(QString connection)
{
    static const QRegularExpression password(QStringLiteral("\\b(password|pwd)\\s*=\\s*(\"[^\"]*\"|[^;]*)"),
                                             QRegularExpression::CaseInsensitiveOption);
    return connection.replace(password, QStringLiteral("\\1=***"));
}

/// Why a database file given on the command line cannot be a trading
/// database (missing, a folder, empty); empty when it may be one, or when no
/// file was given.
QString databaseFileProblem(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo file(path);
    if (!file.exists())
        return QStringLiteral("database not found: %1").arg(path);
    if (file.isDir())
        return QStringLiteral("%1 is a directory, not a trading database").arg(path);
    if (!file.isFile())
        return QStringLiteral("%1 is not a regular file, not a trading database").arg(path);
    if (file.size() == 0)
        return QStringLiteral("%1 is empty, not a trading database").arg(path);
    return {};
}

/// Messages may span lines ("...Error number: 1\rno such table"): one line.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

} // namespace

ReportRunner::ReportRunner(const RunnerOptions &options)
    : m_options(options)
{
}

int ReportRunner::fail(int status, const QString &reason)
{
    m_error = oneLine(reason);
    return status;
}

int ReportRunner::run()
{
    if (!m_options.language.isEmpty()) {
        if (const auto language = TextTable::languageFromCode(m_options.language))
            TextTable::setLanguage(*language);
    }
    if (m_options.today.isValid())
        Clock::setToday(m_options.today);
    if (!m_options.settingsFile.isEmpty())
        RegistryAccess::instance().setPath(m_options.settingsFile);
    if (!openSession())
        return 1;

    QString user = m_options.userName;
    if (user.isEmpty())
        user = qEnvironmentVariable("USER", QStringLiteral("marvolt"));
    SessionContext::instance().setCurrentUserName(user);

    Marvolt control;
    control.resize(1280, 800);
    control.setTableName(m_options.table);
    control.setFormatRate(DefaultRateFormat);
    control.setFormatValue(DefaultValueFormat);
    control.setUserName(user);
    if (m_options.reportClass.isEmpty())
        control.setWindowType(m_options.windowType);
    else
        control.installReport(ReportFactory::createReportByClass(m_options.reportClass));
    if (!control.report())
        return fail(2, QStringLiteral("report %1 has no report class").arg(m_options.windowType));

    if (!applyQuery(control))
        return 2;
    if (!refresh(control))
        return 1;
    if (!m_options.screenshot.isEmpty() && !saveScreenshot(control))
        return 1;
    if (!m_options.detailScreenshot.isEmpty() && !saveDetailScreenshot(control))
        return 1;
    if (!m_options.ticketScreenshot.isEmpty() && !saveTicketScreenshot(control))
        return 1;
    if (!writeResult(control))
        return 1;
    return 0;
}

bool ReportRunner::openSession()
{
    // SQLite would create a missing file and takes an empty one for an empty
    // database: a mistyped name must not give an empty report, nor a lookup
    // warning for every missing table before the reason.
    if (const QString problem = databaseFileProblem(m_options.database); !problem.isEmpty()) {
        fail(1, problem);
        return false;
    }
    const QString connection = m_options.database.isEmpty()
                                   ? m_options.connection
                                   : data::ConnectionString::forSqliteFile(QFileInfo(m_options.database).absoluteFilePath());
    // Messages name the database as the user gave it, without its password.
    const QString database = m_options.database.isEmpty() ? withoutPassword(m_options.connection) : m_options.database;
    // A file that is no database, or another program's database, is found on
    // a read-only connection of our own first: the session would add a
    // warning of its own before the reason, and a database without the
    // procedure catalog, through which every lookup, filter and report goes,
    // would give one warning per lookup before the query failed.
    {
        data::Connection probe;
        probe.setMode(data::adModeRead);
        if (!probe.Open(connection)) {
            const data::ErrorPtr error = probe.lastError();
            fail(1, QStringLiteral("cannot open the database %1: %2")
                        .arg(database, error ? error->Description : QStringLiteral("unknown error")));
            return false;
        }
        if (!probe.Execute(QStringLiteral("SELECT 1 FROM sys_procedures WHERE 1 = 0")) && probe.lastError()) {
            fail(1, QStringLiteral("cannot use %1 as a trading database: %2")
                        .arg(database, probe.lastError()->Description));
            return false;
        }
    }
    SessionContext &session = SessionContext::instance();
    if (!session.OpenSession(connection)) {
        const data::ErrorPtr error = session.lastError();
        fail(1, QStringLiteral("cannot open the database %1: %2")
                    .arg(database, error ? error->Description : QStringLiteral("unknown error")));
        return false;
    }
    return true;
}

bool ReportRunner::applyQuery(Marvolt &control)
{
    QString error;
    if (!m_options.storedFilter.isEmpty() && !control.loadStoredFilter(m_options.storedFilter, &error)) {
        fail(2, QStringLiteral("--filter: ") + error);
        return false;
    }
    for (const auto &[field, value] : m_options.fields) {
        if (!control.setQueryField(field, value, &error)) {
            fail(2, QStringLiteral("--set: ") + error);
            return false;
        }
    }
    for (const QString &id : m_options.checkedTools) {
        widgets::Tool *tool = control.mainMenu()->Tools(id);
        if (!tool || tool->kind() != widgets::Tool::CheckButton || !tool->Visible() || !tool->Enabled()) {
            fail(2, QStringLiteral("--check: the report offers no check button %1").arg(id));
            return false;
        }
        if (tool->State() != 1) {
            tool->setState(1);
            Q_EMIT control.mainMenu()->ToolClick(tool);
        }
    }
    if (!m_options.view.isEmpty()) {
        const View view = m_options.view == QLatin1String("summary") ? vwSummary
                          : m_options.view == QLatin1String("detail") ? vwDetail
                                                                      : vwAll;
        control.setDisplayMode(view);
    }
    return true;
}

bool ReportRunner::refresh(Marvolt &control)
{
    MessageService::instance().clearMessages();
    bool ended = false;
    QEventLoop loop;
    QObject::connect(&control, &Marvolt::UnActivProgress, &loop, [&ended, &loop] {
        ended = true;
        loop.quit();
    });
    control.RefreshData();
    // A report without a query ends before RefreshData returns.
    if (!ended)
        loop.exec();
    const QString message = MessageService::instance().lastMessage();
    if (!message.isEmpty()) {
        fail(1, message);
        return false;
    }
    return true;
}

bool ReportRunner::writeResult(Marvolt &control)
{
    if (m_options.totals)
        return writeTotals(control);
    if (m_options.format == RunnerOptions::Format::Grid) {
        widgets::Grid *grid = control.mainTable();
        grid->expandAllGroups();
        m_rows = grid->visibleRowCount();
        return writeText(grid->copyText(false));
    }
    if (m_options.format == RunnerOptions::Format::GridCsv || m_options.format == RunnerOptions::Format::Xlsx)
        return writeExport(control);
    Report *report = control.report();
    data::RecordsetPtr display = report->DisplayRecordset();
    if (!display) {
        // An empty result drops the display rows: a fresh, empty display
        // recordset still gives the header line of its fields.
        report->RenewRecordset();
        display = report->DisplayRecordset();
    }
    m_rows = display ? display->RecordCount() : 0;
    return writeText(display ? RecordsetCsv::write(*display) : QString());
}

bool ReportRunner::writeExport(Marvolt &control)
{
    const auto format = m_options.format == RunnerOptions::Format::Xlsx ? ReportExporter::Format::Xlsx
                                                                         : ReportExporter::Format::GridCsv;
    // The rows are taken as the control's export takes them on its worker.
    ReportDocument document = ReportPrinter::documentWithoutRows(*control.report(), *control.mainTable());
    const widgets::GridRowsCopy rows = ReportExporter::resultRows(*control.report(), *control.mainTable(), format);
    if (m_options.format == RunnerOptions::Format::GridCsv && m_options.outFile.isEmpty()) {
        document.rows = rows.rows();
        m_rows = document.rows.size();
        return writeText(GridCsv::text(document));
    }
    if (!makeOutputFolder(m_options.outFile))
        return false;
    QString error;
    qsizetype written = 0;
    if (!ReportExporter::write(std::move(document), rows, m_options.outFile, format, &error, &written)) {
        fail(1, error);
        return false;
    }
    m_rows = written;
    return true;
}

bool ReportRunner::makeOutputFolder(const QString &file)
{
    const QString folder = QFileInfo(file).absolutePath();
    if (QDir().mkpath(folder))
        return true;
    fail(1, QStringLiteral("cannot make the folder %1").arg(folder));
    return false;
}

bool ReportRunner::writeTotals(Marvolt &control)
{
    // What the toolbar shows, in the order of its band: a figure is read
    // from the tool it is on, not from the report, so the line is what the
    // user sees. Tabs separate the cells because formatted amounts hold commas.
    QString text;
    for (const widgets::Tool *tool : control.mainMenu()->tools()) {
        const QVariant figure = tool->property(ReportToolbarAdapter::FigureProperty);
        if (!figure.isValid() || !tool->Visible())
            continue;
        text += tool->Id() + QLatin1Char('\t') + tool->Caption() + QLatin1Char('\t') + figure.toString()
                + QLatin1Char('\n');
    }
    if (text.isEmpty()) {
        fail(1, QStringLiteral("report %1 shows no toolbar figures").arg(m_options.windowType));
        return false;
    }
    return writeText(text);
}

bool ReportRunner::saveScreenshot(Marvolt &control)
{
    // Laid out and painted as on a screen, without showing a window.
    control.setAttribute(Qt::WA_DontShowOnScreen);
    control.show();
    QCoreApplication::processEvents();
    const QPixmap picture = control.grab();
    if (!makeOutputFolder(m_options.screenshot))
        return false;
    if (!picture.save(m_options.screenshot, "PNG")) {
        fail(1, QStringLiteral("cannot write the screenshot %1").arg(m_options.screenshot));
        return false;
    }
    return true;
}

QWidget *ReportRunner::openDetailOnFirstRow(Marvolt &control)
{
    if (control.report()->CurrentDet() < 0) {
        fail(1, QStringLiteral("report %1 has no deal list window").arg(m_options.windowType));
        return nullptr;
    }
    control.setAttribute(Qt::WA_DontShowOnScreen);
    control.show();
    // As a user would: the tool opens the window, then the first data row
    // becomes current and the window lists its deals.
    widgets::Tool *tool = control.mainMenu()->Tools(QStringLiteral("ID_DetailWIndow"));
    if (tool && tool->State() != 1)
        tool->action()->trigger();
    QWidget *window = control.detailWindow();
    if (!window) {
        fail(1, QStringLiteral("the deal list window did not open"));
        return nullptr;
    }
    selectFirstDataRow(*control.mainTable());
    window->resize(1000, 420);
    QCoreApplication::processEvents();
    return window;
}

void ReportRunner::selectFirstDataRow(widgets::Grid &grid)
{
    for (int row = 0; row < grid.visibleRowCount(); ++row) {
        if (!grid.isGroupRow(row)) {
            grid.setRow(row);
            break;
        }
        grid.expand(grid.indexAtRow(row));
    }
}

bool ReportRunner::saveDetailScreenshot(Marvolt &control)
{
    QWidget *window = openDetailOnFirstRow(control);
    if (!window)
        return false;
    const QPixmap picture = window->grab();
    if (!picture.save(m_options.detailScreenshot, "PNG")) {
        fail(1, QStringLiteral("cannot write the screenshot %1").arg(m_options.detailScreenshot));
        return false;
    }
    return true;
}

bool ReportRunner::saveTicketScreenshot(Marvolt &control)
{
    auto *details = qobject_cast<frmDetails *>(openDetailOnFirstRow(control));
    if (!details)
        return false;
    // As a user would: a double click on the first deal listed.
    selectFirstDataRow(*details->mainTable());
    MessageService::instance().clearMessages();
    Q_EMIT details->mainTable()->DblClick();
    QElapsedTimer waited;
    waited.start();
    frmTicket *ticket = nullptr;
    while (waited.elapsed() < 10000 && MessageService::instance().lastMessage().isEmpty()
           && !((ticket = details->findChild<frmTicket *>()) && ticket->isVisible()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!ticket || !ticket->isVisible()) {
        const QString reason = MessageService::instance().lastMessage();
        fail(1, reason.isEmpty() ? QStringLiteral("the ticket window did not open") : reason);
        return false;
    }
    QCoreApplication::processEvents();
    const bool saved = ticket->grab().save(m_options.ticketScreenshot, "PNG");
    ticket->reject();
    if (!saved)
        fail(1, QStringLiteral("cannot write the screenshot %1").arg(m_options.ticketScreenshot));
    return saved;
}

bool ReportRunner::writeText(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (m_options.outFile.isEmpty()) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return true;
    }
    if (!makeOutputFolder(m_options.outFile))
        return false;
    QFile file(m_options.outFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        fail(1, QStringLiteral("cannot write %1: %2").arg(m_options.outFile, file.errorString()));
        return false;
    }
    return true;
}
