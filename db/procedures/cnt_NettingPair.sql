-- procedure: cnt_NettingPair
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- param: @WithArchive Boolean
-- result 1: CounterpartyID Integer, PairCcy Integer, Volume Currency, Volume2 Currency, NETTING Integer, TradeID BigInt, TicketNum BigInt, TCID VarWChar, Bank1ID VarWChar, DealerID VarWChar, PureDealType Integer, DealType Integer, DealTime Date, Ccy1 Integer, Ccy2 Integer, Volume1 Currency, ExchRate1 Double, ValDateP1C1 Date, ValDateP2C1 Date, Status Integer
-- What each counterparty has dealt per currency pair: the FX deals (spot,
-- outright, swap) of the stored selections for owner 10. One row per deal:
-- Volume and Volume2 are the deal's signed amounts of the pair's first and
-- second currency over its legs whose value date lies in the value-date range
-- (kind 2). The pair selection applies; a stored currency selection belongs
-- to the currency view and is not applied here. Rows ordered by
-- counterparty, pair, deal.
-- With @WithArchive set the settled deals of Archive are read beside Tickets
-- (both tables have the same columns); unset or 0, Tickets only.
WITH
    v AS (SELECT COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 10 AND r.Kind = 2), '') AS lo,
               COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 10 AND r.Kind = 2), '9999-12-31') AS hi),
    d AS MATERIALIZED (
        SELECT COALESCE(t.CPID, (SELECT c.CPID FROM Counterparties c WHERE c.ShortName = t.Bank1ID)) AS CounterpartyID,
               COALESCE(t.PairID, (SELECT p.PairID FROM Pairs p WHERE p.Ccy1 = t.Ccy1 AND p.Ccy2 = t.Ccy2)) AS PairCcy,
               t.TradeID, t.TicketNum, t.TCID, t.Bank1ID, t.DealerID, t.PureDealType, t.DealType, t.DealTime, t.Ccy1, t.Ccy2,
               t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2, t.ExchRate1,
               t.ValDateP1C1, t.ValDateP1C2, t.ValDateP2C1, t.ValDateP2C2, t.Status
        FROM (SELECT * FROM Tickets
              UNION ALL
              SELECT * FROM Archive WHERE COALESCE(@WithArchive, 0) <> 0) t
        WHERE (t.ValDateP1C1 BETWEEN date(COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 10 AND r.Kind = 2), '0001-01-01'), '-7 days') AND date(COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 10 AND r.Kind = 2), '9999-12-24'), '+7 days')
           OR t.ValDateP2C1 BETWEEN date(COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 10 AND r.Kind = 2), '0001-01-01'), '-7 days') AND date(COALESCE((SELECT r.DateTo FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 10 AND r.Kind = 2), '9999-12-24'), '+7 days'))
          AND +t.DealTime >= COALESCE((SELECT r.DateFrom FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 10 AND r.Kind = 1), '')
      AND +t.DealTime < COALESCE((SELECT date(r.DateTo, '+1 day') FROM FilterDateRange r WHERE r.UserName = @UserName AND r.OwnerID = 10 AND r.Kind = 1), '9999-12-31')
      AND t.PureDealType IN (2, 4, 8)
      AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 10)
         OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 10))
      AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 10) AND t.Status >= 0
         OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 10))
      AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 10)
         OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 10))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 1)
         OR EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 1
                    AND (f.Value = t.DealerID OR f.NumValue = t.StaffID)))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 5 AND f.Op = '=')
         OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 5 AND f.Op = '='))
      AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 5 AND f.Op = '<>')
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 7 AND f.Op = '=')
         OR COALESCE((SELECT c.Netting FROM Counterparties c WHERE c.CPID = t.CPID), 0) IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 7 AND f.Op = '='))
      AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 7 AND f.Op = '<>')
         OR COALESCE((SELECT c.Netting FROM Counterparties c WHERE c.CPID = t.CPID), 0) NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 10 AND f.Kind = 7 AND f.Op = '<>'))
      AND (NOT EXISTS (SELECT 1 FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 10)
         OR t.TCID IN (SELECT s.TCID FROM FilterTCID s WHERE s.UserName = @UserName AND s.OwnerID = 10))
      AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 10)
         OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 10))
      AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 10)
         OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 10))
      AND (NOT EXISTS (SELECT 1 FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 10)
         OR t.LoroNostro IN (SELECT s.LoroNostro FROM FilterNostro s WHERE s.UserName = @UserName AND s.OwnerID = 10))
      AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 10)
         OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                       JOIN Categories k ON k.Name = s.Category
                       JOIN Counterparties c ON c.CategoryID = k.CategoryID
                       LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                       WHERE s.UserName = @UserName AND s.OwnerID = 10
                         AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                         AND (s.Value = '' OR a.Value = s.Value)))
          AND (NOT EXISTS (SELECT 1 FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 10)
         OR t.PairID IN (SELECT s.PairID FROM FilterPair s WHERE s.UserName = @UserName AND s.OwnerID = 10))),
    legs AS (
        SELECT TradeID, Volume1 AS Volume, VolumeP1C2 AS Volume2, ValDateP1C1 AS ValDate FROM d
        UNION ALL
        SELECT TradeID, VolumeP2C1, VolumeP2C2, ValDateP2C1 FROM d WHERE PureDealType = 8),
    amounts AS (
        SELECT l.TradeID, SUM(l.Volume) AS Volume, SUM(l.Volume2) AS Volume2
        FROM legs l, v
        WHERE l.ValDate BETWEEN v.lo AND v.hi
        GROUP BY l.TradeID)
SELECT d.CounterpartyID, d.PairCcy, a.Volume, a.Volume2,
       COALESCE((SELECT c.Netting FROM Counterparties c WHERE c.CPID = d.CounterpartyID), 0) AS NETTING,
       d.TradeID, d.TicketNum, d.TCID, d.Bank1ID, d.DealerID, d.PureDealType, d.DealType, d.DealTime, d.Ccy1, d.Ccy2, d.Volume1, d.ExchRate1, d.ValDateP1C1, d.ValDateP2C1, d.Status
FROM amounts a JOIN d ON d.TradeID = a.TradeID
ORDER BY d.CounterpartyID, d.PairCcy, d.TradeID;
