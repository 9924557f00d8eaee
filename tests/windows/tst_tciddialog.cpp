// The counterparty tree dialog against a real trading database: restoring a
// report's counterparties, the category/counterparty check rule, the commands,
// and what OK and Cancel hand back to the report and the host.

#include "TcidDialog.h"

#include "CheckTreeTestSupport.h"

#include "OpenPosition.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace treetest;

class tst_TcidDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void shouldFollowCheckRuleAndHandBackEntries_data();
    void shouldFollowCheckRuleAndHandBackEntries();
    void cancelShouldLeaveReportUnchanged();
    void unreadableCategoriesShouldOfferOnlyCancel();

private:
    std::unique_ptr<TestTradingDatabase> m_db;
    std::unique_ptr<OpenPosition> m_report;
};

void tst_TcidDialog::init()
{
    m_db = std::make_unique<TestTradingDatabase>();
    QVERIFY2(openDirectory(*m_db), qPrintable(m_db->error()));
    m_report = std::make_unique<OpenPosition>();
}

void tst_TcidDialog::cleanup()
{
    m_report.reset();
    m_db.reset();
}

void tst_TcidDialog::shouldFollowCheckRuleAndHandBackEntries_data()
{
    QTest::addColumn<QStringList>("bank");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("bold");
    QTest::addColumn<QStringList>("result");
    QTest::addColumn<QString>("caption");

    // Restore, then OK without a change: the selection comes back in tree order.
    QTest::newRow("empty-selection-checks-nothing")
        << QStringList() << QStringList() << QStringList() << QStringList() << QStringList()
        << "All";
    QTest::newRow("all-means-no-restriction")
        << QStringList{"All"} << QStringList() << QStringList() << QStringList() << QStringList()
        << "All";
    QTest::newRow("restored-entries-in-tree-order")
        << QStringList{"BLK", "DBK"} << QStringList()
        << QStringList{"Banks", "Banks|DBK", "Funds", "Funds|BLK"} << QStringList{"Banks", "Funds"}
        << QStringList{"DBK", "BLK"} << "List";
    QTest::newRow("unknown-counterparty-dropped")
        << QStringList{"GONE", "SBR"} << QStringList() << QStringList{"Banks", "Banks|SBR"}
        << QStringList{"Banks"} << QStringList{"SBR"} << "SBR";

    QTest::newRow("category-checks-all-entries")
        << QStringList() << QStringList{"check:Banks"}
        << QStringList{"Banks", "Banks|DBK", "Banks|SBR"} << QStringList{"Banks"}
        << QStringList{"DBK", "SBR"} << "List";
    QTest::newRow("unchecking-category-unchecks-entries")
        << QStringList{"DBK", "BLK"} << QStringList{"uncheck:Banks"}
        << QStringList{"Funds", "Funds|BLK"} << QStringList{"Funds"} << QStringList{"BLK"} << "BLK";
    QTest::newRow("one-entry-checks-category")
        << QStringList() << QStringList{"check:Banks|SBR"}
        << QStringList{"Banks", "Banks|SBR"} << QStringList{"Banks"} << QStringList{"SBR"} << "SBR";
    QTest::newRow("other-entry-left-keeps-category")
        << QStringList{"DBK", "SBR"} << QStringList{"uncheck:Banks|DBK"}
        << QStringList{"Banks", "Banks|SBR"} << QStringList{"Banks"} << QStringList{"SBR"} << "SBR";
    QTest::newRow("last-entry-unchecks-category")
        << QStringList{"DBK"}
        << QStringList{"check:Banks|SBR", "uncheck:Banks|DBK", "uncheck:Banks|SBR"}
        << QStringList() << QStringList() << QStringList() << "All";
    QTest::newRow("category-without-entries-hands-back-nothing")
        << QStringList() << QStringList{"check:Empty"}
        << QStringList{"Empty"} << QStringList{"Empty"} << QStringList() << "All";
    QTest::newRow("clear-all")
        << QStringList{"DBK", "BLK"} << QStringList{"ID_ClearAll"}
        << QStringList() << QStringList() << QStringList() << "All";
    QTest::newRow("clear-category-clears-its-entries")
        << QStringList{"SBR", "BLK"} << QStringList{"ID_ClearCategory", "check:Funds|BLK"}
        << QStringList{"Funds", "Funds|BLK"} << QStringList{"Funds"} << QStringList{"BLK"} << "BLK";
}

void tst_TcidDialog::shouldFollowCheckRuleAndHandBackEntries()
{
    QFETCH(QStringList, bank);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, checked);
    QFETCH(QStringList, bold);
    QFETCH(QStringList, result);
    QFETCH(QString, caption);

    m_report->setProperty("Bank", bank);
    TcidDialog dialog(m_report.get());
    QString failed;
    QVERIFY2(play(dialog, steps, &failed), qPrintable(failed));
    QCOMPARE(checkedNodes(dialog.tree()), checked);
    QCOMPARE(boldNodes(dialog.tree()), bold);

    QSignalSpy quite(&dialog, &TcidDialog::Quite);
    dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(m_report->property("Bank").toStringList(), result);
    QCOMPARE(quite.size(), 1);
    QCOMPARE(quite.first().first().toString(), caption);
}

void tst_TcidDialog::cancelShouldLeaveReportUnchanged()
{
    m_report->setProperty("Bank", QStringList{"DBK"});
    TcidDialog dialog(m_report.get());
    QSignalSpy quite(&dialog, &TcidDialog::Quite);
    QString failed;
    QVERIFY2(play(dialog, {"check:Funds", "uncheck:Banks|DBK"}, &failed), qPrintable(failed));
    dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(m_report->property("Bank").toStringList(), QStringList{"DBK"});
    QVERIFY(quite.isEmpty());
}

void tst_TcidDialog::unreadableCategoriesShouldOfferOnlyCancel()
{
    // No session: the categories cannot be read. An empty tree must not be
    // accepted as "no counterparty", which would drop the report's selection.
    SessionContext::resetInstance();
    DirectoryProvider::resetInstance();
    m_report->setProperty("Bank", QStringList{"DBK"});
    TcidDialog dialog(m_report.get());
    QCOMPARE(dialog.tree()->topLevelItemCount(), 0);
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(!buttons->button(QDialogButtonBox::Ok)->isEnabled());
    QVERIFY(buttons->button(QDialogButtonBox::Cancel)->isEnabled());
    QCOMPARE(m_report->property("Bank").toStringList(), QStringList{"DBK"});
}

QTEST_MAIN(tst_TcidDialog)
#include "tst_tciddialog.moc"
