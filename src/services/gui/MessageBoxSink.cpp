#include "MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

void MessageBoxSink::show(const QString &text)
{
    // Without a widgets application (a console tool that installed this sink
    // by mistake) a message box cannot be shown; the message is recorded and
    // logged by the service all the same.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    QWidget *parent = m_parent ? m_parent.data() : QApplication::activeWindow();
    QMessageBox::critical(parent, QStringLiteral("Marvolt"), text);
}

bool MessageBoxSink::confirm(const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return true;
    QWidget *parent = m_parent ? m_parent.data() : QApplication::activeWindow();
    return QMessageBox::warning(parent, QStringLiteral("Marvolt"), text, QMessageBox::Ok | QMessageBox::Cancel,
                                QMessageBox::Ok)
           == QMessageBox::Ok;
}
