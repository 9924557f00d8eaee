#pragma once

#include "MessageSink.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

/// Shows the error texts the control has for the user, such as a report query
/// that failed on the server ("Error Return Information. Error number: ...").
///
/// Every message is logged (category "marvolt.message") and kept in a short
/// record, so that tests and the headless runner (which prints the last one)
/// can read it; when a MessageSink is installed it is also shown through it.
/// The service itself needs no widgets: the host installs a message-box sink.
///
/// One instance per process, created on first use; tests may replace or reset
/// it. Thread-safe.
class MessageService final
{
public:
    MessageService() = default;
    MessageService(const MessageService &) = delete;
    MessageService &operator=(const MessageService &) = delete;

    /// The process-wide service, created on first use.
    static MessageService &instance();
    /// Replaces the process-wide service (null: a fresh one is created on the
    /// next instance()). References taken earlier become dangling: only for
    /// tests and start-up, never while a report is running.
    static void setInstance(std::unique_ptr<MessageService> service);
    static void resetInstance() { setInstance(nullptr); }

    /// Records, logs and shows text.
    void ShowError(const QString &text);

    /// Asks the user whether to go on (OK/Cancel) through the sink; true for
    /// OK. Without a sink (tests, the headless runner: nobody to ask) the
    /// question is logged and answered OK. Questions are not recorded with
    /// the messages: they report no failure.
    bool Confirm(const QString &text);

    /// Installs the sink that shows messages (null: record and log only).
    /// The service owns it.
    void setSink(std::unique_ptr<MessageSink> sink);
    bool hasSink() const;

    /// The messages since the last clearMessages(), oldest first; only the
    /// newest maxRecorded() are kept, so a long-running host does not grow.
    QStringList messages() const;
    /// The newest message, or "" when there is none.
    QString lastMessage() const;
    void clearMessages();
    static constexpr int maxRecorded() { return 100; }

private:
    mutable QMutex m_mutex;
    std::unique_ptr<MessageSink> m_sink;
    QStringList m_messages;
};
