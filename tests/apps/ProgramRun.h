#pragma once

// Runs one of the applications as a user runs it, as a separate process, and
// keeps its exit code and both outputs.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace apptest {

struct RunResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

/// Waits at most two minutes; a program still running then is killed and
/// reported as "timed out".
inline RunResult runProgram(const QString &program, const QStringList &arguments,
                            const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    RunResult result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("timed out");
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace apptest
