// marvolt-host: the demo host window around the Marvolt control.

#include "HostWindow.h"

#include "Clock.h"
#include "MarvoltHost.h"
#include "ReportFactory.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
}

void printLine(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    // Checked before QApplication, which would abort without a display.
    if (!hasDisplay()) {
        QString db;
        for (int i = 1; i + 1 < argc; ++i) {
            if (QLatin1String(argv[i]) == QLatin1String("--db"))
                db = QString::fromLocal8Bit(argv[i + 1]);
        }
        if (db.isEmpty())
            db = QStringLiteral("trading.db");
        printLine(QStringLiteral("marvolt-host needs a display (neither DISPLAY nor WAYLAND_DISPLAY is set)."));
        printLine(QStringLiteral("Without one, run a report with the headless runner, for example:"));
        printLine(QStringLiteral("  marvolt-report --db %1 --report dmOpenPosition --format grid").arg(db));
        printLine(QStringLiteral("  marvolt-report --db %1 --screenshot marvolt.png").arg(db));
        printLine(QStringLiteral("See marvolt-report --help for every option."));
        return 3;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("marvolt-host"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The Marvolt demo host."));
    parser.addHelpOption();
    const QCommandLineOption dbOption(QStringLiteral("db"), QStringLiteral("The SQLite trading database."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption connectOption(QStringLiteral("connect"),
                                           QStringLiteral("Or a connection string (Provider=...;...)."),
                                           QStringLiteral("STRING"));
    const QCommandLineOption reportOption(QStringLiteral("report"),
                                          QStringLiteral("The report to open (WindowType value or name, "
                                                         "or a class no WindowType creates: DealersReport, DepoReport)."),
                                          QStringLiteral("N|NAME"), QStringLiteral("0"));
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("The working user."),
                                        QStringLiteral("NAME"), qEnvironmentVariable("USER", QStringLiteral("marvolt")));
    const QCommandLineOption todayOption(QStringLiteral("today"), QStringLiteral("The date taken as today."),
                                         QStringLiteral("YYYY-MM-DD"));
    parser.addOptions({dbOption, connectOption, reportOption, userOption, todayOption});
    parser.process(app);

    const QString db = parser.value(dbOption);
    const QString connection = parser.value(connectOption);
    if (db.isEmpty() == connection.isEmpty()) {
        printLine(QStringLiteral("marvolt-host: give either --db FILE or --connect STRING"));
        return 2;
    }
    if (!db.isEmpty() && !QFileInfo(db).isFile()) {
        printLine(QStringLiteral("marvolt-host: database not found: %1").arg(db));
        return 1;
    }
    if (parser.isSet(todayOption)) {
        const QDate today = QDate::fromString(parser.value(todayOption), Qt::ISODate);
        if (!today.isValid()) {
            printLine(QStringLiteral("marvolt-host: --today: not a date YYYY-MM-DD"));
            return 2;
        }
        Clock::setToday(today);
    }
    const QString reportText = parser.value(reportOption);
    const bool byClass = ReportFactory::isReportClass(reportText);
    const std::optional<int> report = byClass ? std::optional<int>(0) : ReportFactory::windowTypeFromText(reportText);
    if (!report) {
        printLine(QStringLiteral("marvolt-host: --report: no report \"%1\"").arg(parser.value(reportOption)));
        return 2;
    }
    QString error;
    const bool opened = db.isEmpty()
                            ? MarvoltHost::openTradingConnection(connection, parser.value(userOption), &error)
                            : MarvoltHost::openTradingDatabase(QFileInfo(db).absoluteFilePath(), parser.value(userOption),
                                                               &error);
    if (!opened) {
        printLine(QStringLiteral("marvolt-host: cannot open the database: %1").arg(error));
        return 1;
    }

    HostWindow window(parser.value(userOption));
    MarvoltHost::showMessagesOver(&window);
    window.show();
    if (byClass)
        window.chooseReportClass(reportText);
    else
        window.chooseReport(*report);
    const int status = app.exec();
    MarvoltHost::showMessagesOver(nullptr);
    return status;
}
