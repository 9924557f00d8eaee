#pragma once

#include <QString>
#include <QtGlobal>

/// Where MessageService shows a message to the user. The host with widgets
/// installs one that opens a message box; without a sink the messages are
/// only recorded and logged (tests, the headless runner).
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    /// Shows text to the user. Called on the thread that reported the message
    /// (the user-interface thread in the control).
    virtual void show(const QString &text) = 0;
    /// Asks the user to go on or not (OK or Cancel); true for OK. A sink
    /// that cannot ask goes on.
    virtual bool confirm(const QString &text)
    {
        Q_UNUSED(text)
        return true;
    }
};
