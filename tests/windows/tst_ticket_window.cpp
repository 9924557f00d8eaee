// The deal ticket window offscreen on a generated demo database: a deal of
// each type with its block, from Tickets and from Archive, a deal that is
// nowhere, the status colours (negative statuses included), a deal not
// confirmed yet and one confirmed a later day, the broker and conversation
// texts, the period names; Escape closes and the conversation
// panel and place come back the next time.

#include "../reports/ReportHost.h"

#include "TicketText.h"
#include "TicketWindow.h"

#include "Clock.h"
#include "Connection.h"
#include "DealVocabulary.h"
#include "MessageService.h"
#include "NumberFormat.h"
#include "RegistryAccess.h"
#include "SessionContext.h"
#include "WindowsColor.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate Today(2026, 12, 4);
const QString Root = QStringLiteral("Ticket Test");

struct Opened
{
    std::unique_ptr<frmTicket> window;
    bool shown = false;
    qint64 volume1 = 0;   ///< the deal's first amount as stored (ten-thousandths)
    int status = 0;
};

} // namespace

class TestTicketWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        RegistryAccess::instance().setPath(m_dir.filePath(QStringLiteral("registry.sqlite")));
        MessageService::setInstance(std::make_unique<MessageService>());
        QString error;
        const QString connectionString = reporttest::buildDemoDatabase(m_dir, 2500, Today, &error);
        QVERIFY2(!connectionString.isEmpty(), qPrintable(error));
        QVERIFY(SessionContext::instance().OpenSession(connectionString));
        SessionContext::instance().setValueFormat(QStringLiteral("#,##0.00"));
        SessionContext::instance().setRateFormat(QStringLiteral("0.0000"));
    }

    void cleanupTestCase() { SessionContext::resetInstance(); }

    void showsEachDealTypeWithItsBlock_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("block");
        QTest::newRow("spot") << "Tickets" << 2 << " Spot ";
        QTest::newRow("outright") << "Tickets" << 4 << " Outright ";
        QTest::newRow("swap") << "Tickets" << 8 << " Swap ";
        QTest::newRow("deposit") << "Tickets" << 16 << " Depo ";
        QTest::newRow("fra") << "Tickets" << 32 << " FRA ";
        QTest::newRow("archived-spot") << "Archive" << 2 << " Spot ";
        QTest::newRow("archived-outright") << "Archive" << 4 << " Outright ";
        QTest::newRow("archived-swap") << "Archive" << 8 << " Swap ";
        QTest::newRow("archived-deposit") << "Archive" << 16 << " Depo ";
        QTest::newRow("archived-fra") << "Archive" << 32 << " FRA ";
    }
    void showsEachDealTypeWithItsBlock()
    {
        QFETCH(QString, table);
        QFETCH(int, type);
        QFETCH(QString, block);
        const Opened opened = open(table, QStringLiteral("PureDealType = %1 AND Status = 3").arg(type));
        QVERIFY(opened.shown);
        frmTicket &window = *opened.window;
        QVERIFY(window.isVisible());
        QVERIFY(window.windowTitle().startsWith(QStringLiteral("Ticket # ")));
        QCOMPARE(window.windowTitle().endsWith(QStringLiteral(" (Archive)")), table == QLatin1String("Archive"));
        QCOMPARE(window.findChild<QGroupBox *>()->title(), block);
        // Every field of a whole deal reads: no error marks.
        QStringList texts;
        for (const QLabel *label : window.findChildren<QLabel *>())
            texts.append(label->text());
        QVERIFY2(!texts.contains(TicketText::ErrorText), qPrintable(texts.join(u'|')));
        // The amounts read as the deal tables keep them.
        const QString volume = NumberFormat(QStringLiteral("#,##0.00")).format(data::Currency::fromRaw(opened.volume1));
        QVERIFY2(texts.contains(volume), qPrintable(volume + QStringLiteral(" not in ") + texts.join(u'|')));
        window.reject();
    }

    void coloursEveryStatusAndMarksAMissingConfirmation_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<quint32>("color");
        QTest::addColumn<int>("errors");
        QTest::newRow("checked") << "Status = 3" << 0x0000FFu << 0;
        QTest::newRow("not-checked-but-confirmed") << "Status = 0 AND ConfTime IS NOT NULL" << 0x008000u << 0;
        QTest::newRow("not-confirmed") << "Status = 0 AND ConfTime IS NULL" << 0x008000u << 1;
        QTest::newRow("confirmed-a-later-day") << "date(ConfTime) > date(DealTime)" << 0x0000FFu << 0;
        QTest::newRow("deleted") << "Status = -1" << 0x80000008u << 0;
        QTest::newRow("faulty") << "Status = -2" << 0x80000008u << 0;
        QTest::newRow("service") << "Status = -4" << 0x80000008u << 0;
    }
    void coloursEveryStatusAndMarksAMissingConfirmation()
    {
        QFETCH(QString, which);
        QFETCH(quint32, color);
        QFETCH(int, errors);
        const Opened opened = open(QStringLiteral("Tickets"), which);
        QVERIFY(opened.shown);
        const auto *status = opened.window->findChild<QLabel *>(QStringLiteral("lblStatus"));
        QVERIFY(status);
        QCOMPARE(status->text(), DealVocabulary::StatusName(opened.status));
        QCOMPARE(status->palette().color(QPalette::WindowText),
                 widgets::WindowsColor::toQColor(color, status->palette()));
        int marks = 0;
        for (const QLabel *label : opened.window->findChildren<QLabel *>())
            marks += label->text() == TicketText::ErrorText ? 1 : 0;
        QCOMPARE(marks, errors);
        opened.window->reject();
    }

    void aDealWithoutItsConfirmerStillOpens()
    {
        const Opened opened = open(QStringLiteral("Tickets"), QStringLiteral("Status = 2"),
                                   QStringLiteral("ConfTime = NULL, ConfID = NULL"));
        QVERIFY(opened.shown);
        int marks = 0;
        for (const QLabel *label : opened.window->findChildren<QLabel *>())
            marks += label->text() == TicketText::ErrorText ? 1 : 0;
        QCOMPARE(marks, 2);
        opened.window->reject();
    }

    void aDealThatIsNowhereOpensNoWindow()
    {
        MessageService::instance().clearMessages();
        frmTicket window;
        QSignalSpy notFound(&window, &frmTicket::NotFound);
        window.Activate(QStringLiteral("EB01"), QDate(2020, 1, 1), 3, 1, nullptr, Root);
        QVERIFY(notFound.wait(5000));
        QVERIFY(!window.isVisible());
        QCOMPARE(MessageService::instance().lastMessage(), QStringLiteral("Ticket not Found!"));
    }

    void escapeClosesAndThePanelAndPlaceComeBack()
    {
        Opened first = open(QStringLiteral("Tickets"), QStringLiteral("Status = 3 AND Conversation IS NOT NULL"));
        QVERIFY(first.shown);
        QVERIFY(!first.window->DisplayConversation());
        first.window->findChild<QPushButton *>(QStringLiteral("btnConversation"))->click();
        QVERIFY(first.window->DisplayConversation());
        QCOMPARE(first.window->findChild<QPushButton *>(QStringLiteral("btnConversation"))->text(),
                 QStringLiteral("<< Conversation"));
        QVERIFY(first.window->findChild<QPlainTextEdit *>()->toPlainText() != QStringLiteral("No Conversation"));
        first.window->move(120, 80);
        QTest::keyClick(first.window.get(), Qt::Key_Escape);
        QVERIFY(!first.window->isVisible());

        const Opened second = open(QStringLiteral("Tickets"), QStringLiteral("Status = 3 AND Conversation IS NULL"));
        QVERIFY(second.shown);
        QVERIFY(second.window->DisplayConversation());
        QCOMPARE(second.window->pos(), QPoint(120, 80));
        QCOMPARE(second.window->findChild<QPlainTextEdit *>()->toPlainText(), QStringLiteral("No Conversation"));
        second.window->reject();
    }

    void codesReadAsTheDealersWriteThem()
    {
        QCOMPARE(TicketText::periodName(12), QStringLiteral("2 W"));
        QCOMPARE(TicketText::periodName(23), QStringLiteral("3 M"));
        QCOMPARE(TicketText::periodName(101), QStringLiteral("1 Y"));
        QCOMPARE(TicketText::periodName(4), QStringLiteral("Spot"));
        QCOMPARE(TicketText::periodName(QVariant()), TicketText::ErrorText);
        QCOMPARE(TicketText::periodName(90), QStringLiteral("????"));
        QCOMPARE(TicketText::brokerText(QVariant(), QVariant()), QStringLiteral("No Broker (No Broker)"));
        QCOMPARE(TicketText::brokerText(3, QStringLiteral("ICAP")), QStringLiteral("ICAP (3)"));
        QCOMPARE(TicketText::statusColor(9), 0x80000008u);
        QCOMPARE(TicketText::sideName(2, 2), QStringLiteral("Sell"));
        QCOMPARE(TicketText::sideName(16, 1), QStringLiteral("Take"));
    }

private:
    /// Opens the ticket of the last deal of `table` that `which` chooses,
    /// after applying `change` to it (in the demo database, for good).
    Opened open(const QString &table, const QString &which, const QString &change = {})
    {
        Opened opened;
        data::Connection connection;
        connection.setMode(data::adModeReadWrite);
        if (!connection.Open(SessionContext::instance().ConnectionString()))
            return opened;
        const QString chosen = QStringLiteral("(SELECT MAX(TradeID) FROM %1 WHERE %2)").arg(table, which);
        if (!change.isEmpty())
            connection.Execute(QStringLiteral("UPDATE %1 SET %2 WHERE TradeID = %3").arg(table, change, chosen));
        data::RecordsetPtr deal = connection.Execute(
            QStringLiteral("SELECT TCID, TicketNum, Status, date(DealTime) AS Day, Volume1 FROM %1 WHERE TradeID = %2")
                .arg(table, chosen));
        if (!deal || deal->Eof())
            return opened;
        opened.volume1 = deal->Fields(QStringLiteral("Volume1")).value().toInt64();
        opened.status = deal->Fields(QStringLiteral("Status")).value().toInt();
        opened.window = std::make_unique<frmTicket>();
        QSignalSpy shown(opened.window.get(), &frmTicket::Shown);
        opened.window->Activate(deal->Fields(QStringLiteral("TCID")).value().toString(),
                                QDate::fromString(deal->Fields(QStringLiteral("Day")).value().toString(), Qt::ISODate),
                                short(deal->Fields(QStringLiteral("Status")).value().toInt()),
                                int(deal->Fields(QStringLiteral("TicketNum")).value().toInt64()), nullptr, Root);
        opened.shown = shown.wait(5000);
        return opened;
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestTicketWindow)
#include "tst_ticket_window.moc"
