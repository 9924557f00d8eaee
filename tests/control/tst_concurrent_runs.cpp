// Two controls of one host showing the same report for the same user, each
// with its own counterparty, refreshed together again and again: each must
// show exactly its own deals every time. And one control whose filter changes
// from run to run: a run must never see the selection of the one before it
// (its connection is reused).

#include "../db/DemoDayBanks.h"
#include "ControlTestSession.h"

#include "Marvolt.h"

#include "Report.h"

#include "Clock.h"
#include "SessionContext.h"


#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate Today(2026, 12, 4);

/// The counterparties of the detail rows the control shows.
QSet<QString> banksShown(const Marvolt &control)
{
    QSet<QString> banks;
    data::RecordsetPtr rs = control.report()->DisplayRecordset();
    if (!rs)
        return banks;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        if (!rs->Fields(QStringLiteral("Summary")).value().toBool())
            banks.insert(rs->Fields(QStringLiteral("BankName")).value().toString());
    }
    return banks;
}

} // namespace

class tst_ConcurrentRuns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString db = m_dir.filePath(QStringLiteral("trading.db"));
        QString error;
        QVERIFY2(controltest::buildDemoDatabase(db, 3000, 5, Today, &error), qPrintable(error));
        Clock::setToday(Today);
        QVERIFY(controltest::startFreshUser(m_dir.filePath(QStringLiteral("registry.sqlite")), db));
        m_banks = reporttest::busiestBanks(QStringLiteral("Provider=SQLite;Data Source=") + db, Today);
        QVERIFY(m_banks.size() >= 2);
    }
    void cleanupTestCase() { SessionContext::resetInstance(); }

    void twoControlsOfOneUserSeeOnlyTheirOwnFilter()
    {
        const QStringList &banks = m_banks;
        QString error;
        Marvolt first, second;
        for (auto [control, bank] : {std::pair{&first, banks.at(0)}, std::pair{&second, banks.at(1)}}) {
            control->setWindowType(0);
            QVERIFY2(control->setQueryField(QStringLiteral("Bank"), bank, &error), qPrintable(error));
        }
        int firstDeals = -1, secondDeals = -1;
        for (int round = 0; round < 100; ++round) {
            QSignalSpy firstDone(&first, &Marvolt::UnActivProgress);
            QSignalSpy secondDone(&second, &Marvolt::UnActivProgress);
            first.RefreshData();
            second.RefreshData();
            QVERIFY(firstDone.count() || firstDone.wait(30000));
            QVERIFY(secondDone.count() || secondDone.wait(30000));
            QCOMPARE(banksShown(first), QSet<QString>{banks.at(0)});
            QCOMPARE(banksShown(second), QSet<QString>{banks.at(1)});
            if (round == 0) {
                firstDeals = first.report()->NumDeal;
                secondDeals = second.report()->NumDeal;
            }
            QCOMPARE(first.report()->NumDeal, firstDeals);
            QCOMPARE(second.report()->NumDeal, secondDeals);
        }
    }

    void aRunSeesNoneOfThePreviousRunsFilter()
    {
        const QStringList &banks = m_banks;
        QString error;
        Marvolt control;
        control.setWindowType(0);
        const auto refresh = [&](const QString &filter) {
            QVERIFY2(control.setQueryField(QStringLiteral("Bank"), filter, &error), qPrintable(error));
            QSignalSpy done(&control, &Marvolt::UnActivProgress);
            control.RefreshData();
            QVERIFY(done.wait(30000));
        };
        refresh(QStringLiteral("All"));
        const QSet<QString> everyBank = banksShown(control);
        QVERIFY(everyBank.size() > 2);
        for (int round = 0; round < 3; ++round) {
            refresh(banks.at(0));
            QCOMPARE(banksShown(control), QSet<QString>{banks.at(0)});
            refresh(banks.at(0) + u'|' + banks.at(1));
            QCOMPARE(banksShown(control), (QSet<QString>{banks.at(0), banks.at(1)}));
            refresh(QStringLiteral("All"));
            QCOMPARE(banksShown(control), everyBank);
        }
    }

private:
    QTemporaryDir m_dir;
    QStringList m_banks;   // the two busiest counterparties of the day first
};

QTEST_MAIN(tst_ConcurrentRuns)
#include "tst_concurrent_runs.moc"
