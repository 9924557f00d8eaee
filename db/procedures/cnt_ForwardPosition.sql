-- procedure: cnt_ForwardPosition
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- param: @WithArchive Boolean
-- result 1: PairCcy Integer, DealTime Date, Volume Currency, Volume2 Currency, Rate Double, ValDate Date, ValDate2 Date, TradeID BigInt, TicketNum BigInt, TCID VarWChar, Bank1ID VarWChar, DealerID VarWChar, PureDealType Integer, DealType Integer, Ccy1 Integer, Ccy2 Integer, Volume1 Currency, ExchRate1 Double, ExchRate2 Double, DepoRate Double, ValDateP1C1 Date, ValDateP2C1 Date, Status Integer, Leg Integer
-- How the position of each pair was built up: the FX deals (spot, outright,
-- swap) of the stored selections for owner 3 (the forward position report's
-- own number), one row per leg whose first value date lies in the value-date
-- range (kind 2); the deal-date range is kind 1. Rows of one pair together,
-- in deal time order. Volume and Volume2 are the leg's signed amounts of the
-- pair's first and second currency; the deal's own columns follow for the
-- detail window.
-- With @WithArchive set the settled deals of Archive are read beside Tickets
-- (both tables have the same columns); unset or 0, Tickets only.
WITH
    v AS (SELECT COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 3 AND r.Kind = 2), '') AS lo,
               COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 3 AND r.Kind = 2), '9999-12-31') AS hi),
    d AS MATERIALIZED (
        SELECT COALESCE(t.PairID, (SELECT p.PairID FROM Pairs p WHERE p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2)) AS PairCcy,
               t.TradeID, t.TicketNum, t.TCID, t.Bank1ID, t.DealerID, t.PureDealType, t.DealType, t.DealTime,
               t.Status, t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
               t.ExchRate1, t.ExchRate2, t.DepoRate, t.ValDateP1C1, t.ValDateP1C2, t.ValDateP2C1, t.ValDateP2C2
        FROM (SELECT * FROM Tickets
              UNION ALL
              SELECT * FROM Archive WHERE COALESCE(@WithArchive, 0) <> 0) t
        WHERE t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 3 AND r.Kind = 1), '')
      AND t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 3 AND r.Kind = 1), '9999-12-31')
      AND t.PureDealType IN (2, 4, 8)
      AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 3)
         OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 3))
      AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 3) AND t.Status >= 0
         OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 3))
      AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 3)
         OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 3))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 3 AND f.Kind = 1)
         OR EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 3 AND f.Kind = 1
                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 3 AND f.Kind = 5 AND f.Op = '=')
         OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 3 AND f.Kind = 5 AND f.Op = '='))
      AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 3 AND f.Kind = 5 AND f.Op = '<>')
      AND (NOT EXISTS (SELECT 1 FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 3)
         OR t.TCID IN (SELECT s.TCID FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 3))
      AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 3)
         OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 3))
      AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 3)
         OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 3))
      AND (NOT EXISTS (SELECT 1 FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 3)
         OR t.LoroNostro IN (SELECT s.LoroNostro FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 3))
      AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 3)
         OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                       JOIN Categories k ON k.Name = s.Category
                       JOIN Counterparties c ON c.CategoryID = k.CategoryID
                       LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                       WHERE s.UserName = @UserName AND s.OwnerID = 3
                         AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                         AND (s.Value = '' OR a.Value = s.Value)))
          AND (NOT EXISTS (SELECT 1 FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 3)
         OR t.PairID IN (SELECT s.PairID FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 3)))
SELECT d.PairCcy, d.DealTime, d.Volume1 AS Volume, d.VolumeP1C2 AS Volume2, d.ExchRate1 AS Rate,
       d.ValDateP1C1 AS ValDate, COALESCE(d.ValDateP1C2, d.ValDateP1C1) AS ValDate2,
       d.TradeID, d.TicketNum, d.TCID, d.Bank1ID, d.DealerID, d.PureDealType, d.DealType, d.Ccy1, d.Ccy2,
       d.Volume1, d.ExchRate1, d.ExchRate2, d.DepoRate, d.ValDateP1C1, d.ValDateP2C1, d.Status, 1 AS Leg
FROM d, v
WHERE d.ValDateP1C1 BETWEEN v.lo AND v.hi
UNION ALL
SELECT d.PairCcy, d.DealTime, d.VolumeP2C1, d.VolumeP2C2, d.ExchRate2,
       d.ValDateP2C1, COALESCE(d.ValDateP2C2, d.ValDateP2C1),
       d.TradeID, d.TicketNum, d.TCID, d.Bank1ID, d.DealerID, d.PureDealType, d.DealType, d.Ccy1, d.Ccy2,
       d.Volume1, d.ExchRate1, d.ExchRate2, d.DepoRate, d.ValDateP1C1, d.ValDateP2C1, d.Status, 2
FROM d, v
WHERE d.PureDealType = 8 AND d.ValDateP2C1 BETWEEN v.lo AND v.hi
ORDER BY PairCcy, DealTime, TicketNum, TradeID, Leg;
