// bench_recordset: the in-memory recordset against the raw SQLite C API.
//
//   bench_recordset [--rows N]
//
// Builds a display recordset of N rows (default 1,000,000) and 17 typed
// fields shaped like a report's (pair id, dates, currency amounts, rates,
// counts, flags, the row's filter text, a dealer name), then times: building
// it through RecordsetLoader, filtering ("Summary = False", OR-lists), sorting
// by two keys, cloning, and reading every value through Field::value(). The
// reference is the same rows read from an in-memory SQLite table with
// sqlite3_step and sqlite3_column_*. Memory is the storage's own byte count
// and the growth of the resident set, both against the raw size of the values
// (8 bytes a number, date or amount, 1 a flag, the UTF-8 length of a text).

#include "Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <vector>

using namespace data;

namespace {

constexpr int FieldCount = 17;

enum FieldIndex {
    fCaption, fDate, fCcy1, fCcy2, fRate, fDeals, fSummary, fNegSumm, fCurrentFilter,
    fTradeID, fVolume, fCommission, fProfitLoss, fCurrentRate, fSwapDiff, fDealerName, fValDate,
};

const std::pair<const char *, DataType> Fields[FieldCount] = {
    {"Caption", DataType::Variant},       {"Date", DataType::Date},
    {"Ccy1", DataType::Currency},         {"Ccy2", DataType::Currency},
    {"Rate", DataType::Double},           {"Deals", DataType::BigInt},
    {"Summary", DataType::Boolean},       {"NegSumm", DataType::Boolean},
    {"CurrentFilter", DataType::Variant}, {"TradeID", DataType::Integer},
    {"Volume", DataType::Currency},       {"Commission", DataType::Currency},
    {"ProfitLoss", DataType::Currency},   {"CurrentRate", DataType::Double},
    {"SwapDiff", DataType::Double},       {"DealerName", DataType::VarWChar},
    {"ValDate", DataType::Date},
};

/// The source values, generated once so that the recordset and the SQLite
/// table hold the same rows and no formatting is timed.
struct Source
{
    std::vector<qint64> ints[FieldCount];     // per field, for integer-like fields
    std::vector<double> doubles[FieldCount];  // per field, for Double fields
    std::vector<quint8> nulls[FieldCount];
    std::vector<int> filterId;                // CurrentFilter text per row
    std::vector<int> dealerId;
    QStringList filters;
    QStringList dealers;
    std::vector<QByteArray> filtersUtf8;
    std::vector<QByteArray> dealersUtf8;
    qint64 rawBytes = 0;
};

Source generate(int rows)
{
    Source s;
    for (int i = 0; i < 50; ++i)
        s.dealers << QStringLiteral("Dealer %1 %2").arg(QChar(u'A' + i % 26)).arg(i * 37 % 101);
    const qint64 day0 = DateTime::fromIsoString(u"2026-01-05")->secs();
    const int days = 250;
    const int pairs = 40;
    for (int d = 0; d < days; ++d) {
        const QString from = DateTime::fromSecs(day0 + d * 86400LL).toUsString();
        const QString to = DateTime::fromSecs(day0 + (d + 1) * 86400LL).toUsString();
        for (int p = 1; p <= pairs; ++p)
            s.filters << QStringLiteral("DealTime >= #%1# AND DealTime < #%2# AND PairCcy = %3").arg(from, to).arg(p);
    }
    for (const QString &f : std::as_const(s.filters))
        s.filtersUtf8.push_back(f.toUtf8());
    for (const QString &d : std::as_const(s.dealers))
        s.dealersUtf8.push_back(d.toUtf8());
    for (int f = 0; f < FieldCount; ++f) {
        s.nulls[f].assign(rows, 0);
        if (Fields[f].second == DataType::Double)
            s.doubles[f].resize(rows);
        else
            s.ints[f].resize(rows);
    }
    s.filterId.resize(rows);
    s.dealerId.resize(rows);
    quint64 x = 88172645463325252ULL;   // xorshift: deterministic and cheap
    auto next = [&x] { x ^= x << 13; x ^= x >> 7; x ^= x << 17; return x; };
    for (int i = 0; i < rows; ++i) {
        const int day = int(qint64(i) * days / rows);
        const int pair = i % pairs + 1;
        const bool summary = i % 25 == 24;
        s.ints[fCaption][i] = pair;
        s.ints[fDate][i] = day0 + day * 86400LL;
        s.ints[fCcy1][i] = qint64(next() % 20'000'000'000ULL) - 10'000'000'000LL;
        s.ints[fCcy2][i] = qint64(next() % 20'000'000'000ULL) - 10'000'000'000LL;
        s.doubles[fRate][i] = 0.5 + double(next() % 1'000'000) / 10000.0;
        s.ints[fDeals][i] = summary ? 25 : 1;
        s.ints[fSummary][i] = summary;
        s.ints[fNegSumm][i] = summary && s.ints[fCcy1][i] < 0;
        s.filterId[i] = summary ? -1 : int((day * pairs + pair - 1) % s.filters.size());
        s.nulls[fCurrentFilter][i] = summary;   // group rows select nothing
        s.ints[fTradeID][i] = i + 1;
        s.ints[fVolume][i] = qint64(next() % 1'000'000'000ULL);
        s.ints[fCommission][i] = qint64(next() % 1'000'000ULL);
        s.ints[fProfitLoss][i] = qint64(next() % 2'000'000'000ULL) - 1'000'000'000LL;
        s.doubles[fCurrentRate][i] = 1.0 + double(next() % 100000) / 100000.0;
        s.doubles[fSwapDiff][i] = double(qint64(next() % 2001) - 1000) / 10000.0;
        s.nulls[fSwapDiff][i] = summary;
        s.dealerId[i] = int(next() % 50);
        s.nulls[fDealerName][i] = summary;
        s.ints[fValDate][i] = day0 + (day + 2) * 86400LL;
        s.nulls[fValDate][i] = summary;
    }
    for (int f = 0; f < FieldCount; ++f) {
        for (int i = 0; i < rows; ++i) {
            if (s.nulls[f][i])
                continue;
            if (f == fCurrentFilter)
                s.rawBytes += s.filtersUtf8[s.filterId[i]].size();
            else if (f == fDealerName)
                s.rawBytes += s.dealersUtf8[s.dealerId[i]].size();
            else if (Fields[f].second == DataType::Boolean)
                s.rawBytes += 1;
            else
                s.rawBytes += 8;
        }
    }
    return s;
}

qint64 residentBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLongLong() * 4096 : 0;
}

/// CPU time of this thread: the machine is shared, and wall time then
/// counts the time other processes held the cores.
qint64 threadCpuNsecs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

/// Times one step in wall and thread CPU time.
class Step final
{
public:
    Step() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = threadCpuNsecs();
    }
    void report(const char *step, qint64 rows) const
    {
        const qint64 wall = m_wall.nsecsElapsed();
        const qint64 cpu = threadCpuNsecs() - m_cpu;
        std::printf("%-42s %8.1f ms wall %8.1f ms cpu  %8.2f M rows/s (cpu)\n", step, wall / 1e6,
                    cpu / 1e6, rows / (std::max<qint64>(cpu, 1) / 1e9) / 1e6);
    }

private:
    QElapsedTimer m_wall;
    qint64 m_cpu = 0;
};

/// Reads every value of every shown row through Field::value(); returns a
/// checksum so that nothing is optimised away.
qint64 readAll(Recordset &rs)
{
    std::vector<Field> fields;
    for (int f = 0; f < FieldCount; ++f)
        fields.push_back(rs.Fields(f));
    qint64 sum = 0;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        for (const Field &field : fields) {
            const Value v = field.value();
            sum += v.isNull() ? 1 : int(v.type());
        }
    }
    return sum;
}

bool exec(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", message ? message : "?");
        sqlite3_free(message);
        return false;
    }
    return true;
}

/// The reference: the same rows from an in-memory SQLite table, read with
/// sqlite3_step and the typed sqlite3_column_* calls.
void sqliteReference(const Source &s, int rows)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK)
        return;
    QByteArray create = "CREATE TABLE t(";
    for (int f = 0; f < FieldCount; ++f)
        create += QByteArray(f ? "," : "") + Fields[f].first;
    create += ")";
    exec(db, create.constData());
    exec(db, "BEGIN");
    QByteArray insert = "INSERT INTO t VALUES(?";
    for (int f = 1; f < FieldCount; ++f)
        insert += ",?";
    insert += ")";
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, insert.constData(), -1, &ins, nullptr);
    for (int i = 0; i < rows; ++i) {
        for (int f = 0; f < FieldCount; ++f) {
            if (s.nulls[f][i])
                sqlite3_bind_null(ins, f + 1);
            else if (f == fCurrentFilter)
                sqlite3_bind_text(ins, f + 1, s.filtersUtf8[s.filterId[i]].constData(), -1, SQLITE_STATIC);
            else if (f == fDealerName)
                sqlite3_bind_text(ins, f + 1, s.dealersUtf8[s.dealerId[i]].constData(), -1, SQLITE_STATIC);
            else if (Fields[f].second == DataType::Double)
                sqlite3_bind_double(ins, f + 1, s.doubles[f][i]);
            else
                sqlite3_bind_int64(ins, f + 1, s.ints[f][i]);
        }
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    exec(db, "COMMIT");

    Step timer;
    sqlite3_stmt *sel = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM t", -1, &sel, nullptr);
    qint64 sum = 0;
    qint64 count = 0;
    while (sqlite3_step(sel) == SQLITE_ROW) {
        for (int f = 0; f < FieldCount; ++f) {
            switch (sqlite3_column_type(sel, f)) {
            case SQLITE_NULL:
                sum += 1;
                break;
            case SQLITE_INTEGER:
                sum += sqlite3_column_int64(sel, f) & 7;
                break;
            case SQLITE_FLOAT:
                sum += qint64(sqlite3_column_double(sel, f)) & 7;
                break;
            default:
                sum += sqlite3_column_bytes(sel, f) + (sqlite3_column_text(sel, f) != nullptr);
                break;
            }
        }
        ++count;
    }
    sqlite3_finalize(sel);
    timer.report("read, SQLite C API (reference)", count);
    std::printf("  (checksum %lld)\n", static_cast<long long>(sum));
    sqlite3_close(db);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int rows = 1'000'000;
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--rows"));
    if (at >= 0 && at + 1 < args.size())
        rows = std::max(1, args[at + 1].toInt());

    std::printf("Generating %d rows x %d fields...\n", rows, FieldCount);
    const Source s = generate(rows);

    // Builds a recordset of the generated rows. With decodePerCell every text
    // is decoded from UTF-8 into a new QString, as a database driver does, so
    // the pool finds it by its characters rather than by its buffer.
    auto build = [&s, rows](bool decodePerCell) {
        auto rs = std::make_shared<Recordset>();
        for (const auto &[name, type] : Fields)
            rs->Fields().Append(QString::fromLatin1(name), type);
        rs->Open();
        // What each field is set with, worked out before the clock runs.
        enum class Set { Int, Double, Filter, Dealer, Caption };
        Set how[FieldCount];
        const qint64 *ints[FieldCount] = {};
        const double *doubles[FieldCount] = {};
        const quint8 *nulls[FieldCount];
        for (int f = 0; f < FieldCount; ++f) {
            how[f] = f == fCurrentFilter ? Set::Filter
                     : f == fDealerName  ? Set::Dealer
                     : f == fCaption     ? Set::Caption
                     : Fields[f].second == DataType::Double ? Set::Double
                                                            : Set::Int;
            ints[f] = s.ints[f].data();
            doubles[f] = s.doubles[f].data();
            nulls[f] = s.nulls[f].data();
        }
        Step timer;
        RecordsetLoader loader(*rs);
        for (int i = 0; i < rows; ++i) {
            loader.beginRow();
            for (int f = 0; f < FieldCount; ++f) {
                if (nulls[f][i])
                    continue;   // a new row is all null
                switch (how[f]) {
                case Set::Int:
                    loader.setInt64(f, ints[f][i]);
                    break;
                case Set::Double:
                    loader.setDouble(f, doubles[f][i]);
                    break;
                case Set::Filter:
                    if (decodePerCell)
                        loader.setText(f, QString::fromUtf8(s.filtersUtf8[s.filterId[i]]));
                    else
                        loader.setText(f, s.filters[s.filterId[i]]);
                    break;
                case Set::Dealer:
                    if (decodePerCell)
                        loader.setText(f, QString::fromUtf8(s.dealersUtf8[s.dealerId[i]]));
                    else
                        loader.setText(f, s.dealers[s.dealerId[i]]);
                    break;
                case Set::Caption:
                    loader.setValue(f, Value(int(ints[f][i])));
                    break;
                }
            }
            loader.endRow();
        }
        timer.report(decodePerCell ? "build, texts decoded per cell" : "build through RecordsetLoader", rows);
        return rs;
    };

    const qint64 rssBefore = residentBytes();
    auto rs = build(false);
    const qint64 rssAfter = residentBytes();
    build(true);

    auto filtered = rs->Clone();
    // A refused filter would be timed as if it had filtered: stop instead.
    const auto filter = [&filtered](const QString &criteria) {
        if (filtered->setFilter(criteria))
            return;
        std::printf("the filter \"%s\" was refused\n", qPrintable(criteria));
        std::exit(1);
    };
    Step timer;
    filter(QStringLiteral("Summary = False"));
    timer.report("filter \"Summary = False\"", rows);
    std::printf("  (%lld rows shown)\n", static_cast<long long>(filtered->RecordCount()));

    timer.restart();
    filter(QStringLiteral("TradeID = 17 OR TradeID = 500000 OR TradeID = 999999"));
    timer.report("filter TradeID OR-list, 3 terms", rows);

    QStringList terms;
    for (int i = 0; i < 50; ++i)
        terms << QStringLiteral("TradeID = %1").arg(i * 19997 + 1);
    timer.restart();
    filter(terms.join(QStringLiteral(" OR ")));
    timer.report("filter TradeID OR-list, 50 terms", rows);

    timer.restart();
    filter(QStringLiteral("DealerName = 'Dealer A 0' OR DealerName = 'Dealer B 37' OR Ccy1 < 0"));
    timer.report("filter mixed OR (strings, currency)", rows);

    timer.restart();
    filter(QStringLiteral("Caption = 3 OR Caption = 7 OR Caption = 11"));
    timer.report("filter Variant OR-list, 3 terms", rows);

    timer.restart();
    filter(QStringLiteral("Date >= #3/1/2026# AND Date < #3/2/2026# AND Caption = 7"));
    timer.report("filter date range AND pair", rows);
    std::printf("  (%lld rows shown)\n", static_cast<long long>(filtered->RecordCount()));

    auto sorted = rs->Clone();
    timer.restart();
    sorted->setSort(QStringLiteral("DealerName, Ccy1 DESC"));
    timer.report("sort \"DealerName, Ccy1 DESC\"", rows);
    timer.restart();
    sorted->setSort(QStringLiteral("ValDate DESC, Rate"));
    timer.report("sort \"ValDate DESC, Rate\"", rows);

    timer.restart();
    auto clone = rs->Clone();
    timer.report("clone", rows);

    timer.restart();
    qint64 sum = readAll(*clone);
    timer.report("read every value through Field::value()", rows);
    timer.restart();
    sum += readAll(*sorted);
    timer.report("read every value, sorted clone", rows);
    std::printf("  (checksum %lld)\n", static_cast<long long>(sum));

    sqliteReference(s, rows);

    const double raw = double(s.rawBytes);
    std::printf("raw size of the values         %9.1f MB\n", raw / 1e6);
    std::printf("recordset storage              %9.1f MB  (%.2f x raw)\n", rs->storageBytes() / 1e6,
                rs->storageBytes() / raw);
    std::printf("resident set growth on build   %9.1f MB  (%.2f x raw)\n", (rssAfter - rssBefore) / 1e6,
                (rssAfter - rssBefore) / raw);
    return 0;
}
