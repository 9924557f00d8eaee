#include "ChunkedArray.h"
#include "StringPool.h"

#include <QTest>

#include <vector>

using namespace data;

class tst_StringPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A text handed in through a buffer the pool does not keep must be
    // recognised by its characters, never by the buffer's address.
    void textsSharingAnAddress_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("same-length") << "EUR/USD" << "GBP/JPY";
        QTest::newRow("shorter") << "EUR/USD" << "EUR";
        QTest::newRow("equal") << "EUR/USD" << "EUR/USD";
    }
    void textsSharingAnAddress()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        // One caller buffer, overwritten between the calls.
        char16_t buffer[16] = {};
        std::copy(first.utf16(), first.utf16() + first.size(), buffer);
        StringPool pool;
        const quint32 a = pool.intern(QString::fromRawData(reinterpret_cast<QChar *>(buffer), first.size()));
        const quint32 again = pool.intern(QString::fromRawData(reinterpret_cast<QChar *>(buffer), first.size()));
        std::fill(std::begin(buffer), std::end(buffer), u'\0');
        std::copy(second.utf16(), second.utf16() + second.size(), buffer);
        const quint32 b = pool.intern(QString::fromRawData(reinterpret_cast<QChar *>(buffer), second.size()));
        QCOMPARE(again, a);
        QCOMPARE(pool.at(a), first);
        QCOMPARE(pool.at(b), second);
        QCOMPARE(a == b, first == second);
    }

    void prefixOfAKeptBuffer()
    {
        // Same address as a kept text, fewer characters: another text.
        StringPool pool;
        const QString whole = QStringLiteral("DealTime >= #1/5/2026#");
        const QString kept = QString::fromUtf8(whole.toUtf8());   // a buffer the pool can keep
        const quint32 w = pool.intern(kept);
        QCOMPARE(pool.intern(kept), w);
        const quint32 p = pool.intern(QString::fromRawData(kept.constData(), 8));
        QVERIFY(p != w);
        QCOMPARE(pool.at(p), QStringLiteral("DealTime"));
        QCOMPARE(pool.at(w), whole);
    }

    void freedBuffersAreNotMistaken()
    {
        // Texts decoded per cell are freed after each call; the allocator
        // hands their addresses to the next texts.
        StringPool pool;
        const QStringList texts = {QStringLiteral("Dealer A 0"), QStringLiteral("Dealer B 37"),
                                   QStringLiteral("Dealer C 74"), QStringLiteral("Dealer A 0")};
        for (int round = 0; round < 2000; ++round) {
            const QString &expected = texts[round % texts.size()];
            const quint32 id = pool.intern(QString::fromUtf8(expected.toUtf8()));
            QCOMPARE(pool.at(id), expected);
        }
        QCOMPARE(pool.count(), std::size_t(3));
    }

    void idsStayFirstSeenOrderAcrossGrowth()
    {
        // Enough texts to grow the buffer cache several times; each is then
        // handed in again by its own object, by a copy and by equal text.
        StringPool pool;
        QStringList texts;
        for (int i = 0; i < 20000; ++i)
            texts << QStringLiteral("filter %1").arg(i);
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(pool.intern(texts[i]), quint32(i));
        for (int i = texts.size() - 1; i >= 0; --i) {
            QCOMPARE(pool.intern(texts[i]), quint32(i));
            QCOMPARE(pool.intern(QStringLiteral("filter %1").arg(i)), quint32(i));
        }
        QCOMPARE(pool.count(), std::size_t(texts.size()));
    }

    void utf8BytesMeetTheirTexts()
    {
        // A text's UTF-8 bytes and its QString get one id, whichever comes
        // first: ASCII texts found by their bytes, others decoded, the empty
        // text, and more texts than the recent slots remember.
        StringPool pool;
        QStringList texts{QStringLiteral("EUR"), QStringLiteral("Zürich AG"), QString(), QStringLiteral("ÄÖÜ"),
                          QStringLiteral("EUR ")};
        for (int i = 0; i < 3000; ++i)
            texts << QStringLiteral("CP %1").arg(i);
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < texts.size(); ++i) {
                const QByteArray utf8 = texts[i].toUtf8();
                const bool asText = round == 0 && i % 2 == 1;
                const quint32 id = asText ? pool.intern(texts[i]) : pool.internUtf8(utf8.constData(), utf8.size());
                QCOMPARE(id, quint32(i));
                QCOMPARE(pool.at(id), texts[i]);
            }
        }
        QCOMPARE(pool.count(), std::size_t(texts.size()));
    }

    void indexStaysForRepeatsAndStopsForDistinctTexts()
    {
        // Texts that come back (each again a thousand texts later) keep the
        // index past the point where the pool judges: every repeat finds its id.
        StringPool repeating;
        const auto text = [](int i) { return QStringLiteral("ref %1").arg(i); };
        for (int i = 0; i < 80000; ++i) {
            QCOMPARE(repeating.intern(text(i)), quint32(i));
            if (i >= 1000)
                QCOMPARE(repeating.intern(text(i - 1000)), quint32(i - 1000));
        }
        QCOMPARE(repeating.count(), std::size_t(80000));

        // Texts that never repeat close it; every text still reads back whole.
        StringPool distinct;
        for (int i = 0; i < 80000; ++i) {
            const QByteArray utf8 = text(i).toUtf8();
            QCOMPARE(distinct.at(distinct.internUtf8(utf8.constData(), utf8.size())), text(i));
        }
        QCOMPARE(distinct.count(), std::size_t(80000));
        const quint32 again = distinct.intern(text(5));
        QCOMPARE(distinct.at(again), text(5));
    }

    // Growing a column keeps what was written and hands out zeroed cells, also
    // across the first block's regrowth and the block boundary.
    void chunkedArrayGrowth_data()
    {
        QTest::addColumn<std::vector<int>>("steps");
        const int block = int(ChunkedArray<qint64>::BlockSize);
        QTest::newRow("doubling-first-block") << std::vector<int>{16, 32, 64, 128};
        QTest::newRow("first-block-to-full") << std::vector<int>{100, block};
        QTest::newRow("across-boundary") << std::vector<int>{block - 1, block + 1, 3 * block + 5};
        QTest::newRow("one-step-many-blocks") << std::vector<int>{4 * block + 7};
    }
    void chunkedArrayGrowth()
    {
        QFETCH(std::vector<int>, steps);
        ChunkedArray<qint64> words;
        ChunkedArray<quint8> bytes;
        std::size_t written = 0;
        for (int n : steps) {
            words.growTo(std::size_t(n));
            bytes.growTo(std::size_t(n));
            QVERIFY(words.size() >= std::size_t(n));
            for (std::size_t i = 0; i < written; ++i) {
                QCOMPARE(words[i], qint64(i) * 7 - 3);
                QCOMPARE(bytes[i], quint8(i % 251 + 1));
            }
            for (std::size_t i = written; i < std::size_t(n); ++i) {
                QCOMPARE(words[i], qint64(0));
                QCOMPARE(bytes[i], quint8(0));
                words[i] = qint64(i) * 7 - 3;
                bytes[i] = quint8(i % 251 + 1);
            }
            written = std::size_t(n);
        }
    }
};

QTEST_GUILESS_MAIN(tst_StringPool)
#include "tst_stringpool.moc"
