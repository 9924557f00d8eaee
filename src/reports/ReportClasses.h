#pragma once

#include "Report.h"

// The report classes whose own query and display are not written yet: each
// exists under its name and registry name, takes part in the control's wiring
// and settings like any report, and shows an empty grid when refreshed.

/// The logic of a report without a query yet: its owner number only.
template <int Owner>
class NoQueryLogic final : public ReportLogic
{
public:
    QString procedure() const override { return {}; }
    int owner() const override { return Owner; }
    static const NoQueryLogic &instance()
    {
        static const NoQueryLogic logic;
        return logic;
    }
};

class ConversionReport final : public Report
{
    Q_OBJECT
public:
    explicit ConversionReport(QObject *parent = nullptr)
        : Report(QStringLiteral("Conversion Report"), NoQueryLogic<0>::instance(), parent) {}
};
