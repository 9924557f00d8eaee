#pragma once

#include <QString>

namespace db {

/// Writes a trading database into an empty PostgreSQL database: the schema
/// in PostgreSQL's dialect, the rows of every table of a trading database
/// file loaded with COPY, then the indexes and the procedures. The file is
/// the one source of the rows (the demo generator writes it), so both
/// databases hold the same deals.
///
/// Everything runs in one transaction: on failure the PostgreSQL database is
/// left as it was, and *error says which step failed.
namespace PostgresCopy {

bool copyFile(const QString &sqliteFile, const QString &postgresConnectionString, QString *error);

} // namespace PostgresCopy

} // namespace db
