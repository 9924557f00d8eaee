#include "RateProgram.h"

#include "MarketRateProgram.h"

#include <QLoggingCategory>

namespace services {

Q_DECLARE_LOGGING_CATEGORY(lcRateProgram)

std::unique_ptr<RateProgram> startRateProgram(const QString &connectionString, QObject *parent)
{
    data::ErrorPtr error;
    std::unique_ptr<MarketRateProgram> program = MarketRateProgram::start(connectionString, parent, &error);
    if (!program)
        qCInfo(lcRateProgram) << "the rate program cannot start:" << (error ? error->Description : QString());
    return program;
}

} // namespace services
