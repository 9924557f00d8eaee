-- procedure: cnt_BrokerPosition
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- result 1: BrID Integer, TTDate Date, Ccy Integer, DealsVolume Currency, DailyVolume Currency, SumVolume Currency, USDSum Currency, RecRate Double
-- Commission owed to brokers, per broker, trade day and currency, from the
-- deals done through a broker (every deal type) in the stored selections for
-- owner 15. That report's dealer box lists brokers, so the stored dealer
-- selection (FilterDealer.StaffID) holds broker numbers (BrID) here.
-- DealsVolume is the commission booked on the deals (Commission, in
-- CommissionCcy); DailyVolume the commission the broker's tariff gives for
-- the deals booked without one (CommissionRate per million of the first-
-- currency amount, in the broker's CommissionCcy); SumVolume their sum.
-- RecRate converts the currency to US dollars (USD per unit, 1 for USD) at
-- the latest administrator's rate on or before @DateReport (today when NULL);
-- 0 when there is none, and then USDSum, SumVolume in US dollars, is 0.
-- Rows ordered by broker, trade day and currency.
WITH
    d AS MATERIALIZED (
        SELECT t.BrokerID, date(t.DealTime) AS TTDate, t.Commission, t.CommissionCcy, t.Volume1
        FROM Tickets t
        WHERE t.BrokerID IS NOT NULL
          -- the trade-date range (kind 1) finds the deals through IX_Tickets_DealTime; the unary +
          -- keeps the value-date terms from drawing the planner to the value-date index
          AND +t.ValDateP1C1 >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 15 AND r.Kind = 2), '')
          AND +t.ValDateP1C1 <= COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 15 AND r.Kind = 2), '9999-12-31')
          AND t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 15 AND r.Kind = 1), '')
      AND t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 15 AND r.Kind = 1), '9999-12-31')
      AND t.PureDealType IN (2, 4, 8, 16, 32)
      AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 15)
         OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 15))
      AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 15) AND t.Status >= 0
         OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 15))
      AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 15)
         OR t.BrokerID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 15))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 15 AND f.Kind = 1)
         OR EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 15 AND f.Kind = 1
                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 15 AND f.Kind = 5 AND f.Op = '=')
         OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 15 AND f.Kind = 5 AND f.Op = '='))
      AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 15 AND f.Kind = 5 AND f.Op = '<>')
      AND (NOT EXISTS (SELECT 1 FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 15)
         OR t.TCID IN (SELECT s.TCID FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 15))
      AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 15)
         OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 15))
      AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 15)
         OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 15))
      AND (NOT EXISTS (SELECT 1 FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 15)
         OR t.LoroNostro IN (SELECT s.LoroNostro FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 15))
      AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 15)
         OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                       JOIN Categories k ON k.Name = s.Category
                       JOIN Counterparties c ON c.CategoryID = k.CategoryID
                       LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                       WHERE s.UserName = @UserName AND s.OwnerID = 15
                         AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                         AND (s.Value = '' OR a.Value = s.Value)))
          AND (NOT EXISTS (SELECT 1 FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 15)
         OR t.PairID IN (SELECT s.PairID FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 15))),
    c AS (
        SELECT d.BrokerID AS BrID, d.TTDate, k.CcyID AS Ccy, d.Commission AS Booked, 0 AS Accrued
        FROM d JOIN Brokers b ON b.BrID = d.BrokerID
        JOIN Currencies k ON k.Ccy = COALESCE(d.CommissionCcy, b.CommissionCcy)
        WHERE d.Commission IS NOT NULL
        UNION ALL
        SELECT d.BrokerID, d.TTDate, k.CcyID, 0, ROUND(ABS(d.Volume1) * b.CommissionRate / 1000000.0)
        FROM d JOIN Brokers b ON b.BrID = d.BrokerID
        JOIN Currencies k ON k.Ccy = b.CommissionCcy
        WHERE d.Commission IS NULL),
    s AS (
        SELECT BrID, TTDate, Ccy, SUM(Booked) AS DealsVolume, SUM(Accrued) AS DailyVolume
        FROM c GROUP BY BrID, TTDate, Ccy),
    r AS (
        SELECT k.CcyID AS Ccy,
               CASE WHEN k.Ccy = 'USD' THEN 1.0
                    ELSE COALESCE((SELECT CASE WHEN k.DirectQuote = 1 THEN a.Rate ELSE 1.0 / a.Rate END
                                   FROM AdminRates a
                                   WHERE a.CcyID = k.CcyID AND a.Rate <> 0
                                     AND a.RateDate <= COALESCE(date(@DateReport), date('now'))
                                   ORDER BY a.RateDate DESC LIMIT 1), 0) END AS RecRate
        FROM Currencies k WHERE k.CcyID IN (SELECT Ccy FROM s))
SELECT s.BrID, s.TTDate, s.Ccy, s.DealsVolume, s.DailyVolume, s.DealsVolume + s.DailyVolume AS SumVolume,
       ROUND((s.DealsVolume + s.DailyVolume) * r.RecRate) AS USDSum, r.RecRate
FROM s JOIN r ON r.Ccy = s.Ccy
ORDER BY s.BrID, s.TTDate, s.Ccy;
