#pragma once

#include <QString>

namespace db {

/// Turns the shared SQL of the trading database (written for SQLite, see
/// db/README.md "Portability") into PostgreSQL's dialect, so that the schema
/// and the procedures have one source for both databases.
///
/// - Column and cast types: INTEGER becomes BIGINT (money is whole
///   ten-thousandths and needs 64 bits), REAL becomes DOUBLE PRECISION.
/// - date(), julianday() and round() call the functions of the same meaning
///   that the PostgreSQL schema defines (sqlite_date ...); instr() becomes
///   strpos() and char() chr() (the shared scripts use one-argument char()).
/// - SQLite's planner hints go: a unary "+" before a column, and the ON of
///   a CROSS JOIN makes it a JOIN. The schema name "temp." is "pg_temp.".
/// - "a IS NOT b" (b not NULL) is "a IS DISTINCT FROM b".
/// - CREATE TRIGGER statements are left out: the PostgreSQL schema scripts
///   define those checks as trigger functions.
///
/// Words inside quoted strings, quoted names and comments are left alone.
namespace PostgresDialect {

QString translate(const QString &sqliteScript);

/// translate() for the schema scripts, whose text columns also compare as
/// SQLite compares them, byte by byte (COLLATE "C"), whatever the database's
/// locale: the dates are ISO texts and the reports sort names.
QString translateSchema(const QString &sqliteScript);

} // namespace PostgresDialect

} // namespace db
