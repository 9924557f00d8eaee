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
-- the deals booked without one: CommissionRate per million US dollars of the
-- first-currency amount, in the broker's CommissionCcy, both converted at the
-- administrator's latest rate on or before the trade day, to the cent (0 when
-- a rate is missing); SumVolume their sum.
-- RecRate converts the currency to US dollars (USD per unit, 1 for USD) at
-- the latest administrator's rate on or before @DateReport (today when NULL);
-- 0 when there is none, and then USDSum, SumVolume in US dollars to the
-- cent, is 0.
-- Rows ordered by broker, trade day and currency.
WITH
    d AS MATERIALIZED (
        SELECT t.BrokerID, date(t.DealTime) AS TTDate, t.Commission, t.CommissionCcy, t.Ccy1, t.Volume1
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
    tariffed AS (
        SELECT d.BrokerID, d.TTDate, d.Ccy1, d.Volume1, b.CommissionRate, k.CcyID AS ComCcy
        FROM d JOIN Brokers b ON b.BrID = d.BrokerID
        JOIN Currencies k ON k.Ccy = b.CommissionCcy
        WHERE d.Commission IS NULL),
    -- US dollars per unit of each currency the tariffs need, on each trade day
    needed AS (
        SELECT Ccy1 AS CcyID, TTDate FROM tariffed
        UNION SELECT ComCcy, TTDate FROM tariffed),
    usd AS (
        SELECT n.CcyID, n.TTDate,
               CASE WHEN k.Ccy = 'USD' THEN 1.0
                    ELSE (SELECT CASE WHEN k.DirectQuote = 1 THEN a.Rate ELSE 1.0 / a.Rate END
                          FROM AdminRates a
                          WHERE a.CcyID = n.CcyID AND a.Rate <> 0 AND a.RateDate <= n.TTDate
                          ORDER BY a.RateDate DESC LIMIT 1) END AS Usd
        FROM needed n JOIN Currencies k ON k.CcyID = n.CcyID),
    c AS (
        SELECT d.BrokerID AS BrID, d.TTDate, k.CcyID AS Ccy, d.Commission AS Booked, 0 AS Accrued
        FROM d JOIN Brokers b ON b.BrID = d.BrokerID
        JOIN Currencies k ON k.Ccy = COALESCE(d.CommissionCcy, b.CommissionCcy)
        WHERE d.Commission IS NOT NULL
        UNION ALL
        -- amounts are stored in ten-thousandths: to the cent is to 100 of them
        SELECT t.BrokerID, t.TTDate, t.ComCcy, 0,
               COALESCE(ROUND(ABS(t.Volume1) * u1.Usd * t.CommissionRate / 1000000.0 / uc.Usd / 100.0) * 100, 0)
        FROM tariffed t
        JOIN usd u1 ON u1.CcyID = t.Ccy1 AND u1.TTDate = t.TTDate
        JOIN usd uc ON uc.CcyID = t.ComCcy AND uc.TTDate = t.TTDate),
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
       ROUND((s.DealsVolume + s.DailyVolume) * r.RecRate / 100.0) * 100 AS USDSum, r.RecRate
FROM s JOIN r ON r.Ccy = s.Ccy
ORDER BY s.BrID, s.TTDate, s.Ccy;
