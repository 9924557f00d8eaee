#pragma once

#include "DataTypes.h"
#include "Parameter.h"
#include "ProcedureCatalog.h"
#include "Value.h"

#include <QHash>
#include <QList>
#include <QString>

namespace data {

/// The variables of one stored-procedure run, as every driver keeps them:
/// the declared parameters, and names a statement of the body assigns.
/// Keyed by the lower-case name, "@" included.
struct ProcedureVariable
{
    DataType type = DataType::Variant;
    Value value;
};
using ProcedureVariables = QHash<QString, ProcedureVariable>;

namespace ProcedureRun {

/// The variables a run starts with: each declared parameter a typed null,
/// filled with the caller's value converted to the declared type. A pure
/// output parameter starts null, so a value left from an earlier run of the
/// same Command is not fed back in.
ProcedureVariables startingVariables(const ProcedureDefinition &definition, const QList<Parameter> &request);

/// Gives the output parameters the variables' final values.
void fillOutputs(QList<Parameter> &parameters, const ProcedureVariables &variables);

} // namespace ProcedureRun

} // namespace data
