#pragma once

// A small deal table for the recordset and criteria tests: five rows with a
// column of every storage kind, nulls in most columns and the field names the
// reports filter on.
//
// TradeID Ccy PairCcy Amount        Rate  ValDate   DealTime            Dealer    Summary Bank1ID Code  Caption   NETTING CounterPartyID Ccy1 Ccy2 ValDateP1C1 ValDateP2C1 ODate     Ticket No
// 1       5   7       100.5         1.25  12/5/2026 12/5/2026 09:30     Smith     False   B1      10    7         2       12             5    3    12/5/2026   12/9/2026   12/5/2026 100
// 2       3   7       -20           0.5   12/6/2026 12/5/2026 23:59:59  jones     False   ''      9     EUR/USD   2       12             3    5    12/1/2026   12/5/2026   12/6/2026 200
// 3       5   7       0.0001        null  12/5/2026 12/6/2026 00:00     O'Brien   True    null    abc   null      1       12             3    4    12/5/2026   null        12/5/2026 300
// 4       7   7       null          -2    null      12/4/2026 15:00     null      null    b1      010   2.5       2       13             5    null null        12/5/2026   null      400
// 5       4   8       1234567.8901  1e6   12/7/2026 12/7/2026 12:00     Smithers  False   X_1     null  3.0000(c) null    12             4    4    12/5/2026   12/5/2026   12/7/2026 500

#include "Recordset.h"

#include <QStringList>

#include <initializer_list>
#include <utility>

namespace fixture {

inline data::Value date(const char *iso)
{
    return data::Value(*data::DateTime::fromIsoString(QString::fromLatin1(iso)));
}

inline data::Value money(const char *text)
{
    return data::Value(*data::Currency::fromString(QString::fromLatin1(text)));
}

inline data::RecordsetPtr makeDeals()
{
    using namespace data;
    auto rs = std::make_shared<Recordset>();
    const std::pair<const char *, DataType> fields[] = {
        {"TradeID", DataType::Integer},   {"Ccy", DataType::SmallInt},
        {"PairCcy", DataType::Integer},   {"Amount", DataType::Currency},
        {"Rate", DataType::Double},       {"ValDate", DataType::Date},
        {"DealTime", DataType::Date},     {"Dealer", DataType::VarWChar},
        {"Summary", DataType::Boolean},   {"Bank1ID", DataType::VarChar},
        {"Code", DataType::BStr},         {"Caption", DataType::Variant},
        {"NETTING", DataType::Integer},   {"CounterPartyID", DataType::BigInt},
        {"Ccy1", DataType::Integer},      {"Ccy2", DataType::Integer},
        {"ValDateP1C1", DataType::Date},  {"ValDateP2C1", DataType::Date},
        {"ODate", DataType::Date},        {"Ticket No", DataType::Integer},
    };
    for (const auto &[name, type] : fields)
        rs->Fields().Append(QString::fromLatin1(name), type);
    rs->Open();
    const Value null;
    const std::initializer_list<Value> rows[] = {
        {1, 5, 7, money("100.5"), 1.25, date("2026-12-05"), date("2026-12-05 09:30"), "Smith", false,
         "B1", "10", 7, 2, qint64(12), 5, 3, date("2026-12-05"), date("2026-12-09"), date("2026-12-05"), 100},
        {2, 3, 7, money("-20"), 0.5, date("2026-12-06"), date("2026-12-05 23:59:59"), "jones", false,
         "", "9", "EUR/USD", 2, qint64(12), 3, 5, date("2026-12-01"), date("2026-12-05"), date("2026-12-06"), 200},
        {3, 5, 7, money("0.0001"), null, date("2026-12-05"), date("2026-12-06"), "O'Brien", true,
         null, "abc", null, 1, qint64(12), 3, 4, date("2026-12-05"), null, date("2026-12-05"), 300},
        {4, 7, 7, null, -2.0, null, date("2026-12-04 15:00"), null, null,
         "b1", "010", 2.5, 2, qint64(13), 5, null, null, date("2026-12-05"), null, 400},
        {5, 4, 8, money("1234567.8901"), 1e6, date("2026-12-07"), date("2026-12-07 12:00"), "Smithers", false,
         "X_1", null, money("3"), null, qint64(12), 4, 4, date("2026-12-05"), date("2026-12-05"), date("2026-12-07"), 500},
    };
    for (const auto &row : rows) {
        rs->AddNew();
        int i = 0;
        for (const Value &v : row)
            rs->Fields(i++).setValue(v);
        rs->Update();
    }
    rs->MoveFirst();
    return rs;
}

/// The TradeIDs of the rows a handle shows, in order: "3,1,2". Leaves the
/// cursor where it was.
inline QString tradeIds(data::Recordset &rs)
{
    QStringList ids;
    const qint64 keep = rs.Bookmark();
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        ids << rs.Fields(QStringLiteral("TradeID")).value().toString();
    if (keep >= 0)
        rs.setBookmark(keep);
    else
        rs.MoveFirst();
    return ids.join(QLatin1Char(','));
}

/// Rows of a recordset as "v1|v2|..." texts, nulls as <null>; none for no
/// recordset.
inline QStringList rowTexts(const data::RecordsetPtr &rs)
{
    QStringList rows;
    if (!rs)
        return rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs->Fields().Count(); ++i) {
            const data::Value v = rs->Fields(i).value();
            cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        }
        rows << cells.join(u'|');
    }
    return rows;
}

/// The description of an error for QVERIFY2 messages; valid until the next call.
inline const char *errText(const data::ErrorPtr &error)
{
    static QByteArray text;
    text = error ? error->Description.toUtf8() : QByteArray();
    return text.constData();
}

} // namespace fixture
