-- procedure: cnt_SingleCurrency
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- param: @WithArchive Boolean
-- result 1: Ccy Integer, DealTime Date, Volume Currency, TradeID BigInt, ValDate Date, Leg Integer, TicketNum BigInt, TCID VarWChar, Bank1ID VarWChar, DealerID VarWChar, PureDealType Integer, DealType Integer, Ccy1 Integer, Ccy2 Integer, Volume1 Currency, ExchRate1 Double, ExchRate2 Double, DepoRate Double, ValDateP1C1 Date, ValDateP2C1 Date, Status Integer
-- The day-by-day flow of each currency: the FX deals (spot, outright, swap)
-- of the stored selections for owner 4 (the single currency report's own
-- number), split into their currency amounts (first leg Ccy1 and Ccy2, a
-- swap's far leg Ccy1 and Ccy2), each kept when its value date lies in the
-- value-date range (kind 2) and its currency is selected; the deal-date range
-- is kind 1. Volume is signed (positive bought or received). Rows of one
-- currency together, in deal time order; the deal's own columns follow for
-- the detail window.
-- With @WithArchive set the settled deals of Archive are read beside Tickets
-- (both tables have the same columns); unset or 0, Tickets only.
WITH
    v AS (SELECT COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 4 AND r.Kind = 2), '') AS lo,
               COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 4 AND r.Kind = 2), '9999-12-31') AS hi),
    d AS MATERIALIZED (
        SELECT t.TradeID, t.DealTime, t.TicketNum, t.TCID, t.Bank1ID, t.DealerID, t.PureDealType, t.DealType,
               t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2, t.ExchRate1, t.ExchRate2,
               t.DepoRate, t.ValDateP1C1, t.ValDateP1C2, t.ValDateP2C1, t.ValDateP2C2, t.Status
        FROM (SELECT * FROM Tickets
              UNION ALL
              SELECT * FROM Archive WHERE COALESCE(@WithArchive, 0) <> 0) t
        WHERE t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 4 AND r.Kind = 1), '')
      AND t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 4 AND r.Kind = 1), '9999-12-31')
      AND t.PureDealType IN (2, 4, 8)
      AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 4))
      AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 4) AND t.Status >= 0
         OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 4))
      AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 4))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 4 AND f.Kind = 1)
         OR EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 4 AND f.Kind = 1
                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 4 AND f.Kind = 5 AND f.Op = '=')
         OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 4 AND f.Kind = 5 AND f.Op = '='))
      AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 4 AND f.Kind = 5 AND f.Op = '<>')
      AND (NOT EXISTS (SELECT 1 FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR t.TCID IN (SELECT s.TCID FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 4))
      AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 4))
      AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 4))
      AND (NOT EXISTS (SELECT 1 FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR t.LoroNostro IN (SELECT s.LoroNostro FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 4))
      AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                       JOIN Categories k ON k.Name = s.Category
                       JOIN Counterparties c ON c.CategoryID = k.CategoryID
                       LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                       WHERE s.UserName = @UserName AND s.OwnerID = 4
                         AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                         AND (s.Value = '' OR a.Value = s.Value)))
          AND (NOT EXISTS (SELECT 1 FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR t.PairID IN (SELECT s.PairID FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 4))),
    legs AS (
        SELECT d.Ccy1 AS Ccy, d.Volume1 AS Volume, d.ValDateP1C1 AS ValDate, 1 AS Leg, d.TradeID, d.DealTime, d.TicketNum, d.TCID, d.Bank1ID, d.DealerID, d.PureDealType, d.DealType, d.Ccy1, d.Ccy2, d.Volume1, d.ExchRate1, d.ExchRate2, d.DepoRate, d.ValDateP1C1, d.ValDateP2C1, d.Status FROM d
        UNION ALL
        SELECT d.Ccy2, d.VolumeP1C2, COALESCE(d.ValDateP1C2, d.ValDateP1C1), 1, d.TradeID, d.DealTime, d.TicketNum, d.TCID, d.Bank1ID, d.DealerID, d.PureDealType, d.DealType, d.Ccy1, d.Ccy2, d.Volume1, d.ExchRate1, d.ExchRate2, d.DepoRate, d.ValDateP1C1, d.ValDateP2C1, d.Status FROM d
        UNION ALL
        SELECT d.Ccy1, d.VolumeP2C1, d.ValDateP2C1, 2, d.TradeID, d.DealTime, d.TicketNum, d.TCID, d.Bank1ID, d.DealerID, d.PureDealType, d.DealType, d.Ccy1, d.Ccy2, d.Volume1, d.ExchRate1, d.ExchRate2, d.DepoRate, d.ValDateP1C1, d.ValDateP2C1, d.Status FROM d WHERE d.PureDealType = 8
        UNION ALL
        SELECT d.Ccy2, d.VolumeP2C2, COALESCE(d.ValDateP2C2, d.ValDateP2C1), 2, d.TradeID, d.DealTime, d.TicketNum, d.TCID, d.Bank1ID, d.DealerID, d.PureDealType, d.DealType, d.Ccy1, d.Ccy2, d.Volume1, d.ExchRate1, d.ExchRate2, d.DepoRate, d.ValDateP1C1, d.ValDateP2C1, d.Status FROM d WHERE d.PureDealType = 8)
SELECT l.Ccy, l.DealTime, l.Volume, l.TradeID, l.ValDate, l.Leg, l.TicketNum, l.TCID, l.Bank1ID, l.DealerID,
       l.PureDealType, l.DealType, l.Ccy1, l.Ccy2, l.Volume1, l.ExchRate1, l.ExchRate2, l.DepoRate,
       l.ValDateP1C1, l.ValDateP2C1, l.Status
FROM legs l, v
WHERE l.ValDate BETWEEN v.lo AND v.hi
  AND (NOT EXISTS (SELECT 1 FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 4)
         OR l.Ccy IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 4))
ORDER BY l.Ccy, l.DealTime, l.TicketNum, l.TradeID, l.Leg;
