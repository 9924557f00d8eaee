#pragma once

#include "Report.h"

// The report classes whose own query and display are not written yet: each
// exists under its name and registry name, takes part in the control's wiring
// and settings like any report, and shows an empty grid when refreshed.

class ForwardPosition final : public Report
{
    Q_OBJECT
public:
    explicit ForwardPosition(QObject *parent = nullptr)
        : Report(QStringLiteral("Position History"), 0, parent) {}
};

class SingleCurrency final : public Report
{
    Q_OBJECT
public:
    explicit SingleCurrency(QObject *parent = nullptr)
        : Report(QStringLiteral("Single Currency"), 0, parent) {}
};

class DepoPosition final : public Report
{
    Q_OBJECT
public:
    explicit DepoPosition(QObject *parent = nullptr) : Report(QStringLiteral("Depo Position"), 5, parent) {}
};

class CashFlow final : public Report
{
    Q_OBJECT
public:
    explicit CashFlow(QObject *parent = nullptr) : Report(QStringLiteral("Cash Flow"), 6, parent) {}
};

class CurrencyPosition final : public Report
{
    Q_OBJECT
public:
    explicit CurrencyPosition(QObject *parent = nullptr)
        : Report(QStringLiteral("Currency Position"), 7, parent) {}
};

class Netting final : public Report
{
    Q_OBJECT
public:
    explicit Netting(QObject *parent = nullptr)
        : Report(QStringLiteral("Counterparty Position"), 10, parent) {}
};

class Profit_Loss final : public Report
{
    Q_OBJECT
public:
    explicit Profit_Loss(QObject *parent = nullptr) : Report(QStringLiteral("Profit/Loss"), 11, parent) {}
};

class Profit_LossDepo final : public Report
{
    Q_OBJECT
public:
    explicit Profit_LossDepo(QObject *parent = nullptr)
        : Report(QStringLiteral("Profit/Loss Depo"), 12, parent) {}
};

class Profit_LossRange final : public Report
{
    Q_OBJECT
public:
    explicit Profit_LossRange(QObject *parent = nullptr)
        : Report(QStringLiteral("Profit/Loss Range"), 13, parent) {}
};

class Profit_LossDepoRange final : public Report
{
    Q_OBJECT
public:
    explicit Profit_LossDepoRange(QObject *parent = nullptr)
        : Report(QStringLiteral("Profit/Loss Depo Range"), 14, parent) {}
};

class Profit_LossUSDRUB final : public Report
{
    Q_OBJECT
public:
    explicit Profit_LossUSDRUB(QObject *parent = nullptr)
        : Report(QStringLiteral("Profit/Loss USD/RUB"), 30, parent) {}
};

class BrokersPosition final : public Report
{
    Q_OBJECT
public:
    explicit BrokersPosition(QObject *parent = nullptr)
        : Report(QStringLiteral("Brokers Position"), 15, parent) {}
};

class ProfitCurrency final : public Report
{
    Q_OBJECT
public:
    explicit ProfitCurrency(QObject *parent = nullptr)
        : Report(QStringLiteral("Profit/Loss Currency"), 20, parent) {}
};

class DepoReport final : public Report
{
    Q_OBJECT
public:
    explicit DepoReport(QObject *parent = nullptr) : Report(QStringLiteral("Depo Report"), 0, parent) {}
};

class ConversionReport final : public Report
{
    Q_OBJECT
public:
    explicit ConversionReport(QObject *parent = nullptr)
        : Report(QStringLiteral("Conversion Report"), 0, parent) {}
};

class DealersReport final : public Report
{
    Q_OBJECT
public:
    explicit DealersReport(QObject *parent = nullptr)
        : Report(QStringLiteral("Dealers Report"), 72, parent) {}
};
