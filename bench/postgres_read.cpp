// bench_postgres_read: reading 1,000,000 rows x 12 columns into a recordset
// through the PostgreSQL driver, against a bare libpq read of the same rows
// in the binary format, one row at a time (libpq's single-row mode), each
// value decoded and dropped. Both in one run, alternating; prints the median time
// of each, their ratio, the process's peak memory after the first bare read
// and at the end. The goal is
// 1.3x.
//
//   bench_postgres_read --connect "Provider=PostgreSQL;Host=...;Port=...;User=..." [--rows N] [--runs N]
//
// The table bench_read is made on the server when it is missing or of
// another size.

#include "postgres/PostgresDriver.h"

#include "ConnectionString.h"
#include "ExecutionControl.h"
#include "Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QtEndian>

#include <libpq-fe.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace data;

namespace {

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const char *const Select =
    "SELECT id, a, b, amount, rate, day, ts, name, ccy, flag, small, note FROM bench_read ORDER BY id";

/// One row's values decoded by their column's width, summed into checksum.
void decodeRow(const PGresult *r, qint64 *checksum)
{
    for (int c = 0; c < 12; ++c) {
        if (PQgetisnull(r, 0, c))
            continue;
        const char *v = PQgetvalue(r, 0, c);
        const int n = PQgetlength(r, 0, c);
        qint64 x = 0;
        if (n == 8 || n == 4 || n == 2) {
            std::memcpy(&x, v, size_t(n));
            x = n == 8 ? qFromBigEndian(x) : n == 4 ? qFromBigEndian(qint32(x)) : qFromBigEndian(qint16(x));
        } else {
            x = QString::fromUtf8(v, n).size();
        }
        *checksum += x & 0xFF;
    }
}

/// The bare read: the rows as libpq hands them over one at a time.
double bareRead(pg_conn *conn, qint64 *checksum)
{
    QElapsedTimer timer;
    timer.start();
    PQsendQueryParams(conn, Select, 0, nullptr, nullptr, nullptr, nullptr, 1);
    PQsetSingleRowMode(conn);
    *checksum = 0;
    while (PGresult *r = PQgetResult(conn)) {
        if (PQresultStatus(r) == PGRES_SINGLE_TUPLE)
            decodeRow(r, checksum);
        PQclear(r);
    }
    return timer.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString connect = qEnvironmentVariable("MARVOLT_PG_CONNECT");
    int rows = 1000000, runs = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--connect"))
            connect = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--rows"))
            rows = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--runs"))
            runs = args.at(i + 1).toInt();
    }
    const auto settings = ConnectionString::parse(connect);
    if (connect.isEmpty() || !settings) {
        std::fprintf(stderr, "bench_postgres_read: give --connect \"Provider=PostgreSQL;...\"\n");
        return 2;
    }
    ErrorPtr error;
    auto driver = PostgresDriver::create(*settings, &error);
    if (!driver->open(adModeUnknown, &error)) {
        std::fprintf(stderr, "bench_postgres_read: %s\n", qPrintable(error->Description));
        return 1;
    }
    ExecutionControl control;
    const ExecuteResult size = driver->execute(
        {QStringLiteral("SELECT count(*) AS n FROM bench_read"), adCmdText, {}}, control);
    if (size.error || size.results.front()->Fields(QStringLiteral("n")).value().toInt64() != rows) {
        std::printf("making bench_read: %d rows\n", rows);
        const ExecuteResult made = driver->execute(
            {QStringLiteral("DROP TABLE IF EXISTS bench_read; "
                            "CREATE TABLE bench_read AS SELECT g::bigint AS id, (g % 1000)::int AS a, (g % 7)::int AS b, "
                            "(g * 10000 + 1234)::bigint AS amount, (g % 997) / 7.0::float8 AS rate, "
                            "DATE '2026-01-01' + (g % 365)::int AS day, TIMESTAMP '2026-01-01 08:00' + g * INTERVAL '1 second' AS ts, "
                            "'COUNTERPARTY ' || (g % 500) AS name, (ARRAY['USD','EUR','GBP','JPY'])[1 + g % 4] AS ccy, "
                            "g % 2 = 0 AS flag, (g % 30000)::int2 AS small, "
                            "CASE WHEN g % 10 = 0 THEN NULL ELSE 'note ' || g END::varchar(40) AS note "
                            "FROM generate_series(1::bigint, %1) g; ANALYZE bench_read")
                 .arg(rows),
             adCmdText,
             {}},
            control);
        if (made.error) {
            std::fprintf(stderr, "bench_postgres_read: %s\n", qPrintable(made.error->Description));
            return 1;
        }
    }
    pg_conn *bare = PQconnectdb(driver->conninfo().constData());
    if (PQstatus(bare) != CONNECTION_OK) {
        std::fprintf(stderr, "bench_postgres_read: %s\n", PQerrorMessage(bare));
        return 1;
    }

    std::vector<double> bareTimes, driverTimes;
    long bareMemory = 0, driverMemory = 0;
    qint64 checksum = 0;
    for (int run = 0; run < runs; ++run) {
        bareTimes.push_back(bareRead(bare, &checksum));
        if (run == 0)   // the process's peak only grows: the bare read's is the first one's
            bareMemory = peakMegabytes();
        QElapsedTimer timer;
        timer.start();
        ExecuteResult read = driver->execute({QString::fromLatin1(Select), adCmdText, {}}, control);
        driverTimes.push_back(timer.elapsed() / 1000.0);
        if (read.error || read.results.front()->RecordCount() != rows) {
            std::fprintf(stderr, "bench_postgres_read: the driver read %lld rows\n",
                         read.error ? -1LL : qlonglong(read.results.front()->RecordCount()));
            return 1;
        }
        driverMemory = std::max(driverMemory, peakMegabytes());
    }
    std::printf("rows %d x 12 columns, %d runs (checksum %lld)\n", rows, runs, qlonglong(checksum));
    std::printf("bare libpq, one row at a time: %.3f s (peak %ld MB)\n", median(bareTimes), bareMemory);
    std::printf("driver into a recordset:       %.3f s (peak %ld MB)\n", median(driverTimes), driverMemory);
    std::printf("ratio: %.2fx (goal 1.3x)\n", median(driverTimes) / median(bareTimes));
    PQfinish(bare);
    return 0;
}
