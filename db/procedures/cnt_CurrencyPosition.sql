-- procedure: cnt_CurrencyPosition
-- param: @UserName VarWChar 50
-- param: @WithArchive Boolean
-- result 1: Ccy Integer, isCom Integer, Volume Currency, DealTime Date, TicketNum BigInt, DealerID VarWChar, Bank1ID VarWChar, PureDealType Integer, TCID VarWChar, Status Integer, TradeID BigInt, ValDate Date
-- The user's position per currency, from the FX deals (spot, outright, swap)
-- of the stored selections for owner 7: every deal is split into its currency
-- amounts (first leg Ccy1 and Ccy2, a swap's far leg Ccy1 and Ccy2), each kept
-- when its own value date lies in the value-date range (kind 2) and its
-- currency is selected. Volume is signed (positive received). After a
-- currency's deal rows (isCom 0, in deal time order) comes its recalculation
-- row (isCom 2) when the selected deals (first-leg value date in the range)
-- carry broker's commission in that currency: Volume is minus that commission,
-- the amount the position changes by when commission is paid. A currency may
-- have only that row (commission paid in a currency the deals do not trade).
-- With @WithArchive set the settled deals of Archive are read beside Tickets
-- (both tables have the same columns); unset or 0, Tickets only.
WITH
    v AS (SELECT COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 7 AND r.Kind = 2), '') AS lo,
               COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 7 AND r.Kind = 2), '9999-12-31') AS hi),
    d AS MATERIALIZED (
        SELECT t.TradeID, t.DealTime, t.TicketNum, t.DealerID, t.Bank1ID, t.PureDealType, t.TCID, t.Status,
               t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
               t.ValDateP1C1, t.ValDateP1C2, t.ValDateP2C1, t.ValDateP2C2, t.Commission, t.CommissionCcy
        FROM (SELECT * FROM Tickets
              UNION ALL
              SELECT * FROM Archive WHERE COALESCE(@WithArchive, 0) <> 0) t
        WHERE (t.ValDateP1C1 BETWEEN date(COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 7 AND r.Kind = 2), '0001-01-01'), '-7 days') AND date(COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 7 AND r.Kind = 2), '9999-12-24'), '+7 days')
           OR t.ValDateP2C1 BETWEEN date(COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 7 AND r.Kind = 2), '0001-01-01'), '-7 days') AND date(COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 7 AND r.Kind = 2), '9999-12-24'), '+7 days'))
          AND +t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 7 AND r.Kind = 1), '')
      AND +t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 7 AND r.Kind = 1), '9999-12-31')
      AND t.PureDealType IN (2, 4, 8)
      AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 7))
      AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 7) AND t.Status >= 0
         OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 7))
      AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 7))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 7 AND f.Kind = 1)
         OR EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 7 AND f.Kind = 1
                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 7 AND f.Kind = 5 AND f.Op = '=')
         OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 7 AND f.Kind = 5 AND f.Op = '='))
      AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 7 AND f.Kind = 5 AND f.Op = '<>')
      AND (NOT EXISTS (SELECT 1 FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR t.TCID IN (SELECT s.TCID FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 7))
      AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 7))
      AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 7))
      AND (NOT EXISTS (SELECT 1 FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR t.LoroNostro IN (SELECT s.LoroNostro FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 7))
      AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                       JOIN Categories k ON k.Name = s.Category
                       JOIN Counterparties c ON c.CategoryID = k.CategoryID
                       LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                       WHERE s.UserName = @UserName AND s.OwnerID = 7
                         AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                         AND (s.Value = '' OR a.Value = s.Value)))
          AND (NOT EXISTS (SELECT 1 FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR t.PairID IN (SELECT s.PairID FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 7))),
    legs AS (
        SELECT d.Ccy1 AS Ccy, d.Volume1 AS Volume, d.ValDateP1C1 AS ValDate, 1 AS Leg, d.TradeID, d.DealTime, d.TicketNum, d.DealerID, d.Bank1ID, d.PureDealType, d.TCID, d.Status FROM d
        UNION ALL
        SELECT d.Ccy2, d.VolumeP1C2, COALESCE(d.ValDateP1C2, d.ValDateP1C1), 1, d.TradeID, d.DealTime, d.TicketNum, d.DealerID, d.Bank1ID, d.PureDealType, d.TCID, d.Status FROM d
        UNION ALL
        SELECT d.Ccy1, d.VolumeP2C1, d.ValDateP2C1, 2, d.TradeID, d.DealTime, d.TicketNum, d.DealerID, d.Bank1ID, d.PureDealType, d.TCID, d.Status FROM d WHERE d.PureDealType = 8
        UNION ALL
        SELECT d.Ccy2, d.VolumeP2C2, COALESCE(d.ValDateP2C2, d.ValDateP2C1), 2, d.TradeID, d.DealTime, d.TicketNum, d.DealerID, d.Bank1ID, d.PureDealType, d.TCID, d.Status FROM d WHERE d.PureDealType = 8)
SELECT l.Ccy, 0 AS isCom, l.Volume, l.DealTime, l.TicketNum, l.DealerID, l.Bank1ID, l.PureDealType, l.TCID,
       l.Status, l.TradeID, l.ValDate
FROM legs l, v
WHERE l.ValDate BETWEEN v.lo AND v.hi
  AND (NOT EXISTS (SELECT 1 FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR l.Ccy IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 7))
UNION ALL
SELECT c.CcyID, 2, -SUM(d.Commission), NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL
FROM d JOIN Currencies c ON c.Ccy = d.CommissionCcy, v
WHERE d.Commission <> 0 AND d.ValDateP1C1 BETWEEN v.lo AND v.hi
  AND (NOT EXISTS (SELECT 1 FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 7)
         OR c.CcyID IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 7))
GROUP BY c.CcyID
ORDER BY Ccy, isCom, DealTime, TicketNum, TradeID;
