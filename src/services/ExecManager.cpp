#include "ExecManager.h"

#include <QThread>

#include <algorithm>

ExecManager::ExecManager(const QString &connectionString, QObject *parent)
    : QObject(parent), m_connectionString(connectionString)
{
    // Runs wait on the database rather than use the processor, so the pool
    // is not held to the processor count: every run, and every stopped run
    // ending its statement, has a thread of its own, and two names never
    // queue behind each other.
    m_workers.setMaxThreadCount(std::max(QThread::idealThreadCount(), 64));
}

ExecManager::~ExecManager()
{
    m_closing = true;
    for (ExecCommand *command : findChildren<ExecCommand *>(Qt::FindDirectChildrenOnly))
        command->stop();
    // Interrupted, the statements end within milliseconds; the completions
    // they post to this object are dropped with it.
    m_workers.waitForDone();
}

ExecCommand *ExecManager::GetCommand(const QString &name)
{
    const QString k = key(name);
    if (k.isEmpty())
        return nullptr;
    QPointer<ExecCommand> &command = m_commands[k];
    if (!command)
        command = new ExecCommand(name, this);
    return command;
}

void ExecManager::ReleaseCommand(const QString &name)
{
    const QPointer<ExecCommand> command = m_commands.take(key(name));
    if (!command)
        return;
    command->stop();
    command->deleteLater();
}
