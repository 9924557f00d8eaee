#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdio>

/// An unattended batch of reports (marvolt-report --batch FILE), as a desk
/// runs its end-of-day reports: each line of the file is the options of one
/// report (--report, --filter or --set, --view, --format, --out), added to
/// the options of the command line, which apply to every line (the database,
/// the user, --today, --settings). Blank lines and lines starting with "#"
/// are skipped; values with blanks are quoted as in a shell.
///
/// Every line must write a file (--out). The names of the files a line writes
/// (--out, --screenshot, --detail, --ticket) may hold the report date:
/// "{today}" as YYYY-MM-DD, "{today:yyyyMMdd}" in any Qt date format.
/// Missing folders are made. A report that fails does not stop the batch:
/// each line prints one status line (rows, seconds, path, or the reason).
class BatchRunner final
{
public:
    /// arguments: the command line, program name first, --batch FILE among them.
    explicit BatchRunner(const QStringList &arguments);

    /// 0 when every report was written, 1 when any failed, 2 when the file
    /// cannot be read or lists no report (lastError() says why).
    int run(FILE *status = stdout);
    QString lastError() const { return m_error; }

    /// path with its date placeholders replaced; false with *error for an
    /// unclosed or empty placeholder.
    static bool expandDates(const QString &path, QDate today, QString *expanded, QString *error);

private:
    /// Runs the report of one line; false with *reason.
    bool runLine(int number, const QString &line, FILE *status);

    QStringList m_common;   // the command line without --batch FILE
    QString m_file;
    QString m_error;
};
