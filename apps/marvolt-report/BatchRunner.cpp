#include "BatchRunner.h"

#include "ReportRunner.h"
#include "RunnerOptions.h"

#include "Clock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

} // namespace

BatchRunner::BatchRunner(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--batch") && i + 1 < arguments.size())
            m_file = arguments.at(++i);
        else
            m_common.append(arguments.at(i));
    }
}

bool BatchRunner::expandDates(const QString &path, QDate today, QString *expanded, QString *error)
{
    QString out;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path.at(i) != u'{') {
            out += path.at(i);
            continue;
        }
        const qsizetype close = path.indexOf(u'}', i);
        if (close < 0) {
            *error = QStringLiteral("\"%1\": a { without }").arg(path);
            return false;
        }
        const QString name = path.mid(i + 1, close - i - 1);
        if (name == QLatin1String("today")) {
            out += today.toString(Qt::ISODate);
        } else if (name.startsWith(QLatin1String("today:")) && name.size() > 6) {
            out += today.toString(name.mid(6));
        } else {
            *error = QStringLiteral("\"%1\": {%2} is neither {today} nor {today:FORMAT}").arg(path, name);
            return false;
        }
        i = close;
    }
    *expanded = out;
    return true;
}

int BatchRunner::run(FILE *status)
{
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_error = QStringLiteral("cannot read the batch %1: %2").arg(m_file, file.errorString());
        return 2;
    }
    QTextStream in(&file);
    int number = 0;
    int reports = 0;
    int failed = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++number;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        ++reports;
        if (!runLine(number, line, status))
            ++failed;
    }
    if (reports == 0) {
        m_error = QStringLiteral("the batch %1 lists no report").arg(m_file);
        return 2;
    }
    if (failed > 0) {
        m_error = QStringLiteral("%1 of %2 reports failed").arg(failed).arg(reports);
        return 1;
    }
    return 0;
}

bool BatchRunner::runLine(int number, const QString &line, FILE *status)
{
    const QStringList words = QProcess::splitCommand(line);
    QString name = QStringLiteral("0");
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        if (words.at(i) == QLatin1String("--report"))
            name = words.at(i + 1);
    }
    const QString label = QStringLiteral("line %1, report %2").arg(number).arg(name);
    const auto failure = [&](const QString &reason) {
        printLine(status, QStringLiteral("FAILED  %1: %2").arg(label, reason));
        return false;
    };

    RunnerOptions options;
    QString error;
    if (!options.parse(m_common + words, &error))
        return failure(error);
    if (options.outFile.isEmpty())
        return failure(QStringLiteral("--out FILE is needed in a batch"));
    if (!options.batchFile.isEmpty())
        return failure(QStringLiteral("--batch cannot be nested"));
    const QDate today = options.today.isValid() ? options.today : Clock::today();
    // Every file the line writes may be named by the report date.
    for (QString *path : {&options.outFile, &options.screenshot, &options.detailScreenshot, &options.ticketScreenshot}) {
        if (!expandDates(*path, today, path, &error))
            return failure(error);
    }

    QElapsedTimer timer;
    timer.start();
    ReportRunner runner(options);
    if (runner.run() != 0)
        return failure(runner.lastError());
    printLine(status, QStringLiteral("ok      %1: %2 rows, %3 s, %4")
                          .arg(label)
                          .arg(runner.rowsWritten())
                          .arg(timer.elapsed() / 1000.0, 0, 'f', 2)
                          .arg(options.outFile));
    return true;
}
