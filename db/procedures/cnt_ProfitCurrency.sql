-- procedure: cnt_ProfitCurrency
-- param: @UserName VarWChar 50
-- result 1: Ccy Integer, ValDate Date, Volume Currency, USDVol1 Currency, USDVol2 Currency
-- result 1: TradeID BigInt, Leg Integer
-- result 2: Prl1 Currency, Prl2 Currency
-- result 3: TradeID BigInt, TicketNum BigInt, TCID VarWChar, DealTime Date, PureDealType Integer
-- result 3: DealType Integer, Status Integer, PairID Integer, Ccy1 Integer, Ccy2 Integer
-- result 3: Volume1 Currency, VolumeP1C2 Currency, ExchRate1 Double, ExchRate2 Double
-- result 3: ValDateP1C1 Date, ValDateP2C1 Date, Bank1ID VarWChar, Bank1Name VarWChar
-- result 3: DealerID VarWChar
-- The currency amounts of the FX deals (spot, outright, swap) in the user's
-- stored selections for owner 20: the deal-date range (kind 1), the
-- value-date range (kind 2, applied to each amount's value date), dealer
-- condition and dealers, deal types, attributes, counterparties, categories,
-- statuses (without one the deleted, faulty and service deals are left out)
-- and currencies (applied to each amount).
-- Result 1: one row per amount (both currencies of the first leg and of a
-- swap's far leg, Leg 1 or 2), ordered by currency, value date and deal, so
-- the rows of one currency and value date are together. Volume is the signed
-- amount (positive received), USDVol1 the amount in US dollars at the
-- administrator's rate and USDVol2 at the central bank's rate (CBRates),
-- each the latest on or before the end of the value-date range (else of the
-- deal-date range, else the latest), 0 for a currency without that rate.
-- Result 2: one row, Prl1 and Prl2: the sums of USDVol1 and USDVol2, what
-- the deals come to at the two valuations.
-- Result 3: the deals of result 1, one row each, ordered by TradeID.
DROP TABLE IF EXISTS temp.pc_range;
CREATE TEMP TABLE pc_range AS
SELECT v.DateFrom AS vlo, v.DateTo AS vhi, d.DateFrom AS dlo, d.DateTo AS dhi,
       COALESCE(v.DateTo, d.DateTo, '9999-12-31') AS RateDay
FROM (SELECT 1) one
LEFT JOIN FilterDateRange v ON v.UserName = @UserName AND v.OwnerID = 20 AND v.Kind = 2
LEFT JOIN FilterDateRange d ON d.UserName = @UserName AND d.OwnerID = 20 AND d.Kind = 1;

-- US dollars per unit of every currency at the two rates.
DROP TABLE IF EXISTS temp.pc_rate;
CREATE TEMP TABLE pc_rate AS
SELECT k.CcyID AS Ccy,
       CASE WHEN k.Ccy = 'USD' THEN 1.0
            ELSE COALESCE((SELECT CASE WHEN k.DirectQuote = 1 THEN a.Rate ELSE 1.0 / a.Rate END
                           FROM AdminRates a
                           WHERE a.CcyID = k.CcyID AND a.Rate > 0 AND a.RateDate <= (SELECT RateDay FROM pc_range)
                           ORDER BY a.RateDate DESC LIMIT 1), 0.0) END AS AdminFactor,
       CASE WHEN k.Ccy = 'USD' THEN 1.0
            ELSE COALESCE((SELECT CASE WHEN k.DirectQuote = 1 THEN c.Rate ELSE 1.0 / c.Rate END
                           FROM CBRates c
                           WHERE c.CcyID = k.CcyID AND c.Rate > 0 AND c.RateDate <= (SELECT RateDay FROM pc_range)
                           ORDER BY c.RateDate DESC LIMIT 1), 0.0) END AS CBFactor
FROM Currencies k;

DROP TABLE IF EXISTS temp.pc_flow;
CREATE TEMP TABLE pc_flow AS
WITH d AS MATERIALIZED (
    SELECT t.TradeID, t.PureDealType, t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
           t.ValDateP1C1, COALESCE(t.ValDateP1C2, t.ValDateP1C1) AS ValDateP1C2,
           t.ValDateP2C1, COALESCE(t.ValDateP2C2, t.ValDateP2C1) AS ValDateP2C2
    FROM Tickets t
    WHERE t.DealTime >= COALESCE((SELECT dlo FROM pc_range), '')
      AND t.DealTime < COALESCE((SELECT date(dhi, '+1 day') FROM pc_range), '9999-12-31')
      AND t.PureDealType IN (2, 4, 8)
  AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 20 AND f.Kind = 1)
       OR t.DealerID IN (SELECT f.Value FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 20 AND f.Kind = 1)
       OR t.StaffID IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 20 AND f.Kind = 1))
  AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 20)
       OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 20))
  AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 20)
       OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 20))
  AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 20) AND t.Status >= 0
       OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 20))
  AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 20)
       OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 20))
  AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 20)
       OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 20))
  AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 20)
       OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                     JOIN Categories k ON k.Name = s.Category
                     JOIN Counterparties c ON c.CategoryID = k.CategoryID
                     LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                     WHERE s.UserName = @UserName AND s.OwnerID = 20
                       AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                       AND (s.Value = '' OR a.Value = s.Value)))),
    f AS (
    SELECT TradeID, Ccy1 AS Ccy, ValDateP1C1 AS ValDate, Volume1 AS Volume, 1 AS Leg FROM d
    UNION ALL
    SELECT TradeID, Ccy2, ValDateP1C2, COALESCE(VolumeP1C2, 0), 1 FROM d WHERE Ccy2 IS NOT NULL
    UNION ALL
    SELECT TradeID, Ccy1, ValDateP2C1, COALESCE(VolumeP2C1, 0), 2 FROM d
    WHERE PureDealType = 8 AND ValDateP2C1 IS NOT NULL
    UNION ALL
    SELECT TradeID, Ccy2, ValDateP2C2, COALESCE(VolumeP2C2, 0), 2 FROM d
    WHERE PureDealType = 8 AND Ccy2 IS NOT NULL AND ValDateP2C2 IS NOT NULL)
SELECT f.Ccy, f.ValDate, f.Volume,
       ROUND(f.Volume * r.AdminFactor) AS USDVol1, ROUND(f.Volume * r.CBFactor) AS USDVol2,
       f.TradeID, f.Leg
FROM f JOIN pc_rate r ON r.Ccy = f.Ccy
WHERE f.ValDate >= COALESCE((SELECT vlo FROM pc_range), '')
  AND f.ValDate <= COALESCE((SELECT vhi FROM pc_range), '9999-12-31')
  AND (NOT EXISTS (SELECT 1 FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 20)
       OR f.Ccy IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 20));

SELECT Ccy, ValDate, Volume, USDVol1, USDVol2, TradeID, Leg
FROM pc_flow
ORDER BY Ccy, ValDate, TradeID, Leg;

SELECT COALESCE(SUM(USDVol1), 0) AS Prl1, COALESCE(SUM(USDVol2), 0) AS Prl2 FROM pc_flow;

SELECT t.TradeID, t.TicketNum, t.TCID, t.DealTime, t.PureDealType, t.DealType, t.Status, t.PairID,
       t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.ExchRate1, t.ExchRate2, t.ValDateP1C1, t.ValDateP2C1,
       t.Bank1ID, t.Bank1Name, t.DealerID
FROM Tickets t
WHERE t.TradeID IN (SELECT TradeID FROM pc_flow)
ORDER BY t.TradeID;
