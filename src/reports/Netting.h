#pragma once

#include "Report.h"

#include <QHash>

/// The counterparty position ("Counterparty Position"): per counterparty,
/// the summed volumes and the number of the filtered FX deals in each
/// currency (the currency view, the default) or in each currency pair (the
/// pair view), with the deals of a row in the detail window. See
/// NettingLogic for the rows.
///
/// The host switches the view with SetNewPair when the tool
/// "ID_CurrencyPair" changes, and runs the report again. In the currency
/// view the netting filter applies and negative volumes are red; in the pair
/// view the pair box applies instead of the currency box and the netting
/// filter, and both volumes of the pair are shown, unmarked.
class Netting final : public Report
{
    Q_OBJECT
    Q_PROPERTY(int PairView READ pairView)

public:
    explicit Netting(QObject *parent = nullptr);

    /// 0 the currency view, 1 the pair view.
    int pairView() const;
    /// The netting condition of the last run: "", "NETTING = 2" or
    /// "NETTING <> 2"; "" in the pair view.
    QString nettingCondition() const { return m_nettingCondition; }

    /// 1 the pair view, 0 the currency view; any other value changes no
    /// filter control. Then the view and the columns, which keep the layout
    /// the user gave them.
    Q_INVOKABLE void SetNewPair(int NewView);

    void SetUtil(EventClass *Util) override;
    /// As Report, then the view's volume columns and the colour of negative
    /// volumes.
    void RebindTable() override;

protected:
    /// The netting condition from the netting filter's text; a text that is
    /// none of "All", "Yes", "No" keeps the previous condition. None in the
    /// pair view.
    void completeRunQuery(RunQuery &run) override;
    /// The counterparty and the currency or pair as the grid shows them:
    /// "Northbank plc (EUR)".
    QString detailCaption(data::Recordset &display) const override;

private:
    /// The filter controls of the view: the pair box in the pair view, the
    /// currency box and the netting filter in the currency view.
    void enableViewControls();
    /// Fills the value lists of the counterparty and key columns, keeping
    /// their texts for detailCaption.
    void fillNameLists();
    /// Red in the currency view; in the pair view the window-text colour, so
    /// that negative volumes are not marked.
    quint32 negativeColor() const;

    QString m_nettingCondition;
    QHash<QString, QString> m_counterpartyNames;
    QHash<QString, QString> m_keyNames;
};
