#pragma once

#include "marvolt_export.h"

#include <QString>

class QWidget;

/// What a host application sets up once before it shows a Marvolt control:
/// the trading database every control of the process reads, the working
/// user, and where the control's messages go. Everything here runs on the
/// user-interface thread.
///
/// The controls share one session: opening another database replaces it for
/// every control, so a host opens it before it creates its controls and
/// closes it after they are gone.
namespace MarvoltHost {

/// Opens the SQLite trading database \a databaseFile for the controls of this
/// process and makes \a userName the working user (the name the stored
/// filters and query selections are kept under). The database must hold the
/// trading schema and the reports' procedures. False, with the reason in
/// \a error when given, when the file cannot be opened as one.
MARVOLT_EXPORT bool openTradingDatabase(const QString &databaseFile, const QString &userName,
                                        QString *error = nullptr);
/// As openTradingDatabase(), on the database a connection string names
/// ("Provider=SQLite;Data Source=...;Busy Timeout=2000").
MARVOLT_EXPORT bool openTradingConnection(const QString &connectionString, const QString &userName,
                                          QString *error = nullptr);
/// Closes the session's database; the controls' next runs fail until one is opened again.
MARVOLT_EXPORT void closeTradingDatabase();

/// Shows the control's messages (failed queries, the questions it asks) as
/// message boxes over \a window; null keeps them without showing any, as a
/// headless host needs. The window must outlive the setting or be replaced
/// by null before it goes.
MARVOLT_EXPORT void showMessagesOver(QWidget *window);

/// The version of the library the host runs with, such as "0.2"; compare
/// with MARVOLT_VERSION_STRING (MarvoltVersion.h), the headers' version.
MARVOLT_EXPORT QString libraryVersion();

} // namespace MarvoltHost
