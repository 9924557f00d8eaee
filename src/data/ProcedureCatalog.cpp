#include "ProcedureCatalog.h"

#include "Command.h"
#include "Connection.h"
#include "Driver.h"

#include <QFile>
#include <QRegularExpression>

#include <array>

namespace data {

namespace {

const QString kSource = QStringLiteral("ProcedureCatalog");

struct TypeName
{
    DataType type;
    const char16_t *name;
};

constexpr std::array<TypeName, 11> kTypeNames{{
    {DataType::SmallInt, u"SmallInt"},
    {DataType::Integer, u"Integer"},
    {DataType::BigInt, u"BigInt"},
    {DataType::Boolean, u"Boolean"},
    {DataType::Double, u"Double"},
    {DataType::Currency, u"Currency"},
    {DataType::Date, u"Date"},
    {DataType::BStr, u"BStr"},
    {DataType::VarChar, u"VarChar"},
    {DataType::VarWChar, u"VarWChar"},
    {DataType::Variant, u"Variant"},
}};

void setParseError(ErrorPtr *error, int line, const QString &message)
{
    if (error)
        *error = makeError(Error::InvalidArgument,
                           QStringLiteral("Procedure script, line %1: %2").arg(line).arg(message),
                           kSource);
}

std::optional<int> directionFromWord(const QString &word)
{
    const QString w = word.toLower();
    if (w == u"input" || w == u"in")
        return adParamInput;
    if (w == u"output" || w == u"out")
        return adParamOutput;
    if (w == u"inputoutput" || w == u"inout")
        return adParamInputOutput;
    return std::nullopt;
}

// "@Name Type [size] [direction]" (size and direction in either order).
bool parseParamLine(const QString &text, int line, QList<Parameter> &params, ErrorPtr *error)
{
    const QStringList tokens = text.split(QRegularExpression(QStringLiteral("\\s+")),
                                          Qt::SkipEmptyParts);
    if (tokens.size() < 2) {
        setParseError(error, line, QStringLiteral("expected '@Name Type [size] [direction]'"));
        return false;
    }
    const QString &name = tokens[0];
    static const QRegularExpression validName(QStringLiteral("^@[A-Za-z_][A-Za-z0-9_]*$"));
    if (!validName.match(name).hasMatch()) {
        setParseError(error, line,
                      QStringLiteral("parameter name '%1' must be '@' followed by a letter or "
                                     "'_' and letters, digits or '_'")
                          .arg(name));
        return false;
    }
    for (const Parameter &p : params) {
        if (p.Name().compare(name, Qt::CaseInsensitive) == 0) {
            setParseError(error, line, QStringLiteral("parameter %1 is declared twice").arg(name));
            return false;
        }
    }
    const auto type = ProcedureCatalog::typeFromName(tokens[1]);
    if (!type) {
        setParseError(error, line, QStringLiteral("unknown type '%1' of %2").arg(tokens[1], name));
        return false;
    }
    int size = 0;
    int direction = adParamInput;
    bool haveSize = false;
    bool haveDirection = false;
    for (qsizetype i = 2; i < tokens.size(); ++i) {
        bool isNumber = false;
        const int n = tokens[i].toInt(&isNumber);
        if (isNumber && !haveSize && n >= 0) {
            size = n;
            haveSize = true;
            continue;
        }
        const auto dir = directionFromWord(tokens[i]);
        if (dir && !haveDirection) {
            direction = *dir;
            haveDirection = true;
            continue;
        }
        setParseError(error, line,
                      QStringLiteral("unexpected '%1' after the type of %2 (expected a size or "
                                     "input, output, inputoutput)")
                          .arg(tokens[i], name));
        return false;
    }
    params.append(Parameter(name, *type, direction, size));
    return true;
}

// "Name Type, Name Type, ..." ; a name may contain blanks, the type is the last word.
bool parseResultLine(const QString &text, int line, QList<ProcedureColumn> &columns,
                     ErrorPtr *error)
{
    const QStringList items = text.split(u',');
    for (const QString &item : items) {
        const QString trimmed = item.trimmed();
        const qsizetype blank = trimmed.lastIndexOf(QRegularExpression(QStringLiteral("\\s")));
        if (trimmed.isEmpty() || blank < 0) {
            setParseError(error, line,
                          QStringLiteral("expected 'Column Type' but found '%1'").arg(trimmed));
            return false;
        }
        const QString name = trimmed.left(blank).trimmed();
        const QString typeText = trimmed.mid(blank + 1);
        const auto type = ProcedureCatalog::typeFromName(typeText);
        if (!type) {
            setParseError(error, line,
                          QStringLiteral("unknown type '%1' of column %2").arg(typeText, name));
            return false;
        }
        for (const ProcedureColumn &c : columns) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) {
                setParseError(error, line, QStringLiteral("column %1 is declared twice").arg(name));
                return false;
            }
        }
        columns.append(ProcedureColumn{name, *type});
    }
    return true;
}

// Runs SQL with bound parameters on the connection; false and *error on failure.
bool run(Connection &connection, const QString &sql, const QList<Parameter> &params,
         ErrorPtr *error)
{
    Command command;
    command.setActiveConnection(&connection);
    command.setCommandType(adCmdText);
    command.setCommandText(sql);
    command.setCommandTimeout(0);
    for (const Parameter &p : params)
        command.Parameters().Append(p);
    command.Execute();
    if (command.lastError()) {
        if (error)
            *error = command.lastError();
        return false;
    }
    return true;
}

Parameter textParam(const QString &name, const QString &value)
{
    return Parameter(name, DataType::VarWChar, adParamInput, 0, Value(value));
}

Parameter intParam(const QString &name, qint64 value)
{
    return Parameter(name, DataType::BigInt, adParamInput, 0, Value(value));
}

} // namespace

std::optional<DataType> ProcedureCatalog::typeFromName(QStringView name)
{
    for (const TypeName &t : kTypeNames) {
        if (name.compare(QStringView(t.name), Qt::CaseInsensitive) == 0)
            return t.type;
    }
    return std::nullopt;
}

QString ProcedureCatalog::typeName(DataType type)
{
    for (const TypeName &t : kTypeNames) {
        if (t.type == type)
            return QString::fromUtf16(t.name);
    }
    return {};
}

std::optional<ProcedureDefinition> ProcedureCatalog::parse(const QString &text, ErrorPtr *error)
{
    static const QRegularExpression keyLine(
        QStringLiteral("^--\\s*([A-Za-z_]+)(?:\\s+(\\S+))?\\s*:(.*)$"));

    ProcedureDefinition def;
    const QStringList lines = text.split(u'\n');
    qsizetype bodyStart = lines.size();
    bool declaring = true;   // still in the leading run of declaration lines
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i) + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (!line.startsWith(u"--")) {
            bodyStart = i;
            break;
        }
        const auto m = keyLine.match(line);
        const QString key = m.hasMatch() ? m.captured(1).toLower() : QString();
        const bool isKey = key == u"procedure" || key == u"param" || key == u"result";
        if (!declaring) {
            // Prose may say "Result 1: ..."; but a declaration written in the
            // declaration style after the prose would be silently lost.
            if (isKey && m.captured(1) == key) {
                setParseError(error, lineNo,
                              QStringLiteral("declarations must come before the free comment "
                                             "text: '%1'")
                                  .arg(line));
                return std::nullopt;
            }
            continue;
        }
        if (!isKey) {
            if (key.startsWith(u"proc") || key.startsWith(u"par") || key.startsWith(u"resul")) {
                setParseError(error, lineNo,
                              QStringLiteral("unknown declaration '%1' (expected procedure:, "
                                             "param: or result N:)")
                                  .arg(line));
                return std::nullopt;
            }
            declaring = false;   // free comment text from here on
            continue;
        }
        const QString qualifier = m.captured(2);
        const QString rest = m.captured(3).trimmed();
        if (key == u"procedure" && qualifier.isEmpty()) {
            if (!def.name.isEmpty()) {
                setParseError(error, lineNo, QStringLiteral("a second 'procedure:' line"));
                return std::nullopt;
            }
            static const QRegularExpression validName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
            if (!validName.match(rest).hasMatch()) {
                setParseError(error, lineNo,
                              QStringLiteral("procedure name '%1' must be letters, digits and '_'")
                                  .arg(rest));
                return std::nullopt;
            }
            def.name = rest;
        } else if (key == u"param" && qualifier.isEmpty()) {
            if (!parseParamLine(rest, lineNo, def.parameters, error))
                return std::nullopt;
        } else if (key == u"result") {
            bool ok = false;
            const int number = qualifier.toInt(&ok);
            if (!ok || number < 1 || number > 100) {
                setParseError(error, lineNo,
                              QStringLiteral("'result' needs a result set number from 1, as in "
                                             "'-- result 1: Name Type, ...'"));
                return std::nullopt;
            }
            while (def.resultSets.size() < number)
                def.resultSets.append(QList<ProcedureColumn>());
            // A long column list may continue on further lines of the same number.
            if (!parseResultLine(rest, lineNo, def.resultSets[number - 1], error))
                return std::nullopt;
        } else {
            setParseError(error, lineNo, QStringLiteral("malformed declaration '%1'").arg(line));
            return std::nullopt;
        }
    }
    if (def.name.isEmpty()) {
        setParseError(error, 1, QStringLiteral("the header has no '-- procedure: <name>' line"));
        return std::nullopt;
    }
    def.body = lines.mid(bodyStart).join(u'\n').trimmed();
    if (def.body.isEmpty()) {
        setParseError(error, int(lines.size()),
                      QStringLiteral("procedure %1 has no SQL statements").arg(def.name));
        return std::nullopt;
    }
    return def;
}

bool ProcedureCatalog::createTables(Connection &connection, ErrorPtr *error)
{
    // Names compare without regard to case: SQLite's NOCASE collation, and
    // lower() in the statements, which every database has.
    static const QString ddl = QStringLiteral(
        "CREATE TABLE IF NOT EXISTS sys_procedures("
        " name TEXT PRIMARY KEY%1,"
        " body TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS sys_procedure_params("
        " procedure TEXT NOT NULL%1,"
        " ordinal INTEGER NOT NULL,"
        " name TEXT NOT NULL,"
        " type INTEGER NOT NULL,"
        " direction INTEGER NOT NULL DEFAULT 1,"
        " size INTEGER NOT NULL DEFAULT 0,"
        " PRIMARY KEY(procedure, ordinal));"
        "CREATE TABLE IF NOT EXISTS sys_procedure_columns("
        " procedure TEXT NOT NULL%1,"
        " result_set INTEGER NOT NULL,"
        " ordinal INTEGER NOT NULL,"
        " name TEXT NOT NULL,"
        " type INTEGER NOT NULL,"
        " PRIMARY KEY(procedure, result_set, ordinal));");
    const bool sqlite = !connection.driver() || connection.driver()->providerName() == QLatin1String("SQLite");
    return run(connection, ddl.arg(sqlite ? QStringLiteral(" COLLATE NOCASE") : QString()), {}, error);
}

bool ProcedureCatalog::install(Connection &connection, const ProcedureDefinition &procedure,
                               ErrorPtr *error)
{
    if (procedure.name.trimmed().isEmpty() || procedure.body.trimmed().isEmpty()) {
        if (error)
            *error = makeError(Error::InvalidArgument,
                               QStringLiteral("A procedure needs a name and a body"), kSource);
        return false;
    }
    // A savepoint rather than BEGIN, so that install also works inside a
    // transaction the caller has opened (it then commits with the caller's).
    if (!run(connection, QStringLiteral("SAVEPOINT marvolt_install"), {}, error))
        return false;

    const Parameter nameParam = textParam(QStringLiteral("@procedure"), procedure.name);
    bool ok = createTables(connection, error)
              && run(connection,
                     QStringLiteral("DELETE FROM sys_procedure_params WHERE lower(procedure) = lower(@procedure);"
                                    "DELETE FROM sys_procedure_columns WHERE lower(procedure) = lower(@procedure);"
                                    "DELETE FROM sys_procedures WHERE lower(name) = lower(@procedure);"),
                     {nameParam}, error)
              && run(connection,
                     QStringLiteral("INSERT INTO sys_procedures(name, body) VALUES(@procedure, @body)"),
                     {nameParam, textParam(QStringLiteral("@body"), procedure.body)}, error);

    for (qsizetype i = 0; ok && i < procedure.parameters.size(); ++i) {
        const Parameter &p = procedure.parameters[i];
        ok = run(connection,
                 QStringLiteral("INSERT INTO sys_procedure_params"
                                "(procedure, ordinal, name, type, direction, size)"
                                " VALUES(@procedure, @ordinal, @name, @type, @direction, @size)"),
                 {nameParam, intParam(QStringLiteral("@ordinal"), i + 1),
                  textParam(QStringLiteral("@name"), p.Name()),
                  intParam(QStringLiteral("@type"), int(p.Type())),
                  intParam(QStringLiteral("@direction"), p.Direction()),
                  intParam(QStringLiteral("@size"), p.Size())},
                 error);
    }
    for (qsizetype r = 0; ok && r < procedure.resultSets.size(); ++r) {
        const QList<ProcedureColumn> &columns = procedure.resultSets[r];
        for (qsizetype c = 0; ok && c < columns.size(); ++c) {
            ok = run(connection,
                     QStringLiteral("INSERT INTO sys_procedure_columns"
                                    "(procedure, result_set, ordinal, name, type)"
                                    " VALUES(@procedure, @result_set, @ordinal, @name, @type)"),
                     {nameParam, intParam(QStringLiteral("@result_set"), r + 1),
                      intParam(QStringLiteral("@ordinal"), c + 1),
                      textParam(QStringLiteral("@name"), columns[c].name),
                      intParam(QStringLiteral("@type"), int(columns[c].type))},
                     error);
        }
    }

    if (ok)
        return run(connection, QStringLiteral("RELEASE marvolt_install"), {}, error);
    // Keep the first error; the rollback's own outcome does not change it.
    run(connection, QStringLiteral("ROLLBACK TO marvolt_install; RELEASE marvolt_install"), {},
        nullptr);
    return false;
}

bool ProcedureCatalog::installScript(Connection &connection, const QString &text, ErrorPtr *error)
{
    const auto def = parse(text, error);
    return def && install(connection, *def, error);
}

bool ProcedureCatalog::installFile(Connection &connection, const QString &path, ErrorPtr *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = makeError(Error::Unspecified,
                               QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()),
                               kSource);
        return false;
    }
    const auto def = parse(QString::fromUtf8(file.readAll()), error);
    if (!def) {
        if (error && *error)
            *error = makeError((*error)->Number, path + QStringLiteral(": ") + (*error)->Description,
                               kSource);
        return false;
    }
    return install(connection, *def, error);
}

} // namespace data
