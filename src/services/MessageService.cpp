#include "MessageService.h"

#include <QLoggingCategory>
#include <QMutexLocker>

Q_LOGGING_CATEGORY(lcMessage, "marvolt.message")
// Questions answered without asking are no failure: quiet unless asked for
// (QT_LOGGING_RULES="marvolt.message.question.info=true").
Q_LOGGING_CATEGORY(lcQuestion, "marvolt.message.question", QtWarningMsg)

namespace {

QMutex g_instanceMutex;
std::unique_ptr<MessageService> g_instance;

} // namespace

MessageService &MessageService::instance()
{
    QMutexLocker lock(&g_instanceMutex);
    if (!g_instance)
        g_instance = std::make_unique<MessageService>();
    return *g_instance;
}

void MessageService::setInstance(std::unique_ptr<MessageService> service)
{
    QMutexLocker lock(&g_instanceMutex);
    g_instance = std::move(service);
}

void MessageService::ShowError(const QString &text)
{
    qCWarning(lcMessage).noquote() << text;
    MessageSink *sink = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        m_messages.append(text);
        if (m_messages.size() > maxRecorded())
            m_messages.removeFirst();
        sink = m_sink.get();
    }
    // Shown outside the lock: a message box runs a nested event loop, during
    // which another message may arrive.
    if (sink)
        sink->show(text);
}

bool MessageService::Confirm(const QString &text)
{
    MessageSink *sink = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        sink = m_sink.get();
    }
    if (!sink) {
        qCInfo(lcQuestion).noquote() << "Answered OK, nobody to ask:" << text;
        return true;
    }
    return sink->confirm(text);
}

void MessageService::setSink(std::unique_ptr<MessageSink> sink)
{
    QMutexLocker lock(&m_mutex);
    m_sink = std::move(sink);
}

bool MessageService::hasSink() const
{
    QMutexLocker lock(&m_mutex);
    return m_sink != nullptr;
}

QStringList MessageService::messages() const
{
    QMutexLocker lock(&m_mutex);
    return m_messages;
}

QString MessageService::lastMessage() const
{
    QMutexLocker lock(&m_mutex);
    return m_messages.isEmpty() ? QString() : m_messages.constLast();
}

void MessageService::clearMessages()
{
    QMutexLocker lock(&m_mutex);
    m_messages.clear();
}
