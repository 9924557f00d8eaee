// marvolt-report: runs one Marvolt report without a window and prints it.

#include "ReportRunner.h"
#include "RunnerOptions.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>

namespace {

/// Without a display (and no platform chosen by the user) the control is
/// rendered offscreen; a user who has a display or chose a platform keeps it.
void chooseOffscreenWhenHeadless()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void printLine(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    chooseOffscreenWhenHeadless();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("marvolt-report"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Standard error carries the reason of a failure; the control's trace
    // lines ("Start Set Util") stay available through QT_LOGGING_RULES.
    QLoggingCategory::setFilterRules(QStringLiteral("marvolt.trace.info=false"));

    RunnerOptions options;
    QString error;
    if (!options.parse(QApplication::arguments(), &error)) {
        printLine(stderr, QStringLiteral("marvolt-report: ") + error);
        return 2;
    }
    if (options.help) {
        std::fputs(RunnerOptions::usage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    ReportRunner runner(options);
    const int status = runner.run();
    if (status != 0)
        printLine(stderr, QStringLiteral("marvolt-report: ") + runner.lastError());
    return status;
}
