-- procedure: cnt_DepoPosition
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- param: @WithArchive Boolean
-- result 1: Ccy Integer, ValDate Date, Volume Currency, Rate Double, Duration Integer, DepoType Integer, Interest Currency, TradeID BigInt, TicketNum BigInt, TCID VarWChar, Bank1ID VarWChar, DealType Integer, DealTime Date, DealerID VarWChar, Volume1 Currency, DepoRate Double, ValDateP1C1 Date, ValDateP2C1 Date, Tax Currency, RateTax Double, Status Integer
-- The deposits (PureDealType 16) of the stored selections for owner 5 whose
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
-- One row per deposit, ordered by currency, start date and ticket. With
-- @WithArchive set the settled deposits of Archive are read beside Tickets
-- (both tables have the same columns); unset or 0, Tickets only.
WITH
    matured AS MATERIALIZED (
        SELECT p.ValDateP2C1 AS Day, p.Ccy1, p.Bank1ID, p.Volume1 < 0 AS Given, p.TradeID
        FROM (SELECT * FROM Tickets
              UNION ALL
              SELECT * FROM Archive WHERE COALESCE(@WithArchive, 0) <> 0) p
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
       t.DepoRate * (1 - COALESCE((SELECT s.CustomValue FROM CustomSettings s WHERE s.CustomID = 1020), 0) / 100.0) AS RateTax, t.Status
FROM (SELECT * FROM Tickets
      UNION ALL
      SELECT * FROM Archive WHERE COALESCE(@WithArchive, 0) <> 0) t
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
         OR t.Ccy1 IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 5))
ORDER BY Ccy, ValDate, TicketNum, TradeID;
