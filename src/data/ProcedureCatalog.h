#pragma once

#include "DataTypes.h"
#include "Error.h"
#include "Parameter.h"

#include <QList>
#include <QString>

#include <optional>

namespace data {

class Connection;

/// A declared column of a procedure's result set: the exact field type a
/// computed column gets.
struct ProcedureColumn
{
    QString name;
    DataType type = DataType::Variant;
};

/// One stored procedure: its name, declared parameters, declared result
/// columns and its body of SQL statements.
struct ProcedureDefinition
{
    QString name;
    QList<Parameter> parameters;                 ///< in call order, null values
    QList<QList<ProcedureColumn>> resultSets;    ///< index 0 is result set 1; may be shorter than the results
    QString body;
};

/// The catalog of stored procedures that the trading database keeps in the
/// tables sys_procedures, sys_procedure_params and sys_procedure_columns.
///
/// A procedure is written as a script whose header comment declares it:
///
///     -- procedure: cnt_ProfitLoss
///     -- param: @UserName VarWChar 50
///     -- param: @TotalCom Currency output
///     -- result 1: Ccy Integer, ValDate Date, Volume Currency
///     SELECT ... ;
///
/// The declarations are the leading comment lines "-- procedure:", "-- param:"
/// and "-- result N:" (a long column list may go on in further "-- result N:"
/// lines). The first other comment line ends them; comment text after it is
/// free prose, but a lower-case declaration line there is an error, as is a
/// misspelt key ("-- parm:") among the declarations. The body is everything
/// from the first line that is neither a comment nor blank. Types are DataType names
/// (SmallInt, Integer, BigInt, Boolean, Double, Currency, Date, BStr, VarChar,
/// VarWChar, Variant) and directions input (default), output, inputoutput,
/// all without regard to case.
///
/// Errors are values: parse() returns nothing and install() false, with an
/// Error (InvalidArgument for a malformed script, naming the line) in *error.
class ProcedureCatalog final
{
public:
    ProcedureCatalog() = delete;

    /// Reads one procedure script.
    static std::optional<ProcedureDefinition> parse(const QString &text, ErrorPtr *error = nullptr);

    /// Creates the three catalog tables when they are missing.
    static bool createTables(Connection &connection, ErrorPtr *error = nullptr);

    /// Writes the procedure into the catalog, replacing one of the same name
    /// (compared without regard to case), in one transaction: on failure the
    /// catalog is left as it was. Creates the catalog tables when missing.
    static bool install(Connection &connection, const ProcedureDefinition &procedure,
                        ErrorPtr *error = nullptr);
    /// parse() then install().
    static bool installScript(Connection &connection, const QString &text, ErrorPtr *error = nullptr);
    /// Reads a UTF-8 script file and installs it; a parse error names the file.
    static bool installFile(Connection &connection, const QString &path, ErrorPtr *error = nullptr);

    /// The DataType whose enumerator name is name (case-insensitive), or nothing.
    static std::optional<DataType> typeFromName(QStringView name);
    /// The enumerator name of a DataType, e.g. "VarWChar"; "" for an unknown value.
    static QString typeName(DataType type);
};

} // namespace data
