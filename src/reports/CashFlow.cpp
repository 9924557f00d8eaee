#include "CashFlow.h"

#include "CashFlowLogic.h"
#include "ExecCommand.h"
#include "ExecManager.h"
#include "FieldReader.h"
#include "ReportToolbar.h"
#include "FilterStore.h"
#include "SessionContext.h"

#include "Connection.h"
#include "Parameter.h"

namespace {

const QString ProcedureName = QStringLiteral("cnt_CashFlow");

constexpr StoredSwitch Switches[] = {
    {"With Rollower", "WithRollower"},
    {"With Netting", "WithNetting"},
};

const CashFlowLogic Logic(6, Switches);

} // namespace

CashFlow::CashFlow(QObject *parent)
    : CashFlowReport(QStringLiteral("Cash Flow"), Logic, parent),
      m_manager(std::make_unique<ExecManager>(QString()))
{
}

// The manager stops the execution going before the report's members go.
CashFlow::~CashFlow() = default;

ExecCommand *CashFlow::ExObj() const
{
    return m_exec;
}

void CashFlow::setWithRollower(bool on)
{
    WithRollower = on;
    setToolState(QStringLiteral("ID_WithRollower"), on ? 1 : 0);
}

void CashFlow::setWithNetting(bool on)
{
    WithNetting = on;
    setToolState(QStringLiteral("ID_WithNetting"), on ? 1 : 0);
}

void CashFlow::SetUtil(EventClass *Util)
{
    CashFlowReport::SetUtil(Util);
    if (Main_Menu) {
        Main_Menu->setToolVisible(QStringLiteral("ID_WithRollower"), true);
        Main_Menu->setToolVisible(QStringLiteral("ID_WithNetting"), true);
    }
    setWithRollower(WithRollower);
    setWithNetting(WithNetting);
}

void CashFlow::stopQuery()
{
    if (!m_exec)
        return;
    m_exec->Cancel();
    m_manager->ReleaseCommand(ProcedureName);
    m_exec = nullptr;
}

void CashFlow::startQuery(RunQuery run, quint64 id)
{
    m_manager->setConnectionString(SessionContext::instance().ConnectionString());
    m_exec = m_manager->GetCommand(ProcedureName);
    connect(m_exec, &ExecCommand::ExComplete, this, &CashFlow::ExObj_ExComplete, Qt::UniqueConnection);
    // The selections go to the execution's own connection, in tables private
    // to it, so that the procedure reads exactly this run's filter.
    m_exec->setPreparation([run](data::Connection &connection) -> data::ErrorPtr {
        FilterStore store(connection, run.userName, Logic.owner());
        if (store.createRunScope() && Logic.storeSelections(store, run))
            return nullptr;
        const data::ErrorPtr error = store.lastError();
        return data::makeError(error ? error->Number : data::Error::Unspecified,
                               store.failedProcedure() + QStringLiteral(": ")
                                   + (error ? error->Description : QString()),
                               QStringLiteral("CashFlow"));
    });
    for (const auto &[name, value] : Logic.parameterValues(run))
        m_exec->SetParameter(name, value);
    m_execRun = std::move(run);
    m_execRunId = id;
    if (!m_exec->ExecuteAsync()) {
        ReportRun::Outcome failed;
        failed.error = std::make_shared<data::Error>(m_exec->GetLastError());
        runFinished(id, failed);
    }
}

void CashFlow::ExObj_ExComplete(const QList<data::Parameter> &GetParameters,
                                const QList<data::RecordsetPtr> &Recordsets)
{
    if (Recordsets.isEmpty()) {
        // A failed run: its object stays until the next run releases it.
        ReportRun::Outcome failed;
        if (m_exec && m_exec->GetLastError().Number != 0)
            failed.error = std::make_shared<data::Error>(m_exec->GetLastError());
        runFinished(m_execRunId, failed);
        return;
    }
    QVariantMap outputs;
    for (const data::Parameter &parameter : GetParameters)
        outputs.insert(parameter.Name(), FieldReader::cellValue(parameter.value()));
    m_manager->ReleaseCommand(ProcedureName);
    m_exec = nullptr;
    buildFromResults(m_execRunId, std::move(m_execRun),
                     std::vector<data::RecordsetPtr>(Recordsets.begin(), Recordsets.end()), std::move(outputs));
}
