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
};

namespace {

struct RecordingSink final : MessageSink
{
    QStringList *shown;
    explicit RecordingSink(QStringList *s) : shown(s) {}
    void show(const QString &text) override { shown->append(text); }
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

QTEST_GUILESS_MAIN(TestMessageService)
#include "tst_message_service.moc"
