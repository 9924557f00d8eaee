#include "MarvoltHost.h"

#include "MarvoltVersion.h"

#include "CategoryDialog.h"
#include "MessageBoxSink.h"
#include "MessageService.h"
#include "SessionContext.h"

namespace MarvoltHost {

bool openTradingDatabase(const QString &databaseFile, const QString &userName, QString *error)
{
    QString quoted = databaseFile;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    SessionContext &session = SessionContext::instance();
    if (!session.OpenSession(QStringLiteral("Provider=SQLite;Data Source=\"") + quoted + QLatin1Char('"'))) {
        if (error)
            *error = session.lastError() ? session.lastError()->Description
                                         : QStringLiteral("the database cannot be opened");
        return false;
    }
    session.setCurrentUserName(userName);
    // The legend filter's category selection.
    CategoryDialog::install();
    return true;
}

void closeTradingDatabase()
{
    SessionContext::instance().CloseSession();
}

void showMessagesOver(QWidget *window)
{
    MessageService::instance().setSink(window ? std::make_unique<MessageBoxSink>(window) : nullptr);
}

QString libraryVersion()
{
    return QStringLiteral(MARVOLT_VERSION_STRING);
}

} // namespace MarvoltHost
