-- procedure: ncnt_DepoReport1
-- param: @UserName VarWChar 50
-- result 1: Ccy Integer, ODate Date, Pozition Currency, PozitionRate Double, PozitionRateT Double, Given Currency, ARGive Double, ARTGive Double, Taken Currency, ARTake Double, ARTTake Double, Deals BigInt, Interest Currency, GiveInterest Currency, TakeInterest Currency, Summary Integer
-- result 2: Ccy Integer, ValDate Date, Volume Currency, Rate Double, Duration Integer, DepoType Integer, Interest Currency, TradeID BigInt, TicketNum BigInt, TCID VarWChar, Bank1ID VarWChar, DealType Integer, DealTime Date, DealerID VarWChar, Volume1 Currency, DepoRate Double, ValDateP1C1 Date, ValDateP2C1 Date, Tax Currency, RateTax Double, Status Integer, ODate Date
-- result 3: CcyCount Integer, DealCount Integer
-- The deposit report, every figure computed here. The deals are the
-- deposits (PureDealType 16) of the stored selections for owner 5 whose
-- start date (ValDateP1C1) lies in the value-date range (kind 2), with the
-- currency selection applied to the deposit's currency. Volume is the
-- principal, negative given (lent) and positive taken (borrowed); Rate the
-- interest rate in per cent; Duration the days from start to maturity;
-- Interest the repayment less the principal (positive earned on a given
-- deposit, negative paid on a taken one). DepoType: 4 rollover (it starts on
-- the day a deposit with the same counterparty, currency and side matures),
-- 2 long deposit (a term of more than 366 days), 1 any other deposit. Tax is
-- the interest tax at the rate of custom setting 1020 (per cent, none when
-- absent) and RateTax the rate net of that tax.
-- Result 1: per currency one row per start date (ODate; Summary 0) in date
-- order, then the currency's summary row (Summary 2, no date). Given and
-- Taken sum the negative and the other principals; ARGive and ARTake are the
-- volume-weighted average rates of each side, Pozition = Given + Taken and
-- PozitionRate its rate (the sum of principal times rate over the net
-- principal); the columns ending in T are those rates net of the interest
-- tax; Interest, GiveInterest and TakeInterest the interest of all, the
-- given and the taken deposits. An average over a zero amount is NULL.
-- Result 2: the deposits (ODate their start date). Result 3: the number of
-- currencies and of deposits.
DROP TABLE IF EXISTS temp.DepoReportDeals;
CREATE TEMP TABLE DepoReportDeals AS
WITH
    matured AS MATERIALIZED (
        SELECT p.ValDateP2C1 AS Day, p.Ccy1, p.Bank1ID, p.Volume1 < 0 AS Given, p.TradeID
        FROM Tickets p
        WHERE p.ValDateP2C1 >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 5 AND r.Kind = 2), '')
          AND p.ValDateP2C1 <= COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 5 AND r.Kind = 2), '9999-12-31')
          AND p.PureDealType = 16 AND p.Status >= 0)
SELECT t.Ccy1 AS Ccy, t.ValDateP1C1 AS ValDate, t.Volume1 AS Volume, t.DepoRate AS Rate,
       CAST(julianday(t.ValDateP2C1) - julianday(t.ValDateP1C1) AS INTEGER) AS Duration,
       CASE WHEN EXISTS (SELECT 1 FROM matured m
                         WHERE m.Day = t.ValDateP1C1 AND m.Ccy1 = t.Ccy1 AND m.Bank1ID = t.Bank1ID
                           AND m.Given = (t.Volume1 < 0) AND m.TradeID <> t.TradeID) THEN 4
            WHEN julianday(t.ValDateP2C1) - julianday(t.ValDateP1C1) > 366 THEN 2
            ELSE 1 END AS DepoType,
       COALESCE(t.VolumeP2C1 + t.Volume1, 0) AS Interest,
       t.TradeID, t.TicketNum, t.TCID, t.Bank1ID, t.DealType, t.DealTime, t.DealerID, t.Volume1, t.DepoRate,
       t.ValDateP1C1, t.ValDateP2C1,
       ROUND(COALESCE(t.VolumeP2C1 + t.Volume1, 0) * COALESCE((SELECT s.CustomValue FROM CustomSettings s WHERE s.CustomID = 1020), 0) / 100.0) AS Tax,
       t.DepoRate * (1 - COALESCE((SELECT s.CustomValue FROM CustomSettings s WHERE s.CustomID = 1020), 0) / 100.0) AS RateTax, t.Status, t.ValDateP1C1 AS ODate, COALESCE((SELECT s.CustomValue FROM CustomSettings s WHERE s.CustomID = 1020), 0) / 100.0 AS TaxRate
FROM Tickets t
WHERE t.ValDateP1C1 >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 5 AND r.Kind = 2), '')
  AND t.ValDateP1C1 <= COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 5 AND r.Kind = 2), '9999-12-31')
  AND t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 5 AND r.Kind = 1), '')
      AND t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 5 AND r.Kind = 1), '9999-12-31')
      AND t.PureDealType IN (16)
      AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 5)
         OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 5))
      AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 5) AND t.Status >= 0
         OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 5))
      AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 5)
         OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 5))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 5 AND f.Kind = 1)
         OR EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 5 AND f.Kind = 1
                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 5 AND f.Kind = 5 AND f.Op = '=')
         OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 5 AND f.Kind = 5 AND f.Op = '='))
      AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 5 AND f.Kind = 5 AND f.Op = '<>')
      AND (NOT EXISTS (SELECT 1 FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 5)
         OR t.TCID IN (SELECT s.TCID FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 5))
      AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 5)
         OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 5))
      AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 5)
         OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 5))
      AND (NOT EXISTS (SELECT 1 FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 5)
         OR t.LoroNostro IN (SELECT s.LoroNostro FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 5))
      AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 5)
         OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                       JOIN Categories k ON k.Name = s.Category
                       JOIN Counterparties c ON c.CategoryID = k.CategoryID
                       LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                       WHERE s.UserName = @UserName AND s.OwnerID = 5
                         AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                         AND (s.Value = '' OR a.Value = s.Value)))
  AND (NOT EXISTS (SELECT 1 FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 5)
         OR t.Ccy1 IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 5));
SELECT Ccy, ODate,
       SUM(Volume) AS Pozition,
       CASE WHEN SUM(Volume) <> 0 THEN SUM(Volume * Rate) * 1.0 / SUM(Volume) END AS PozitionRate,
       CASE WHEN SUM(Volume) <> 0 THEN SUM(Volume * Rate) * 1.0 / SUM(Volume) END * (1 - MAX(TaxRate)) AS PozitionRateT,
       SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) AS Given,
       ABS(CASE WHEN SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) <> 0 THEN SUM(CASE WHEN Volume < 0 THEN Volume * Rate ELSE 0 END) * 1.0 / SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) END) AS ARGive,
       ABS(CASE WHEN SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) <> 0 THEN SUM(CASE WHEN Volume < 0 THEN Volume * Rate ELSE 0 END) * 1.0 / SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) END) * (1 - MAX(TaxRate)) AS ARTGive,
       SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) AS Taken,
       CASE WHEN SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) <> 0 THEN SUM(CASE WHEN Volume >= 0 THEN Volume * Rate ELSE 0 END) * 1.0 / SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) END AS ARTake,
       CASE WHEN SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) <> 0 THEN SUM(CASE WHEN Volume >= 0 THEN Volume * Rate ELSE 0 END) * 1.0 / SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) END * (1 - MAX(TaxRate)) AS ARTTake,
       COUNT(*) AS Deals,
       SUM(Interest) AS Interest,
       SUM(CASE WHEN Volume < 0 THEN Interest ELSE 0 END) AS GiveInterest,
       SUM(CASE WHEN Volume >= 0 THEN Interest ELSE 0 END) AS TakeInterest,
       0 AS Summary
FROM DepoReportDeals
GROUP BY Ccy, ODate
UNION ALL
SELECT Ccy, NULL,
       SUM(Volume) AS Pozition,
       CASE WHEN SUM(Volume) <> 0 THEN SUM(Volume * Rate) * 1.0 / SUM(Volume) END AS PozitionRate,
       CASE WHEN SUM(Volume) <> 0 THEN SUM(Volume * Rate) * 1.0 / SUM(Volume) END * (1 - MAX(TaxRate)) AS PozitionRateT,
       SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) AS Given,
       ABS(CASE WHEN SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) <> 0 THEN SUM(CASE WHEN Volume < 0 THEN Volume * Rate ELSE 0 END) * 1.0 / SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) END) AS ARGive,
       ABS(CASE WHEN SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) <> 0 THEN SUM(CASE WHEN Volume < 0 THEN Volume * Rate ELSE 0 END) * 1.0 / SUM(CASE WHEN Volume < 0 THEN Volume ELSE 0 END) END) * (1 - MAX(TaxRate)) AS ARTGive,
       SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) AS Taken,
       CASE WHEN SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) <> 0 THEN SUM(CASE WHEN Volume >= 0 THEN Volume * Rate ELSE 0 END) * 1.0 / SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) END AS ARTake,
       CASE WHEN SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) <> 0 THEN SUM(CASE WHEN Volume >= 0 THEN Volume * Rate ELSE 0 END) * 1.0 / SUM(CASE WHEN Volume >= 0 THEN Volume ELSE 0 END) END * (1 - MAX(TaxRate)) AS ARTTake,
       COUNT(*) AS Deals,
       SUM(Interest) AS Interest,
       SUM(CASE WHEN Volume < 0 THEN Interest ELSE 0 END) AS GiveInterest,
       SUM(CASE WHEN Volume >= 0 THEN Interest ELSE 0 END) AS TakeInterest,
       2
FROM DepoReportDeals
GROUP BY Ccy
ORDER BY Ccy, Summary, ODate;
SELECT Ccy, ValDate, Volume, Rate, Duration, DepoType, Interest, TradeID, TicketNum, TCID, Bank1ID, DealType, DealTime,
       DealerID, Volume1, DepoRate, ValDateP1C1, ValDateP2C1, Tax, RateTax, Status, ODate
FROM DepoReportDeals
ORDER BY Ccy, ODate, TicketNum, TradeID;
SELECT COUNT(DISTINCT Ccy) AS CcyCount, COUNT(*) AS DealCount FROM DepoReportDeals;
