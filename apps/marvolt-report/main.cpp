// marvolt-report: runs one Marvolt report without a window and prints it.

#include "BatchRunner.h"
#include "ReportRunner.h"
#include "RunnerOptions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

/// Without a display (and no platform chosen by the user) the control is
/// rendered offscreen; a user who has a display or chose a platform keeps it.
void chooseOffscreenWhenHeadless()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

/// Qt expects the session's private runtime folder in XDG_RUNTIME_DIR. Where
/// none is set (cron, containers, ssh commands, CI) it says so on standard
/// error at every start, where scripts read the reason of a failure, and
/// falls back to a folder shared by every run of the user. A run uses no
/// service of a desktop session, so a private folder of its own, removed at
/// exit, is all it needs; a folder the session gives is kept. Giving Qt the
/// folder, rather than filtering its message, leaves every other warning as
/// it is.
std::unique_ptr<QTemporaryDir> provideRuntimeDir()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return nullptr;
    // mkdtemp creates it 0700, the mode Qt requires of a runtime folder.
    auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/marvolt-report-XXXXXX"));
    if (!dir->isValid())
        return nullptr;   // Qt warns and falls back to its own folder
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
    return dir;
}

void printLine(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    chooseOffscreenWhenHeadless();
    const std::unique_ptr<QTemporaryDir> runtimeDir = provideRuntimeDir();   // outlives the application
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
    if (!options.batchFile.isEmpty()) {
        BatchRunner batch(QApplication::arguments());
        const int status = batch.run();
        if (status != 0)
            printLine(stderr, QStringLiteral("marvolt-report: ") + batch.lastError());
        return status;
    }
    ReportRunner runner(options);
    const int status = runner.run();
    if (status != 0)
        printLine(stderr, QStringLiteral("marvolt-report: ") + runner.lastError());
    return status;
}
