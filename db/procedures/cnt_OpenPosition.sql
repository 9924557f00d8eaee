-- procedure: cnt_OpenPosition
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- param: @WithArchive Boolean
-- result 1: PairCcy Integer, TicketNum BigInt, ConfName VarWChar, Bank1ID VarWChar, Rate Double, TCID VarWChar, DealTime Date, Status Integer, Volume Currency, Volume2 Currency, ValDate Date, ValDate2 Date, TradeID BigInt, Leg Integer
-- The FX deals (spot, outright, swap) of the report date, limited by the
-- user's stored selections for owner 2: one row per leg (a swap gives its near
-- and its far leg), the legs of one pair together, in deal time order. Volume
-- and Volume2 are the signed amounts of the pair's first and second currency
-- (positive received); ValDate and ValDate2 their value dates; Rate the leg's
-- exchange rate. Without a stored deal-date range the report date is
-- @DateReport. The value-date range (kind 2) applies to each leg's first value
-- date. With @WithArchive set the settled deals of Archive are read beside
-- Tickets (both tables have the same columns); unset or 0, Tickets only.
WITH
    days AS (
        SELECT COALESCE((SELECT r.DateFrom FROM FilterDateRange r
                         WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 1),
                        CASE WHEN EXISTS (SELECT 1 FROM FilterDateRange r
                                          WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 1)
                             THEN '' ELSE date(@DateReport) END) AS lo,
               COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r
                         WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 1),
                        CASE WHEN EXISTS (SELECT 1 FROM FilterDateRange r
                                          WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 1)
                             THEN '9999-12-31' ELSE date(@DateReport, '+1 day') END) AS hi),
    v AS (SELECT COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 2), '') AS lo,
               COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 2 AND r.Kind = 2), '9999-12-31') AS hi),
    d AS MATERIALIZED (
        SELECT COALESCE(t.PairID, (SELECT p.PairID FROM Pairs p WHERE p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2)) AS PairCcy,
               t.TradeID, t.TicketNum, t.ConfName, t.Bank1ID, t.TCID, t.DealTime, t.Status, t.PureDealType,
               t.ExchRate1, t.ExchRate2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
               t.ValDateP1C1, t.ValDateP1C2, t.ValDateP2C1, t.ValDateP2C2
        FROM (SELECT * FROM Tickets
              UNION ALL
              SELECT * FROM Archive WHERE COALESCE(@WithArchive, 0) <> 0) t
        WHERE t.DealTime >= (SELECT lo FROM days) AND t.DealTime < (SELECT hi FROM days)
          AND t.PureDealType IN (2, 4, 8)
      AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 2)
         OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 2))
      AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 2) AND t.Status >= 0
         OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 2))
      AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 2)
         OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 2))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 1)
         OR EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 1
                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 5 AND f.Op = '=')
         OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 5 AND f.Op = '='))
      AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 2 AND f.Kind = 5 AND f.Op = '<>')
      AND (NOT EXISTS (SELECT 1 FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 2)
         OR t.TCID IN (SELECT s.TCID FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 2))
      AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 2)
         OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 2))
      AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 2)
         OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 2))
      AND (NOT EXISTS (SELECT 1 FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 2)
         OR t.LoroNostro IN (SELECT s.LoroNostro FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 2))
      AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 2)
         OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                       JOIN Categories k ON k.Name = s.Category
                       JOIN Counterparties c ON c.CategoryID = k.CategoryID
                       LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                       WHERE s.UserName = @UserName AND s.OwnerID = 2
                         AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                         AND (s.Value = '' OR a.Value = s.Value)))
          AND (NOT EXISTS (SELECT 1 FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 2)
         OR t.PairID IN (SELECT s.PairID FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 2)))
SELECT d.PairCcy, d.TicketNum, d.ConfName, d.Bank1ID, d.ExchRate1 AS Rate, d.TCID, d.DealTime, d.Status,
       d.Volume1 AS Volume, d.VolumeP1C2 AS Volume2, d.ValDateP1C1 AS ValDate,
       COALESCE(d.ValDateP1C2, d.ValDateP1C1) AS ValDate2, d.TradeID, 1 AS Leg
FROM d, v
WHERE d.ValDateP1C1 BETWEEN v.lo AND v.hi
UNION ALL
SELECT d.PairCcy, d.TicketNum, d.ConfName, d.Bank1ID, d.ExchRate2, d.TCID, d.DealTime, d.Status,
       d.VolumeP2C1, d.VolumeP2C2, d.ValDateP2C1, COALESCE(d.ValDateP2C2, d.ValDateP2C1), d.TradeID, 2
FROM d, v
WHERE d.PureDealType = 8 AND d.ValDateP2C1 BETWEEN v.lo AND v.hi
ORDER BY PairCcy, DealTime, TicketNum, TradeID, Leg;
