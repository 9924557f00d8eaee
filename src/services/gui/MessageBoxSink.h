#pragma once

#include "MessageSink.h"

#include <QPointer>
#include <QWidget>

/// The message sink of a host with widgets: shows each message in a modal
/// critical message box over the given window (or the active window), and
/// asks its questions in an OK/Cancel warning box.
/// Install it with MessageService::instance().setSink(...) at start-up.
class MessageBoxSink final : public MessageSink
{
public:
    /// parent may be null; a parent destroyed later is simply not used.
    explicit MessageBoxSink(QWidget *parent = nullptr) : m_parent(parent) {}

    void show(const QString &text) override;
    /// An OK/Cancel warning box; without a widgets application, OK.
    bool confirm(const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};
