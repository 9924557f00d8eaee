#include "MessageService.h"

#include <QLoggingCategory>
#include <QTest>

class TestMessageService final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { MessageService::resetInstance(); }

    void withoutSinkMessagesAreRecorded();
    void sinkShowsEveryMessage();
    void recordKeepsOnlyTheNewest();
    void questionGoesToTheSinkAndIsNoMessage_data();
    void questionGoesToTheSinkAndIsNoMessage();
};

namespace {

struct RecordingSink final : MessageSink
{
    QStringList *shown;
    explicit RecordingSink(QStringList *s) : shown(s) {}
    void show(const QString &text) override { shown->append(text); }
};

struct AnsweringSink final : MessageSink
{
    bool answer;
    QStringList *asked;
    AnsweringSink(bool a, QStringList *q) : answer(a), asked(q) {}
    void show(const QString &) override {}
    bool confirm(const QString &text) override
    {
        asked->append(text);
        return answer;
    }
};

} // namespace

void TestMessageService::withoutSinkMessagesAreRecorded()
{
    MessageService &service = MessageService::instance();
    QVERIFY(!service.hasSink());
    QCOMPARE(service.lastMessage(), QString());
    QTest::ignoreMessage(QtWarningMsg, "Error Return Information. Error number: 5\rlocked");
    service.ShowError(QStringLiteral("Error Return Information. Error number: 5\rlocked"));
    QCOMPARE(service.lastMessage(), QStringLiteral("Error Return Information. Error number: 5\rlocked"));
    service.clearMessages();
    QCOMPARE(service.messages(), QStringList());
}

void TestMessageService::sinkShowsEveryMessage()
{
    QStringList shown;
    MessageService &service = MessageService::instance();
    service.setSink(std::make_unique<RecordingSink>(&shown));
    QTest::ignoreMessage(QtWarningMsg, "one");
    QTest::ignoreMessage(QtWarningMsg, "two");
    service.ShowError(QStringLiteral("one"));
    service.ShowError(QStringLiteral("two"));
    QCOMPARE(shown, (QStringList{"one", "two"}));
    QCOMPARE(service.messages(), shown);
}

void TestMessageService::recordKeepsOnlyTheNewest()
{
    MessageService &service = MessageService::instance();
    // Recording must not depend on the log: switch the category off meanwhile.
    QLoggingCategory::setFilterRules(QStringLiteral("marvolt.message.warning=false"));
    for (int i = 0; i < MessageService::maxRecorded() + 5; ++i)
        service.ShowError(QString::number(i));
    QLoggingCategory::setFilterRules(QString());
    const QStringList messages = service.messages();
    QCOMPARE(messages.size(), MessageService::maxRecorded());
    QCOMPARE(messages.constFirst(), QStringLiteral("5"));
    QCOMPARE(service.lastMessage(), QString::number(MessageService::maxRecorded() + 4));
}

void TestMessageService::questionGoesToTheSinkAndIsNoMessage_data()
{
    QTest::addColumn<int>("sink");   // 0 none, 1 answers OK, 2 answers Cancel, 3 cannot ask
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("asked");
    QTest::newRow("nobody-to-ask-goes-on") << 0 << true << 0;
    QTest::newRow("ok") << 1 << true << 1;
    QTest::newRow("cancel") << 2 << false << 1;
    QTest::newRow("sink-that-only-shows-goes-on") << 3 << true << 0;
}

void TestMessageService::questionGoesToTheSinkAndIsNoMessage()
{
    QFETCH(int, sink);
    QFETCH(bool, answer);
    QFETCH(int, asked);
    QStringList questions;
    MessageService &service = MessageService::instance();
    if (sink == 1 || sink == 2)
        service.setSink(std::make_unique<AnsweringSink>(sink == 1, &questions));
    else if (sink == 3)
        service.setSink(std::make_unique<RecordingSink>(&questions));
    QCOMPARE(service.Confirm(QStringLiteral("Continue?")), answer);
    QCOMPARE(questions.size(), asked);
    // A question reports no failure: the runner fails on any recorded message.
    QCOMPARE(service.messages(), QStringList());
}

QTEST_GUILESS_MAIN(TestMessageService)
#include "tst_message_service.moc"
