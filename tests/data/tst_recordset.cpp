#include "DealFixture.h"
#include "Recordset.h"

#include <QTest>

using namespace data;
using fixture::makeDeals;
using fixture::tradeIds;

class tst_Recordset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldRefuseToOpenWithoutFields()
    {
        Recordset rs;
        QVERIFY(!rs.Open());
        QCOMPARE(rs.State(), int(adStateClosed));
        QCOMPARE(rs.RecordCount(), qint64(-1));
    }

    void shouldRefuseDuplicateFieldAndAppendWhenOpen()
    {
        Recordset rs;
        QVERIFY(rs.Fields().Append("Ccy", DataType::Integer));
        QVERIFY(!rs.Fields().Append("CCY", DataType::Integer));
        QVERIFY(rs.Open());
        QVERIFY(!rs.Fields().Append("Other", DataType::Integer));
        QVERIFY(rs.lastError());
        QVERIFY(!rs.Open());
    }

    void emptyRecordsetIsBofAndEof()
    {
        Recordset rs;
        rs.Fields().Append("A", DataType::Integer);
        QVERIFY(rs.Open());
        QVERIFY(rs.Bof());
        QVERIFY(rs.Eof());
        QCOMPARE(rs.RecordCount(), qint64(0));
        QCOMPARE(rs.AbsolutePosition(), qint64(-1));
        QCOMPARE(rs.Bookmark(), qint64(-1));
        QVERIFY(rs.Fields("A").value().isEmpty());
        QCOMPARE(rs.lastError()->Number, int(Error::NoCurrentRecord));
        QVERIFY(!rs.Fields("A").setValue(1));
    }

    void everyTypeRoundTripsIncludingNull_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Value>("value");
        QTest::newRow("smallint") << int(DataType::SmallInt) << Value(qint64(-32768), DataType::SmallInt);
        QTest::newRow("integer") << int(DataType::Integer) << Value(2147483647);
        QTest::newRow("bigint") << int(DataType::BigInt) << Value(qint64(1) << 60);
        QTest::newRow("double") << int(DataType::Double) << Value(1.0 / 3);
        QTest::newRow("currency") << int(DataType::Currency) << Value(Currency::fromRaw(-12345));
        QTest::newRow("date") << int(DataType::Date) << Value(*DateTime::fromIsoString(u"1999-12-31 23:59:59"));
        QTest::newRow("boolean") << int(DataType::Boolean) << Value(true);
        QTest::newRow("varwchar") << int(DataType::VarWChar) << Value(QStringLiteral("Grüße"));
        QTest::newRow("variant-int") << int(DataType::Variant) << Value(7);
        QTest::newRow("variant-string") << int(DataType::Variant) << Value("Ccy = 5");
        QTest::newRow("variant-currency") << int(DataType::Variant) << Value(Currency::fromUnits(3));
        QTest::newRow("variant-date") << int(DataType::Variant) << Value(DateTime::fromSecs(86400));
        QTest::newRow("variant-double") << int(DataType::Variant) << Value(-0.5);
    }

    void everyTypeRoundTripsIncludingNull()
    {
        QFETCH(int, type);
        QFETCH(Value, value);
        Recordset rs;
        rs.Fields().Append("F", DataType(type));
        QVERIFY(rs.Open());
        QVERIFY(rs.AddNew());
        QVERIFY(rs.Fields("F").value().isNull());   // a new row is all null
        QVERIFY(rs.Fields("F").setValue(value));
        QVERIFY(rs.AddNew());
        QVERIFY(rs.Fields("F").setValue(Value::null()));
        rs.MoveFirst();
        QCOMPARE(rs.Fields("F").value(), value);
        QCOMPARE(rs.Fields("F").value().type(), value.type());
        rs.MoveNext();
        QVERIFY(rs.Fields("F").value().isNull());
        QVERIFY(!rs.Fields("F").value().isEmpty() || DataType(type) == DataType::Variant);
    }

    void setValueConvertsAndRejectsMismatch()
    {
        auto rs = makeDeals();
        QVERIFY(rs->Fields("Amount").setValue("12.34567"));
        QCOMPARE(rs->Fields("Amount").value().toCurrency().raw(), qint64(123457));
        QVERIFY(rs->Fields("Ccy").setValue(QStringLiteral("8")));
        QCOMPARE(rs->Fields("Ccy").value().toInt(), 8);
        QVERIFY(!rs->Fields("Ccy").setValue(QStringLiteral("USD")));
        QCOMPARE(rs->lastError()->Number, int(Error::TypeMismatch));
        QCOMPARE(rs->Fields("Ccy").value().toInt(), 8);   // unchanged
        QVERIFY(!rs->Fields("Ccy").setValue(70000));         // outside SmallInt
    }

    void unknownFieldIsInvalidHandle()
    {
        auto rs = makeDeals();
        Field f = rs->Fields("NoSuchField");
        QVERIFY(!f.isValid());
        QCOMPARE(rs->lastError()->Number, int(Error::ItemNotFound));
        QVERIFY(f.value().isEmpty());
        QVERIFY(!f.setValue(1));
        QVERIFY(!rs->Fields(99).isValid());
        QCOMPARE(rs->Fields("dealer").Name(), QStringLiteral("Dealer"));
        QCOMPARE(rs->Fields().indexOf("SUMMARY"), 8);
    }

    void navigatesForwardAndBackward()
    {
        auto rs = makeDeals();
        QCOMPARE(rs->RecordCount(), qint64(5));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,2,3,4,5"));
        rs->MoveLast();
        QCOMPARE(rs->AbsolutePosition(), qint64(5));
        rs->MoveNext();
        QVERIFY(rs->Eof());
        QVERIFY(!rs->Bof());
        rs->MoveNext();   // already at EOF: an error, no move
        QCOMPARE(rs->lastError()->Number, int(Error::NoCurrentRecord));
        rs->MovePrevious();
        QCOMPARE(rs->Fields("TradeID").value().toInt(), 5);
        rs->MoveFirst();
        rs->MovePrevious();
        QVERIFY(rs->Bof());
        QVERIFY(!rs->Eof());
        QVERIFY(rs->setAbsolutePosition(2));
        QCOMPARE(rs->Fields("TradeID").value().toInt(), 2);
        QVERIFY(!rs->setAbsolutePosition(6));
        QVERIFY(!rs->setAbsolutePosition(0));
    }

    void clonesShareRowsButNotCursors()
    {
        auto rs = makeDeals();
        auto clone = rs->Clone();
        QVERIFY(clone);
        QCOMPARE(clone->RecordCount(), qint64(5));
        rs->MoveLast();
        QCOMPARE(clone->AbsolutePosition(), qint64(1));
        // A value set through one handle is seen through the other.
        QVERIFY(rs->Fields("Dealer").setValue("Taylor"));
        clone->MoveLast();
        QCOMPARE(clone->Fields("Dealer").value().toString(), QStringLiteral("Taylor"));
        // A row added through the clone appears in the original.
        QVERIFY(clone->AddNew());
        clone->Fields("TradeID").setValue(9);
        QCOMPARE(rs->RecordCount(), qint64(6));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,2,3,4,5,9"));
        // Closing one handle leaves the rows to the other.
        rs->Close();
        QCOMPARE(rs->State(), int(adStateClosed));
        QCOMPARE(clone->RecordCount(), qint64(6));
        QVERIFY(rs->Open());
        QCOMPARE(rs->RecordCount(), qint64(0));
        QCOMPARE(rs->Fields().Count(), 20);
    }

    void loaderFillsRowsByIndex()
    {
        Recordset rs;
        rs.Fields().Append("Id", DataType::BigInt);
        rs.Fields().Append("Rate", DataType::Double);
        rs.Fields().Append("Amount", DataType::Currency);
        rs.Fields().Append("When", DataType::Date);
        rs.Fields().Append("Name", DataType::VarChar);
        rs.Fields().Append("Flag", DataType::Boolean);
        rs.Fields().Append("Any", DataType::Variant);
        QVERIFY(rs.Open());
        {
            RecordsetLoader loader(rs);
            for (int i = 0; i < 3; ++i) {
                loader.beginRow();
                loader.setInt64(0, i);
                loader.setDouble(1, 1.5 * i);
                loader.setInt64(2, 10000 * i + 1);
                loader.setInt64(3, 86400 * i);
                loader.setText(4, i == 1 ? QString() : QStringLiteral("n%1").arg(i));
                loader.setInt64(5, i % 2);
                if (i == 2)
                    loader.setNull(6);
                else
                    loader.setValue(6, i == 0 ? Value("text") : Value(2.25));
                loader.endRow();
            }
        }
        QCOMPARE(rs.RecordCount(), qint64(3));
        rs.MoveFirst();
        QCOMPARE(rs.Fields("Any").value().toString(), QStringLiteral("text"));
        rs.MoveNext();
        QCOMPARE(rs.Fields("Amount").value().toCurrency(), Currency::fromRaw(10001));
        QCOMPARE(rs.Fields("When").value().toDate().toIsoString(), QStringLiteral("1970-01-02"));
        QCOMPARE(rs.Fields("Rate").value().toDouble(), 1.5);
        QCOMPARE(rs.Fields("Flag").value(), Value(true));
        QCOMPARE(rs.Fields("Any").value(), Value(2.25));
        QVERIFY(!rs.Fields("Name").value().isNull());   // an empty text is not null
        rs.MoveNext();
        QVERIFY(rs.Fields("Any").value().isNull());
        QCOMPARE(rs.Fields("Name").value().toString(), QStringLiteral("n2"));
    }

    void equalTextsUnderTwoIdsSortAndFilterAsOne()
    {
        // A column of texts that never repeat stops deduplicating them; a
        // text that then comes back gets a second id and must still sort
        // beside its twin and match the same criteria.
        Recordset rs;
        rs.Fields().Append("Ref", DataType::VarWChar);
        rs.Fields().Append("Row", DataType::BigInt);
        QVERIFY(rs.Open());
        {
            RecordsetLoader loader(rs);
            const auto add = [&](const QString &text, qint64 row) {
                const QByteArray utf8 = text.toUtf8();
                loader.beginRow();
                loader.setUtf8Text(0, utf8.constData(), utf8.size());
                loader.setInt64(1, row);
                loader.endRow();
            };
            add(QStringLiteral("M twin"), 0);
            for (int i = 1; i <= 70000; ++i)
                add(QStringLiteral("ref %1").arg(i, 6, 10, QLatin1Char('0')), i);
            add(QStringLiteral("M twin"), 70001);
        }
        QVERIFY(rs.setSort(QStringLiteral("Ref")));
        QVERIFY(rs.Find(QStringLiteral("Ref = 'M twin'")));
        QCOMPARE(rs.Fields("Row").value().toInt64(), qint64(0));
        rs.MoveNext();
        QCOMPARE(rs.Fields("Ref").value().toString(), QStringLiteral("M twin"));
        QCOMPARE(rs.Fields("Row").value().toInt64(), qint64(70001));
        QVERIFY(rs.setFilter(QStringLiteral("Ref = 'M twin' OR Ref = 'ref 000007'")));
        QCOMPARE(rs.RecordCount(), qint64(3));
    }

    void nextRecordsetHandsOutQueuedResultsInOrder()
    {
        auto first = makeDeals();
        auto second = makeDeals();
        auto third = makeDeals();
        third->AddNew();
        first->setFollowingResults({second, third});
        RecordsetPtr next = first->NextRecordset();
        QCOMPARE(first->State(), int(adStateClosed));
        QCOMPARE(next, second);
        next = next->NextRecordset();
        QCOMPARE(next, third);
        QCOMPARE(next->RecordCount(), qint64(6));
        QVERIFY(!next->NextRecordset());
    }

    void sortOrdersRows_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one-key") << "Ccy" << "2,5,1,3,4";
        QTest::newRow("two-keys") << "ValDate, Ccy DESC" << "4,1,3,2,5";
        QTest::newRow("desc-nulls-last") << "Amount DESC" << "5,1,3,2,4";
        QTest::newRow("asc-nulls-first") << "Amount ASC" << "4,2,3,1,5";
        QTest::newRow("strings-ignore-case") << "Dealer" << "4,2,3,1,5";
        QTest::newRow("stable-on-ties") << "PairCcy" << "1,2,3,4,5";
        QTest::newRow("stable-on-ties-desc") << "PairCcy DESC" << "5,1,2,3,4";
        QTest::newRow("bool-false-first") << "Summary, TradeID DESC" << "4,5,2,1,3";
        QTest::newRow("case-equal-strings-keep-order") << "Bank1ID" << "3,2,1,4,5";
        QTest::newRow("variant-null-numbers-text") << "Caption" << "3,4,5,1,2";
        QTest::newRow("bracketed-and-any-case") << "[ticket no] desc" << "5,4,3,2,1";
        QTest::newRow("empty-restores-natural") << "" << "1,2,3,4,5";
    }

    void sortOrdersRows()
    {
        QFETCH(QString, sort);
        QFETCH(QString, expected);
        auto rs = makeDeals();
        QVERIFY(rs->setSort(QStringLiteral("TradeID DESC")));
        QVERIFY2(rs->setSort(sort), qPrintable(rs->lastError() ? rs->lastError()->Description : QString()));
        QCOMPARE(tradeIds(*rs), expected);
        QCOMPARE(rs->Sort(), sort);
        QCOMPARE(rs->AbsolutePosition(), qint64(1));
    }

    void sortRejectsUnknownFieldAndKeepsOrder()
    {
        auto rs = makeDeals();
        QVERIFY(rs->setSort(QStringLiteral("Ccy")));
        QVERIFY(!rs->setSort(QStringLiteral("Ccy, Nope DESC")));
        QCOMPARE(rs->lastError()->Number, int(Error::InvalidArgument));
        QVERIFY(!rs->setSort(QStringLiteral("Ccy,,TradeID")));
        QCOMPARE(rs->Sort(), QStringLiteral("Ccy"));
        QCOMPARE(tradeIds(*rs), QStringLiteral("2,5,1,3,4"));
    }

    void filterAndSortCombine()
    {
        auto rs = makeDeals();
        QVERIFY(rs->setSort(QStringLiteral("Amount DESC")));
        QVERIFY(rs->setFilter(QStringLiteral("Summary = False")));
        QCOMPARE(tradeIds(*rs), QStringLiteral("5,1,2"));
        QVERIFY(rs->setSort(QString()));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,2,5"));
        QVERIFY(rs->setFilter(QString()));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,2,3,4,5"));
    }

    void clonesKeepTheirOwnFilterSortAndCursor()
    {
        auto rs = makeDeals();
        auto a = rs->Clone();
        auto b = rs->Clone();
        QVERIFY(a->setFilter(QStringLiteral("Ccy = 5")));
        QVERIFY(b->setSort(QStringLiteral("TradeID DESC")));
        b->MoveNext();
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,2,3,4,5"));
        QCOMPARE(tradeIds(*a), QStringLiteral("1,3"));
        QCOMPARE(tradeIds(*b), QStringLiteral("5,4,3,2,1"));
        QCOMPARE(b->Fields("TradeID").value().toInt(), 4);
        // A clone of a filtered handle starts unfiltered.
        auto c = a->Clone();
        QCOMPARE(c->Filter(), QString());
        QCOMPARE(c->RecordCount(), qint64(5));
    }

    void rowAddedThroughFilteredHandleIsShownThere()
    {
        auto rs = makeDeals();
        QVERIFY(rs->setFilter(QStringLiteral("Ccy = 5")));
        QVERIFY(rs->AddNew());
        rs->Fields("TradeID").setValue(6);
        rs->Fields("Ccy").setValue(9);
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,3,6"));
        QVERIFY(rs->setFilter(QStringLiteral("Ccy = 5")));
        QCOMPARE(tradeIds(*rs), QStringLiteral("1,3"));
        QVERIFY(rs->setFilter(QStringLiteral("Ccy = 9")));
        QCOMPARE(tradeIds(*rs), QStringLiteral("6"));
    }

    void bookmarksFollowRowsThroughFilterAndSort()
    {
        auto rs = makeDeals();
        rs->setAbsolutePosition(3);   // TradeID 3
        const qint64 mark = rs->Bookmark();
        auto sorted = rs->Clone();
        QVERIFY(sorted->setSort(QStringLiteral("TradeID DESC")));
        QVERIFY(sorted->setBookmark(mark));
        QCOMPARE(sorted->Fields("TradeID").value().toInt(), 3);
        QCOMPARE(sorted->AbsolutePosition(), qint64(3));
        auto filtered = rs->Clone();
        QVERIFY(filtered->setFilter(QStringLiteral("Summary = False")));
        QVERIFY(!filtered->setBookmark(mark));   // row 3 is filtered out
        QVERIFY(!filtered->setBookmark(100));
        QVERIFY(!filtered->setBookmark(-1));
        filtered->MoveLast();
        QVERIFY(rs->setBookmark(filtered->Bookmark()));
        QCOMPARE(rs->Fields("TradeID").value().toInt(), 5);
    }

    void findMovesToMatchingRow_data()
    {
        QTest::addColumn<int>("startPosition");   // 0: BOF, 6: EOF
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("expectedTradeId");   // 0: not found
        QTest::newRow("forward-includes-current") << 1 << "Ccy = 5" << 0 << int(adSearchForward) << 1;
        QTest::newRow("forward-skip-current") << 1 << "Ccy = 5" << 1 << int(adSearchForward) << 3;
        QTest::newRow("forward-from-bof") << 0 << "Dealer LIKE 'smith*'" << 0 << int(adSearchForward) << 1;
        QTest::newRow("forward-none") << 4 << "Ccy = 5" << 0 << int(adSearchForward) << 0;
        QTest::newRow("backward") << 5 << "Ccy = 5" << 0 << int(adSearchBackward) << 3;
        QTest::newRow("backward-skip") << 3 << "Ccy = 5" << 1 << int(adSearchBackward) << 1;
        QTest::newRow("backward-none") << 2 << "Ccy = 4" << 0 << int(adSearchBackward) << 0;
        QTest::newRow("forward-at-eof") << 6 << "Ccy = 5" << 0 << int(adSearchForward) << 0;
        QTest::newRow("backward-from-eof") << 6 << "Ccy = 5" << 0 << int(adSearchBackward) << 3;
    }

    void findMovesToMatchingRow()
    {
        QFETCH(int, startPosition);
        QFETCH(QString, criteria);
        QFETCH(int, skip);
        QFETCH(int, direction);
        QFETCH(int, expectedTradeId);
        auto rs = makeDeals();
        if (startPosition == 0) {
            rs->MovePrevious();
        } else if (startPosition == 6) {
            rs->MoveLast();
            rs->MoveNext();
        } else {
            rs->setAbsolutePosition(startPosition);
        }
        const bool found = rs->Find(criteria, skip, direction);
        QCOMPARE(found, expectedTradeId != 0);
        if (found)
            QCOMPARE(rs->Fields("TradeID").value().toInt(), expectedTradeId);
        else if (direction == adSearchForward)
            QVERIFY(rs->Eof());
        else
            QVERIFY(rs->Bof());
    }

    void findWithMalformedCriteriaKeepsPosition()
    {
        auto rs = makeDeals();
        rs->setAbsolutePosition(2);
        QVERIFY(!rs->Find(QStringLiteral("Ccy = ")));
        QCOMPARE(rs->lastError()->Number, int(Error::InvalidArgument));
        QCOMPARE(rs->AbsolutePosition(), qint64(2));
    }

    void largeSortMatchesReferenceOrder_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::newRow("bigint-extremes") << "I";
        QTest::newRow("double-desc") << "D DESC";
        QTest::newRow("string-then-bigint-desc") << "S, I DESC";
        QTest::newRow("bool-desc-string-double") << "B DESC, S, D";
        QTest::newRow("currency") << "C";
        QTest::newRow("date-desc-then-currency") << "T DESC, C";
    }

    void largeSortMatchesReferenceOrder()
    {
        // Enough rows for the radix sort, checked against a plain comparison
        // sort of the same values.
        QFETCH(QString, sort);
        Recordset rs;
        const char *names[] = {"Seq", "I", "D", "S", "B", "C", "T"};
        const DataType types[] = {DataType::Integer, DataType::BigInt, DataType::Double, DataType::VarWChar,
                                  DataType::Boolean, DataType::Currency, DataType::Date};
        for (int f = 0; f < 7; ++f)
            rs.Fields().Append(QString::fromLatin1(names[f]), types[f]);
        QVERIFY(rs.Open());
        const QString texts[] = {"b", "B", "a", "", "ab", "Zed", "zed", "ä"};
        const qint64 ints[] = {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), -1, 0, 1, 255, 256, -256};
        const double doubles[] = {-std::numeric_limits<double>::infinity(), -2.5, -1e-300, 0.0, 1e-300, 3.25,
                                  std::numeric_limits<double>::infinity(), 1e300};
        quint32 x = 12345;
        auto next = [&x] { x = x * 1103515245 + 12345; return (x >> 16) & 0x7fff; };
        // Up to two steps inward from each base value, so the ends of the
        // range are hit without overflowing past them.
        auto bigInt = [&] {
            const qint64 base = ints[next() % 8];
            const qint64 step = next() % 3;
            return Value(base < 0 ? base + step : base - step, DataType::BigInt);
        };
        std::vector<std::vector<Value>> table;
        for (int i = 0; i < 3000; ++i) {
            std::vector<Value> row{Value(i),
                                   next() % 9 == 0 ? Value() : bigInt(),
                                   next() % 9 == 0 ? Value() : Value(doubles[next() % 8]),
                                   next() % 9 == 0 ? Value() : Value(texts[next() % 8]),
                                   next() % 9 == 0 ? Value() : Value(next() % 2 == 0),
                                   next() % 9 == 0 ? Value() : Value(Currency::fromRaw(qint64(next()) - 16000)),
                                   next() % 9 == 0 ? Value() : Value(DateTime::fromSecs(qint64(next() % 50) * 43200 - 86400))};
            rs.AddNew();
            for (int f = 0; f < 7; ++f)
                QVERIFY(rs.Fields(f).setValue(row[f]));
            table.push_back(row);
        }
        QVERIFY(rs.setSort(sort));

        // The reference: null lowest, strings without case, stable.
        std::vector<std::pair<int, bool>> keys;
        for (const QString &part : sort.split(QLatin1Char(','))) {
            const QStringList words = part.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            keys.push_back({rs.Fields().indexOf(words[0]), words.size() > 1});
        }
        auto compare = [](const Value &a, const Value &b) {
            if (a.isNull() || b.isNull())
                return int(!a.isNull()) - int(!b.isNull());
            if (a.type() == DataType::VarWChar)
                return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
            if (a.type() == DataType::Double)
                return a.toDouble() < b.toDouble() ? -1 : (b.toDouble() < a.toDouble() ? 1 : 0);
            const qint64 ia = a.type() == DataType::Currency ? a.toCurrency().raw()
                              : a.type() == DataType::Date   ? a.toDate().secs()
                              : a.type() == DataType::Boolean ? qint64(a.toBool())
                                                              : a.toInt64();
            const qint64 ib = b.type() == DataType::Currency ? b.toCurrency().raw()
                              : b.type() == DataType::Date   ? b.toDate().secs()
                              : b.type() == DataType::Boolean ? qint64(b.toBool())
                                                              : b.toInt64();
            return ia < ib ? -1 : (ib < ia ? 1 : 0);
        };
        std::stable_sort(table.begin(), table.end(), [&](const auto &a, const auto &b) {
            for (const auto &[field, descending] : keys) {
                const int c = compare(a[field], b[field]);
                if (c != 0)
                    return descending ? c > 0 : c < 0;
            }
            return false;
        });
        int i = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++i)
            QCOMPARE(rs.Fields("Seq").value().toInt(), table[i][0].toInt());
        QCOMPARE(i, 3000);
    }
};

QTEST_GUILESS_MAIN(tst_Recordset)
#include "tst_recordset.moc"
