-- procedure: cnt_CashFlow
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- param: @R1 Integer
-- param: @N1 Integer
-- param: @OwnerID Integer
-- result 1: Ccy Integer, ValDate Date, Daily Currency, Daily_Sell Currency, Daily_Buy Currency, Cumulated Currency, Spot Currency, Spot_Sell Currency, Spot_Buy Currency, Outright Currency, Outright_Sell Currency, Outright_Buy Currency, Swap Currency, Swap_Sell Currency, Swap_Buy Currency, Deposit Currency, Deposit_Give Currency, Deposit_Take Currency, Interest Currency, Return Currency, Take Currency, Summary Integer, Deals BigInt
-- result 2: TradeID BigInt, TicketNum BigInt, TCID VarWChar, Bank1ID VarWChar, DealerID VarWChar, PureDealType Integer, DealType Integer, DealTime Date, Ccy1 Integer, Ccy2 Integer, Volume1 Currency, VolumeP1C2 Currency, VolumeP2C1 Currency, VolumeP2C2 Currency, ExchRate1 Double, ExchRate2 Double, DepoRate Double, ValDateP1C1 Date, ValDateP1C2 Date, ValDateP2C1 Date, ValDateP2C2 Date, Status Integer
-- The money the selected deals pay and receive per currency and value date.
-- Flows: each FX leg pays or receives its Ccy1 and Ccy2 amounts on their
-- value dates; a deposit moves its principal on the start date and back on
-- the maturity date, where the difference of the repayment and the principal
-- is its interest. Amounts are signed (positive received). The selections are
-- those stored for owner @OwnerID (6, the cash flow report, when NULL; the
-- dealers report passes its own); the value-date range (kind 2) applies to
-- each flow's date. @N1 = 2 settles the flows of a counterparty with a
-- netting agreement net per currency and day, so Daily_Sell and Daily_Buy
-- hold the net amounts; @R1 = 2 counts deposit principal rolled over with the
-- same counterparty on one day net in Deposit_Give and Deposit_Take. Result
-- 1: per currency its value dates in order (Summary 0), Cumulated the running
-- balance, then the currency's summary row (Summary 2: totals, the last value
-- date, the closing balance). Result 2: the deals behind the flows.
DROP TABLE IF EXISTS temp.CashFlows;
CREATE TEMP TABLE CashFlows AS
WITH
    v AS (SELECT COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = COALESCE(@OwnerID, 6) AND r.Kind = 2), '') AS lo,
               COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = COALESCE(@OwnerID, 6) AND r.Kind = 2), '9999-12-31') AS hi),
    d AS MATERIALIZED (
        SELECT t.TradeID, t.PureDealType, t.CPID, t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
               t.ValDateP1C1, t.ValDateP1C2, t.ValDateP2C1, t.ValDateP2C2,
               -- the counterparty's netting agreement, looked up only when flows are netted
               CASE WHEN COALESCE(@N1, 0) = 2
                    THEN COALESCE((SELECT c.Netting FROM Counterparties c WHERE c.CPID = t.CPID), 0)
                    ELSE 0 END AS Netting
        FROM Tickets t
        WHERE (t.ValDateP1C1 BETWEEN date(COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = COALESCE(@OwnerID, 6) AND r.Kind = 2), '0001-01-01'), '-7 days') AND date(COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = COALESCE(@OwnerID, 6) AND r.Kind = 2), '9999-12-24'), '+7 days')
           OR t.ValDateP2C1 BETWEEN date(COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = COALESCE(@OwnerID, 6) AND r.Kind = 2), '0001-01-01'), '-7 days') AND date(COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = COALESCE(@OwnerID, 6) AND r.Kind = 2), '9999-12-24'), '+7 days'))
          AND +t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = COALESCE(@OwnerID, 6) AND r.Kind = 1), '')
      AND +t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = COALESCE(@OwnerID, 6) AND r.Kind = 1), '9999-12-31')
      AND t.PureDealType IN (2, 4, 8, 16)
      AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)))
      AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)) AND t.Status >= 0
         OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)))
      AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = COALESCE(@OwnerID, 6) AND f.Kind = 1)
         OR EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = COALESCE(@OwnerID, 6) AND f.Kind = 1
                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = COALESCE(@OwnerID, 6) AND f.Kind = 5 AND f.Op = '=')
         OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = COALESCE(@OwnerID, 6) AND f.Kind = 5 AND f.Op = '='))
      AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = COALESCE(@OwnerID, 6) AND f.Kind = 5 AND f.Op = '<>')
      AND (NOT EXISTS (SELECT 1 FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR t.TCID IN (SELECT s.TCID FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)))
      AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)))
      AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)))
      AND (NOT EXISTS (SELECT 1 FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR t.LoroNostro IN (SELECT s.LoroNostro FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                       JOIN Categories k ON k.Name = s.Category
                       JOIN Counterparties c ON c.CategoryID = k.CategoryID
                       LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                       WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)
                         AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                         AND (s.Value = '' OR a.Value = s.Value)))
          AND (NOT EXISTS (SELECT 1 FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR t.PairID IN (SELECT s.PairID FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)))),
    f AS (
        SELECT TradeID, CPID, Netting, PureDealType AS Kind, Ccy1 AS Ccy, ValDateP1C1 AS ValDate, Volume1 AS Amount
        FROM d
        UNION ALL
        SELECT TradeID, CPID, Netting, PureDealType, Ccy2, COALESCE(ValDateP1C2, ValDateP1C1), VolumeP1C2
        FROM d WHERE PureDealType IN (2, 4, 8)
        UNION ALL
        SELECT TradeID, CPID, Netting, 8, Ccy1, ValDateP2C1, VolumeP2C1 FROM d WHERE PureDealType = 8
        UNION ALL
        SELECT TradeID, CPID, Netting, 8, Ccy2, COALESCE(ValDateP2C2, ValDateP2C1), VolumeP2C2
        FROM d WHERE PureDealType = 8
        UNION ALL
        SELECT TradeID, CPID, Netting, 16, Ccy1, ValDateP2C1, -Volume1 FROM d WHERE PureDealType = 16
        UNION ALL
        -- 17: deposit interest, paid or received with the repayment
        SELECT TradeID, CPID, Netting, 17, Ccy1, ValDateP2C1, COALESCE(VolumeP2C1 + Volume1, 0)
        FROM d WHERE PureDealType = 16)
SELECT f.TradeID, f.Kind, f.Ccy, f.ValDate, f.Amount,
       CASE WHEN COALESCE(@N1, 0) = 2 AND f.Netting = 2 AND f.CPID IS NOT NULL THEN f.CPID END AS NetKey,
       CASE WHEN COALESCE(@R1, 0) = 2 AND f.Kind = 16 AND f.CPID IS NOT NULL THEN f.CPID END AS RollKey
FROM f, v
WHERE f.Ccy IS NOT NULL AND f.Amount IS NOT NULL AND f.ValDate BETWEEN v.lo AND v.hi
  AND (NOT EXISTS (SELECT 1 FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6))
         OR f.Ccy IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = COALESCE(@OwnerID, 6)));
DROP TABLE IF EXISTS temp.CashDays;
CREATE TEMP TABLE CashDays AS
WITH
    -- flows settled net: per counterparty, currency and day (only these need a second grouping)
    netted AS (
        SELECT Ccy, ValDate, SUM(CASE WHEN s < 0 THEN s ELSE 0 END) AS Pay, SUM(CASE WHEN s > 0 THEN s ELSE 0 END) AS Receive
        FROM (SELECT Ccy, ValDate, SUM(Amount) AS s FROM CashFlows WHERE NetKey IS NOT NULL
              GROUP BY Ccy, ValDate, NetKey) per_counterparty
        GROUP BY Ccy, ValDate),
    rolled AS (
        SELECT Ccy, ValDate, SUM(CASE WHEN s < 0 THEN s ELSE 0 END) AS Give, SUM(CASE WHEN s > 0 THEN s ELSE 0 END) AS Take
        FROM (SELECT Ccy, ValDate, SUM(Amount) AS s FROM CashFlows WHERE RollKey IS NOT NULL
              GROUP BY Ccy, ValDate, RollKey) per_rollover
        GROUP BY Ccy, ValDate),
    sums AS (
        SELECT Ccy, ValDate, SUM(Amount) AS Daily,
               SUM(CASE WHEN NetKey IS NULL AND Amount < 0 THEN Amount ELSE 0 END) AS Pay,
               SUM(CASE WHEN NetKey IS NULL AND Amount > 0 THEN Amount ELSE 0 END) AS Receive,
               SUM(CASE WHEN Kind = 2 THEN Amount ELSE 0 END) AS Spot,
               SUM(CASE WHEN Kind = 2 AND Amount < 0 THEN Amount ELSE 0 END) AS Spot_Sell,
               SUM(CASE WHEN Kind = 2 AND Amount > 0 THEN Amount ELSE 0 END) AS Spot_Buy,
               SUM(CASE WHEN Kind = 4 THEN Amount ELSE 0 END) AS Outright,
               SUM(CASE WHEN Kind = 4 AND Amount < 0 THEN Amount ELSE 0 END) AS Outright_Sell,
               SUM(CASE WHEN Kind = 4 AND Amount > 0 THEN Amount ELSE 0 END) AS Outright_Buy,
               SUM(CASE WHEN Kind = 8 THEN Amount ELSE 0 END) AS Swap,
               SUM(CASE WHEN Kind = 8 AND Amount < 0 THEN Amount ELSE 0 END) AS Swap_Sell,
               SUM(CASE WHEN Kind = 8 AND Amount > 0 THEN Amount ELSE 0 END) AS Swap_Buy,
               SUM(CASE WHEN Kind = 16 THEN Amount ELSE 0 END) AS Deposit,
               SUM(CASE WHEN Kind = 16 AND RollKey IS NULL AND Amount < 0 THEN Amount ELSE 0 END) AS PrincipalGiven,
               SUM(CASE WHEN Kind = 16 AND RollKey IS NULL AND Amount > 0 THEN Amount ELSE 0 END) AS PrincipalTaken,
               SUM(CASE WHEN Kind = 17 THEN Amount ELSE 0 END) AS Interest,
               SUM(CASE WHEN Kind = 17 AND Amount < 0 THEN Amount ELSE 0 END) AS "Return",
               SUM(CASE WHEN Kind = 17 AND Amount > 0 THEN Amount ELSE 0 END) AS "Take",
               COUNT(DISTINCT TradeID) AS Deals
        FROM CashFlows GROUP BY Ccy, ValDate)
SELECT s.Ccy, s.ValDate, s.Daily, s.Pay + COALESCE(n.Pay, 0) AS Daily_Sell,
       s.Receive + COALESCE(n.Receive, 0) AS Daily_Buy,
       s.Spot, s.Spot_Sell, s.Spot_Buy, s.Outright, s.Outright_Sell, s.Outright_Buy, s.Swap, s.Swap_Sell, s.Swap_Buy,
       s.Deposit, s.PrincipalGiven + COALESCE(r.Give, 0) AS Deposit_Give,
       s.PrincipalTaken + COALESCE(r.Take, 0) AS Deposit_Take,
       s.Interest, s."Return", s."Take", s.Deals
FROM sums s
LEFT JOIN netted n ON n.Ccy = s.Ccy AND n.ValDate = s.ValDate
LEFT JOIN rolled r ON r.Ccy = s.Ccy AND r.ValDate = s.ValDate;
WITH currencyDeals AS (SELECT Ccy, COUNT(DISTINCT TradeID) AS Deals FROM CashFlows GROUP BY Ccy)
SELECT Ccy, ValDate, Daily, Daily_Sell, Daily_Buy,
       SUM(Daily) OVER (PARTITION BY Ccy ORDER BY ValDate) AS Cumulated,
       Spot, Spot_Sell, Spot_Buy, Outright, Outright_Sell, Outright_Buy, Swap, Swap_Sell, Swap_Buy,
       Deposit, Deposit_Give, Deposit_Take, Interest, "Return", "Take", 0 AS Summary, Deals
FROM CashDays
UNION ALL
SELECT d.Ccy, MAX(d.ValDate), SUM(d.Daily), SUM(d.Daily_Sell), SUM(d.Daily_Buy), SUM(d.Daily),
       SUM(d.Spot), SUM(d.Spot_Sell), SUM(d.Spot_Buy), SUM(d.Outright), SUM(d.Outright_Sell), SUM(d.Outright_Buy),
       SUM(d.Swap), SUM(d.Swap_Sell), SUM(d.Swap_Buy), SUM(d.Deposit), SUM(d.Deposit_Give), SUM(d.Deposit_Take),
       SUM(d.Interest), SUM(d."Return"), SUM(d."Take"), 2, MAX(c.Deals)
FROM CashDays d JOIN currencyDeals c ON c.Ccy = d.Ccy
GROUP BY d.Ccy
ORDER BY Ccy, Summary, ValDate;
SELECT t.TradeID, t.TicketNum, t.TCID, t.Bank1ID, t.DealerID, t.PureDealType, t.DealType, t.DealTime, t.Ccy1, t.Ccy2,
       t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2, t.ExchRate1, t.ExchRate2, t.DepoRate,
       t.ValDateP1C1, t.ValDateP1C2, t.ValDateP2C1, t.ValDateP2C2, t.Status
FROM Tickets t
WHERE t.TradeID IN (SELECT TradeID FROM CashFlows)
ORDER BY t.TradeID;
