#pragma once

#include "CashFlowReport.h"

#include "Parameter.h"

#include <QPointer>

#include <memory>

class ExecCommand;
class ExecManager;

/// The cash-flow report ("Cash Flow"): per currency, the money the selected
/// deals pay and receive on each value date, by deal type, with the running
/// balance and a summary row (see CashFlowLogic). Owner number 6.
///
/// Its query runs through the execution library: StartAnalyser takes the
/// execution object "cnt_CashFlow" from the report's own ExecManager (so two
/// reports never share one), which stores the run's selections on its own
/// connection and runs the procedure on its worker; ExComplete hands the
/// result sets to a worker that builds the display rows. A new run cancels
/// and releases the object of the run still going. A failed run keeps its
/// object until the next run, which cancels and releases it.
///
/// Two switches change how the procedure counts and are stored with the
/// query: WithRollower ("With Rollower", deposit principal rolled over with
/// the same counterparty counted net) and WithNetting ("With Netting", the
/// flows of a counterparty with a netting agreement settled net per day).
class CashFlow final : public CashFlowReport
{
    Q_OBJECT
    Q_PROPERTY(bool WithRollower READ withRollower WRITE setWithRollower)
    Q_PROPERTY(bool WithNetting READ withNetting WRITE setWithNetting)
public:
    explicit CashFlow(QObject *parent = nullptr);
    ~CashFlow() override;

    bool WithRollower = false;
    bool withRollower() const { return WithRollower; }
    /// Sets the switch and the check mark of "ID_WithRollower".
    void setWithRollower(bool on);
    bool WithNetting = false;
    bool withNetting() const { return WithNetting; }
    /// Sets the switch and the check mark of "ID_WithNetting".
    void setWithNetting(bool on);

    /// As the other cash-flow reports, with the rollover and netting tools
    /// shown and set to the switches.
    void SetUtil(EventClass *Util) override;

    /// The execution object of the run going or of the last failed run; null otherwise.
    ExecCommand *ExObj() const;

protected:
    void startQuery(RunQuery run, quint64 id) override;
    void stopQuery() override;

private:
    void ExObj_ExComplete(const QList<data::Parameter> &GetParameters, const QList<data::RecordsetPtr> &Recordsets);

    std::unique_ptr<ExecManager> m_manager;
    QPointer<ExecCommand> m_exec;
    RunQuery m_execRun;        // the query of the execution going
    quint64 m_execRunId = 0;
};
