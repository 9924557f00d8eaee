#include "RunnerOptions.h"

#include "ReportFactory.h"

namespace {

const QStringList Views = {QStringLiteral("all"), QStringLiteral("summary"), QStringLiteral("detail")};
const QStringList Languages = {QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("ru")};

} // namespace

QString RunnerOptions::usage()
{
    return QStringLiteral(
        "Usage: marvolt-report --db FILE | --connect STRING [options]\n"
        "Runs one Marvolt report offscreen on a trading database and prints its result.\n"
        "\n"
        "  --db FILE            the SQLite trading database\n"
        "  --connect STRING     or a connection string, such as\n"
        "                       \"Provider=SQLite;Data Source=trading.db;Busy Timeout=2000\"\n"
        "  --report N|NAME      the report: a WindowType value (0-14), its name such as\n"
        "                       dmOpenPosition, or the report's settings name such as\n"
        "                       \"Currency Pairs\", or a class no WindowType creates:\n"
        "                       DealersReport, DepoReport (default 0, the open position report)\n"
        "  --user NAME          the working user (default: $USER)\n"
        "  --today YYYY-MM-DD   the date the report takes as today (default: the system date)\n"
        "  --table Tickets|Archive  the deal table the host works on (default Tickets)\n"
        "  --view all|summary|detail  which rows to show (default: the stored view)\n"
        "  --filter NAME        load a stored filter of the report first\n"
        "  --set Field=Value    set a query field, e.g. --set Dealer=JSM|KLT --set ValDate=2026-12-04\n"
        "                       (lists separated by |; dates yyyy-MM-dd, a day count or All); repeatable\n"
        "  --check TOOL         check a check button of the toolbar before the run, as a click\n"
        "                       would: --check ID_CurrencyPair, --check ID_WithNetting; repeatable\n"
        "  --lang en|de|ru      the language of the texts (default: the process locale)\n"
        "  --format csv|grid|grid-csv|xlsx\n"
        "                       csv: every field of every display row, raw values (default);\n"
        "                       grid: the visible columns with their captions and formatted texts;\n"
        "                       grid-csv: what the grid shows as CSV, each row marked (Context,\n"
        "                       Group n, Summary, Detail); xlsx: an Excel workbook of the grid\n"
        "                       (needs --out)\n"
        "  --totals             print the report's toolbar figures instead of its rows: one\n"
        "                       line per text tool that shows one, its id, caption and\n"
        "                       text as shown, separated by tabs (ID_Profit\\tProfit/Loss\\t-1,250.00);\n"
        "                       fails for a report that shows none\n"
        "  --out FILE           write the result to FILE instead of standard output\n"
        "  --screenshot FILE.png  also save a picture of the whole control at 1280x800\n"
        "  --detail FILE.png    also open the deal list window on the first data row of a\n"
        "                       report that has one and save a picture of it\n"
        "  --ticket FILE.png    also open the ticket window of the first deal that window\n"
        "                       lists (as a double click on it) and save a picture of it\n"
        "  --settings FILE      the settings store to use (default: the user's own)\n"
        "  --batch FILE         run the reports listed in FILE, one per line, each line the\n"
        "                       options of one report (--report, --filter or --set, --view,\n"
        "                       --format, --out); the options given here apply to every line.\n"
        "                       In --out, {today} is the report date as YYYY-MM-DD and\n"
        "                       {today:FORMAT} as FORMAT (yyyyMMdd ...). One line per report\n"
        "                       is printed; the exit status is 1 when any report failed\n"
        "  --help               show this text\n"
        "\n"
        "Exit status: 0 on success; 1 when the database cannot be opened or the query\n"
        "fails (the reason on the last line of standard error); 2 for bad arguments.\n");
}

bool RunnerOptions::parse(const QStringList &arguments, QString *error)
{
    const auto fail = [error](const QString &reason) {
        *error = reason;
        return false;
    };
    for (int i = 1; i < arguments.size(); ++i) {
        const QString option = arguments.at(i);
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            help = true;
            return true;
        }
        if (option == QLatin1String("--totals")) {
            totals = true;
            continue;
        }
        if (!option.startsWith(QLatin1String("--")))
            return fail(QStringLiteral("unexpected argument \"%1\" (see --help)").arg(option));
        if (i + 1 >= arguments.size())
            return fail(QStringLiteral("%1 needs a value (see --help)").arg(option));
        const QString value = arguments.at(++i);

        if (option == QLatin1String("--db")) {
            database = value;
        } else if (option == QLatin1String("--connect")) {
            connection = value;
        } else if (option == QLatin1String("--report")) {
            const std::optional<int> type = ReportFactory::windowTypeFromText(value);
            if (type)
                windowType = *type;
            else if (ReportFactory::isReportClass(value))
                reportClass = value;
            else
                return fail(QStringLiteral("--report: no report \"%1\"").arg(value));
        } else if (option == QLatin1String("--user")) {
            userName = value;
        } else if (option == QLatin1String("--today")) {
            today = QDate::fromString(value, Qt::ISODate);
            if (!today.isValid())
                return fail(QStringLiteral("--today: \"%1\" is not a date YYYY-MM-DD").arg(value));
        } else if (option == QLatin1String("--table")) {
            if (value != QLatin1String("Tickets") && value != QLatin1String("Archive"))
                return fail(QStringLiteral("--table: \"%1\" is neither Tickets nor Archive").arg(value));
            table = value;
        } else if (option == QLatin1String("--view")) {
            if (!Views.contains(value))
                return fail(QStringLiteral("--view: \"%1\" is not all, summary or detail").arg(value));
            view = value;
        } else if (option == QLatin1String("--filter")) {
            storedFilter = value;
        } else if (option == QLatin1String("--set")) {
            const qsizetype equals = value.indexOf(QLatin1Char('='));
            if (equals <= 0)
                return fail(QStringLiteral("--set: \"%1\" is not Field=Value").arg(value));
            fields.append({value.left(equals).trimmed(), value.mid(equals + 1)});
        } else if (option == QLatin1String("--check")) {
            checkedTools.append(value);
        } else if (option == QLatin1String("--lang")) {
            if (!Languages.contains(value.toLower()))
                return fail(QStringLiteral("--lang: \"%1\" is not en, de or ru").arg(value));
            language = value.toLower();
        } else if (option == QLatin1String("--format")) {
            if (value == QLatin1String("csv"))
                format = Format::Csv;
            else if (value == QLatin1String("grid"))
                format = Format::Grid;
            else if (value == QLatin1String("grid-csv"))
                format = Format::GridCsv;
            else if (value == QLatin1String("xlsx"))
                format = Format::Xlsx;
            else
                return fail(QStringLiteral("--format: \"%1\" is not csv, grid, grid-csv or xlsx").arg(value));
        } else if (option == QLatin1String("--out")) {
            outFile = value;
        } else if (option == QLatin1String("--screenshot")) {
            screenshot = value;
        } else if (option == QLatin1String("--detail")) {
            detailScreenshot = value;
        } else if (option == QLatin1String("--ticket")) {
            ticketScreenshot = value;
        } else if (option == QLatin1String("--settings")) {
            settingsFile = value;
        } else if (option == QLatin1String("--batch")) {
            batchFile = value;
        } else {
            return fail(QStringLiteral("unknown option %1 (see --help)").arg(option));
        }
    }
    if (database.isEmpty() == connection.isEmpty())
        return fail(QStringLiteral("give either --db FILE or --connect STRING (see --help)"));
    if (format == Format::Xlsx && outFile.isEmpty() && batchFile.isEmpty())
        return fail(QStringLiteral("--format xlsx needs --out FILE"));
    return true;
}
