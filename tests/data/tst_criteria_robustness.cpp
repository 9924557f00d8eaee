#include "DealFixture.h"
#include "Recordset.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace data;

namespace {

// Well-formed criteria of every form the reports build; the raw material of
// the truncations and mutations below.
const char *const Seeds[] = {
    "Summary = False",
    "Bank1ID = ''",
    "Bank1ID=''",
    "Ccy = 5 AND ValDate = #12/5/2026#",
    "TradeID = 1 OR TradeID = 2 OR TradeID = 3",
    "DealTime >= #12/5/2026# AND DealTime < #12/6/2026# AND PairCcy = 7",
    "(ValDateP1C1 = #12/5/2026#  AND Ccy1 = 5) OR (ValDateP2C1 = #12/5/2026# AND Ccy1 = 5)",
    "NETTING = 2 AND CounterPartyID = 12 AND Ccy = 3",
    "Ccy = 4 AND ODate = #12/7/2026 11:30:15 PM#",
    "Dealer LIKE 'O''B*' OR Dealer IS NOT NULL",
    "[Ticket No] >= -400.25 AND Caption <> Null",
    "Amount = '100.50' OR Rate < .5 AND Summary = True",
    "Amount > $300.00 OR Rate < 1.2345E2 AND TradeID <> -$2",
    "ValDate > #8/24/95# OR Code = #'1'# OR Dealer LIKE '*ith'",
};

// Characters that mean something to the parser, to make mutations that get deep.
const QString Alphabet = QStringLiteral("'#[]()=<>-+.*%_?$ ,0123456789ANDORLIKEISNULLaz/:\\\"\t\u00e4\U0001F600");

QString mutate(QRandomGenerator &rng, QString s)
{
    const int edits = 1 + int(rng.bounded(4));
    for (int e = 0; e < edits; ++e) {
        const int pos = s.isEmpty() ? 0 : int(rng.bounded(s.size() + 1));
        switch (rng.bounded(5)) {
        case 0:   // delete a character
            if (pos < s.size())
                s.remove(pos, 1);
            break;
        case 1:   // insert a meaningful character
            s.insert(pos, Alphabet[int(rng.bounded(Alphabet.size()))]);
            break;
        case 2:   // replace a character
            if (pos < s.size())
                s[pos] = Alphabet[int(rng.bounded(Alphabet.size()))];
            break;
        case 3: {   // duplicate a piece
            const int len = int(rng.bounded(12));
            s.insert(pos, s.mid(pos, len));
            break;
        }
        default:   // cut the rest
            s.truncate(pos);
            break;
        }
    }
    return s;
}

QString randomText(QRandomGenerator &rng)
{
    QString s;
    const int len = int(rng.bounded(48));
    for (int i = 0; i < len; ++i) {
        // Any UTF-16 unit, lone surrogates included.
        s += QChar(char16_t(rng.bounded(3) == 0 ? rng.bounded(0x10000) : rng.bounded(0x20, 0x7f)));
    }
    return s;
}

} // namespace

class tst_CriteriaRobustness : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void malformedInputNeverCrashesOrHangs()
    {
        auto rs = fixture::makeDeals();
        auto clone = rs->Clone();
        QRandomGenerator rng(20261205);
        static const QRegularExpression positionPattern(QStringLiteral("at position (\\d+):"));
        constexpr int Inputs = 200'000;
        int accepted = 0;
        for (int n = 0; n < Inputs; ++n) {
            QString input;
            const QString seed = QString::fromUtf8(Seeds[rng.bounded(int(std::size(Seeds)))]);
            switch (n % 3) {
            case 0:
                input = seed.left(int(rng.bounded(seed.size() + 1)));
                break;
            case 1:
                input = mutate(rng, seed);
                break;
            default:
                input = randomText(rng);
                break;
            }
            if (rs->setFilter(input)) {
                ++accepted;
                // The rows shown are a subset of the rows, in order.
                QVERIFY(rs->RecordCount() >= 0 && rs->RecordCount() <= 5);
                clone->MoveFirst();
                clone->Find(input, 0, n % 2 ? adSearchForward : adSearchBackward);
                continue;
            }
            const ErrorPtr error = rs->lastError();
            QVERIFY2(error && error->Number == Error::InvalidArgument, qPrintable(input));
            const auto match = positionPattern.match(error->Description);
            QVERIFY2(match.hasMatch(), qPrintable(input + QStringLiteral(" -> ") + error->Description));
            const int position = match.captured(1).toInt();
            QVERIFY2(position >= 1 && position <= input.size() + 1,
                     qPrintable(input + QStringLiteral(" -> ") + error->Description));
        }
        // Truncations keep many inputs valid: the generator reaches the
        // matching code, not only the error paths.
        QVERIFY(accepted > Inputs / 20);
    }
};

QTEST_GUILESS_MAIN(tst_CriteriaRobustness)
#include "tst_criteria_robustness.moc"
