// minimal-host: the Marvolt control in a main window of its own.
//   minimal-host --db trading.db [--user NAME] [--report dmCashFlow] [--run-once]
// --run-once runs the report, prints its row count and quits: the example
// as a smoke test, offscreen.

#include "HostWindow.h"

#include <Marvolt/Marvolt.h>
#include <Marvolt/MarvoltHost.h>
#include <Marvolt/MarvoltVersion.h>
#include <Marvolt/Recordset.h>
#include <Marvolt/Report.h>

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("The SQLite trading database."),
                                QStringLiteral("FILE"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("The working user."), QStringLiteral("NAME"),
                                  QStringLiteral("host"));
    const QCommandLineOption report(QStringLiteral("report"), QStringLiteral("The report to open."),
                                    QStringLiteral("NAME"), QStringLiteral("dmOpenPosition"));
    const QCommandLineOption runOnce(QStringLiteral("run-once"), QStringLiteral("Run the report, print, quit."));
    parser.addOptions({db, user, report, runOnce});
    parser.process(app);

    QString error;
    if (!MarvoltHost::openTradingDatabase(parser.value(db), parser.value(user), &error)) {
        std::fprintf(stderr, "minimal-host: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("version: %s (headers %s)\n", qPrintable(MarvoltHost::libraryVersion()), MARVOLT_VERSION_STRING);

    int status = 0;
    {
        HostWindow window(parser.value(user));
        if (parser.isSet(runOnce)) {
            // A report may tell its end twice; the rows are there at the first.
            QObject::connect(
                &window, &HostWindow::runEnded, &app,
                [&window] {
                    const data::RecordsetPtr rows = window.control()->report()->DisplayRecordset();
                    std::printf("rows: %d\n", rows ? int(rows->RecordCount()) : 0);
                    QApplication::quit();
                },
                Qt::SingleShotConnection);
        } else {
            MarvoltHost::showMessagesOver(&window);
        }
        window.resize(1200, 760);
        window.show();
        if (!window.chooseReport(parser.value(report))) {
            std::fprintf(stderr, "minimal-host: no report \"%s\"\n", qPrintable(parser.value(report)));
            return 2;
        }
        status = app.exec();
        MarvoltHost::showMessagesOver(nullptr);
    }
    MarvoltHost::closeTradingDatabase();
    return status;
}
