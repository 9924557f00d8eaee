#pragma once

#include "Report.h"

/// The open position report ("Currency Pairs"): every open FX deal of the
/// user per currency pair, with its buy and sell amounts in both currencies,
/// and one summary row per pair with the net amounts and the average buy,
/// sell and position rates.
///
/// The server (cnt_OpenPosition, owner number 2) selects the deals; the report
/// stores the user's selections for it and builds the grouped display.
class OpenPosition final : public Report
{
    Q_OBJECT
public:
    explicit OpenPosition(QObject *parent = nullptr);

    void RefreshDirectory() override;
    void SetUtil(EventClass *Util) override;
    void PrepQuery() override;
    void UnboundChangeData(QVector<QVariant> &Values) override;

    /// The deal types the deal-type filter offers.
    static QStringList dealTypes();

protected:
    QString procedureName() const override { return QStringLiteral("cnt_OpenPosition"); }
    void buildColumns() override;
    void appendDisplayFields(data::Recordset &rs) override;
    int BuildDisplay() override;
    std::array<bool, FilterControlCount> usedFilters() const override;
    void applyViewColumns(View mode) override;
    void refreshValueLists() override;
    void showQueryInControls() override;
    QStringList valueColumns() const override;
    QStringList rateColumns() const override;

private:
    QString dealerCondition() const;
    QString clientCondition() const;
    /// A date bound of the query: none for "All", else the date (today +
    /// offset when the query is relative).
    QDate boundDate(const QVariant &date, const QVariant &offset) const;
};
