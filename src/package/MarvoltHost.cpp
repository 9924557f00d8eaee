#include "MarvoltHost.h"

#include "MarvoltVersion.h"

#include "CategoryDialog.h"
#include "ConnectionString.h"
#include "MessageBoxSink.h"
#include "MessageService.h"
#include "SessionContext.h"

namespace MarvoltHost {

bool openTradingDatabase(const QString &databaseFile, const QString &userName, QString *error)
{
    return openTradingConnection(data::ConnectionString::forSqliteFile(databaseFile), userName, error);
}

bool openTradingConnection(const QString &connectionString, const QString &userName, QString *error)
{
    SessionContext &session = SessionContext::instance();
    if (!session.OpenSession(connectionString)) {
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
