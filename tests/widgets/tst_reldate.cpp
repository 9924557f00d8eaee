#include "RelDate.h"

#include "DateTime.h"

#include <QDateEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using widgets::RelDate;

namespace {
const QDate Today(2026, 12, 5);
}

class tst_RelDate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { RelDate::setTodayProvider([] { return Today; }); }
    void cleanupTestCase() { RelDate::setTodayProvider({}); }

    void startsAtTodayAbsolute();
    void acceptsRetDateForms_data();
    void acceptsRetDateForms();
    void rejectsValuesItCannotRead_data();
    void rejectsValuesItCannotRead();
    void switchingModeKeepsTheDay();
    void relativeValueFollowsTodayAcrossMidnight();
    void allIsOfferedOnlyWhenAllowedOrSet();
    void userEditsRaiseChangeButCodeDoesNot();
};

void tst_RelDate::startsAtTodayAbsolute()
{
    RelDate picker;
    QVERIFY(!picker.Relative());
    QVERIFY(!picker.AllowAll());
    QCOMPARE(picker.RetDate().toDate(), Today);
    QCOMPARE(picker.dayCount(), 0);
}

void tst_RelDate::acceptsRetDateForms_data()
{
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("retDate");
    QTest::addColumn<QVariant>("shown");   // Value(): the date or "All"
    QTest::addColumn<int>("days");

    const QVariant all = QStringLiteral("All");
    QTest::newRow("absolute-date") << false << QVariant(QDate(2026, 12, 1)) << QVariant(QDate(2026, 12, 1))
                                   << QVariant(QDate(2026, 12, 1)) << -4;
    QTest::newRow("absolute-from-datetime") << false << QVariant(QDateTime(QDate(2026, 12, 7), QTime(13, 0)))
                                            << QVariant(QDate(2026, 12, 7)) << QVariant(QDate(2026, 12, 7)) << 2;
    QTest::newRow("absolute-from-data-datetime")
        << false << QVariant::fromValue(data::DateTime::fromSecs(QDateTime(QDate(2026, 11, 30), QTime(0, 0), Qt::UTC).toSecsSinceEpoch()))
        << QVariant(QDate(2026, 11, 30)) << QVariant(QDate(2026, 11, 30)) << -5;
    QTest::newRow("absolute-given-days") << false << QVariant(-1) << QVariant(QDate(2026, 12, 4))
                                         << QVariant(QDate(2026, 12, 4)) << -1;
    QTest::newRow("relative-days") << true << QVariant(-3) << QVariant(-3) << QVariant(QDate(2026, 12, 2)) << -3;
    QTest::newRow("relative-days-as-text") << true << QVariant(QStringLiteral("7")) << QVariant(7)
                                           << QVariant(QDate(2026, 12, 12)) << 7;
    QTest::newRow("relative-given-date") << true << QVariant(QDate(2026, 12, 25)) << QVariant(20)
                                         << QVariant(QDate(2026, 12, 25)) << 20;
    QTest::newRow("iso-text") << false << QVariant(QStringLiteral("2027-01-15")) << QVariant(QDate(2027, 1, 15))
                              << QVariant(QDate(2027, 1, 15)) << 41;
    QTest::newRow("us-text") << false << QVariant(QStringLiteral("12/5/2026")) << QVariant(Today)
                             << QVariant(Today) << 0;
    QTest::newRow("all") << false << all << all << all << 0;
    QTest::newRow("all-any-case-relative") << true << QVariant(QStringLiteral("all")) << all << all << 0;
}

void tst_RelDate::acceptsRetDateForms()
{
    QFETCH(bool, relative);
    QFETCH(QVariant, value);
    QFETCH(QVariant, retDate);
    QFETCH(QVariant, shown);
    QFETCH(int, days);
    RelDate picker;
    picker.setRelative(relative);
    QVERIFY(picker.setRetDate(value));
    QCOMPARE(picker.RetDate(), retDate);
    QCOMPARE(picker.Value(), shown);
    QCOMPARE(picker.dayCount(), days);
    QCOMPARE(picker.isAll(), shown == QVariant(QStringLiteral("All")));
}

void tst_RelDate::rejectsValuesItCannotRead_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("null") << QVariant();
    QTest::newRow("text") << QVariant(QStringLiteral("tomorrow"));
    QTest::newRow("fractional-days") << QVariant(1.5);
    QTest::newRow("absurd-day-count") << QVariant(10000000);
    QTest::newRow("invalid-date") << QVariant(QDate());
}

void tst_RelDate::rejectsValuesItCannotRead()
{
    QFETCH(QVariant, value);
    RelDate picker;
    picker.setRetDate(QDate(2026, 12, 1));
    QVERIFY(!picker.setRetDate(value));
    QCOMPARE(picker.RetDate(), QVariant(QDate(2026, 12, 1)));
}

void tst_RelDate::switchingModeKeepsTheDay()
{
    RelDate picker;
    picker.setRetDate(QDate(2026, 12, 2));
    picker.setRelative(true);
    QCOMPARE(picker.RetDate(), QVariant(-3));
    picker.setRetDate(2);
    picker.setRelative(false);
    QCOMPARE(picker.RetDate(), QVariant(QDate(2026, 12, 7)));
    picker.setRetDate(QStringLiteral("All"));
    picker.setRelative(true);
    QCOMPARE(picker.RetDate(), QVariant(QStringLiteral("All")));
}

void tst_RelDate::relativeValueFollowsTodayAcrossMidnight()
{
    QDate today = Today;
    RelDate::setTodayProvider([&today] { return today; });
    RelDate relative;
    relative.setRelative(true);
    relative.setRetDate(-1);
    RelDate absolute;
    absolute.setRetDate(QDate(2026, 12, 4));
    today = today.addDays(1);
    QCOMPARE(relative.RetDate(), QVariant(-1));
    QCOMPARE(relative.date(), QDate(2026, 12, 5));
    QCOMPARE(absolute.RetDate(), QVariant(QDate(2026, 12, 4)));
    QCOMPARE(absolute.dayCount(), -2);
    RelDate::setTodayProvider([] { return Today; });
}

void tst_RelDate::allIsOfferedOnlyWhenAllowedOrSet()
{
    RelDate picker;
    picker.show();
    auto *allButton = picker.findChild<QToolButton *>();
    QVERIFY(allButton);
    QVERIFY(!allButton->isVisible());
    picker.setAllowAll(true);
    QVERIFY(allButton->isVisible());
    picker.setAllowAll(false);
    picker.setRetDate(QStringLiteral("All"));   // a stored "All" still shows, and can be left
    QVERIFY(allButton->isVisible());
    QVERIFY(allButton->isChecked());
}

void tst_RelDate::userEditsRaiseChangeButCodeDoesNot()
{
    RelDate picker;
    picker.setAllowAll(true);
    picker.show();
    QSignalSpy change(&picker, &RelDate::Change);
    picker.setRetDate(QDate(2026, 1, 1));
    picker.setRelative(true);
    picker.setRetDate(QStringLiteral("All"));
    picker.setRetDate(0);
    QCOMPARE(change.count(), 0);

    auto *days = picker.findChild<QSpinBox *>();
    days->setFocus();
    QTest::keyClick(days, Qt::Key_Up);
    QCOMPARE(change.count(), 1);
    QCOMPARE(picker.RetDate(), QVariant(1));

    picker.findChild<QToolButton *>()->click();
    QCOMPARE(change.count(), 2);
    QVERIFY(picker.isAll());

    picker.findChild<QToolButton *>()->click();
    picker.setRelative(false);
    auto *date = picker.findChild<QDateEdit *>();
    date->setDate(QDate(2026, 12, 24));
    QCOMPARE(change.count(), 4);
    QCOMPARE(picker.RetDate(), QVariant(QDate(2026, 12, 24)));
}

QTEST_MAIN(tst_RelDate)
#include "tst_reldate.moc"
