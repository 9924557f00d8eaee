#include "ProcedureVariables.h"

namespace data::ProcedureRun {

ProcedureVariables startingVariables(const ProcedureDefinition &definition, const QList<Parameter> &request)
{
    ProcedureVariables variables;
    for (const Parameter &p : definition.parameters)
        variables.insert(p.Name().toLower(), {p.Type(), Value::null(p.Type())});
    for (const Parameter &p : request) {
        const QString key = p.Name().toLower();
        const auto it = variables.constFind(key);
        const DataType type = it != variables.cend() ? it->type : p.Type();
        const Value value = p.Direction() == adParamOutput || p.value().isNull()
                                ? Value::null(type)
                                : (type == DataType::Variant ? p.value() : p.value().convertedTo(type));
        variables.insert(key, {type, value});
    }
    return variables;
}

void fillOutputs(QList<Parameter> &parameters, const ProcedureVariables &variables)
{
    for (Parameter &p : parameters) {
        const int direction = p.Direction();
        if (direction != adParamOutput && direction != adParamInputOutput && direction != adParamReturnValue)
            continue;
        const auto it = variables.constFind(p.Name().toLower());
        if (it != variables.cend())
            p.setValue(it->value);
    }
}

} // namespace data::ProcedureRun
