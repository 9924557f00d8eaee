-- procedure: cnt_ProfitLoss
-- param: @UserName VarWChar 50
-- param: @TotalCom Currency output
-- result 1: Ccy Integer, ValDate Date, TradeID BigInt, TicketNum BigInt, TCID VarWChar
-- result 1: DealTime Date, PureDealType Integer, DealType Integer, Status Integer, PairID Integer
-- result 1: Bank1ID VarWChar, Bank1Name VarWChar, DealerID VarWChar, Volume Currency
-- result 1: Commission Currency, Rate Double
-- result 2: Caption Integer, ValDate Date, Sell Currency, Buy Currency, Comission Currency
-- result 2: moveOVP Currency, StartRate Double, CurrentRate Double, Deals BigInt
-- result 2: CcyCode VarWChar, DirectQuote Integer
-- The trading result of the FX deals (spot, outright, swap) of the report
-- date, per currency and value date, limited by the user's stored selections
-- for owner 11: report date (deal date, kind 1), dealer condition and
-- dealers, deal types, attributes, counterparties, categories, statuses
-- (without a status selection the deleted, faulty and service deals are left
-- out), client condition, and currencies (applied to each amount).
-- Result 1: the day's deals as the deal list of the rows: one row per
-- currency amount (the booked commission with the amount in its currency, or
-- on a row of its own), ordered by currency, value date, deal and leg.
-- Result 2: one row per currency and value date, in that order. Sell and Buy
-- are the sums of the negative and positive amounts of the day's deals,
-- Comission the commission booked on them in that currency, moveOVP the
-- start position: the net amount, on that value date, of the deals done
-- before the report date that settle on or after it, Deals the number of the
-- day's deals with an amount on the row. StartRate and CurrentRate are the
-- administrator's rates before and on the report date; CcyCode and
-- DirectQuote are the currency's code and quote (1: US dollars per unit), for
-- revaluing at another rate source's rate. @TotalCom is the
-- tariff commission of the broker deals booked without a commission, in USD.
-- Without a report date every deal counts as the day's and nothing is carried.
DROP TABLE IF EXISTS temp.pl_range;
CREATE TEMP TABLE pl_range AS
SELECT r.DateFrom AS lo, r.DateTo AS hi
FROM (SELECT 1) one LEFT JOIN FilterDateRange r ON r.UserName = @UserName AND r.OwnerID = 11 AND r.Kind = 1;

-- The candidates: the deals of the report date and, for the start position,
-- the deals done before it with a first or second value date from a week
-- before it on (the two currencies of one leg settle within days of each
-- other, each amount is checked exactly below). The day's deals are one range
-- of the deal-time index, without a report date one pass over the table in
-- its own order. The carried deals are found per value date: near and far
-- step through the distinct first and second value dates from a week before
-- the report date on, one index seek each, and each date's deals done before
-- the report date are picked from the value-date index by their deal time
-- and type, so only the rows that count are read from the table.
DROP TABLE IF EXISTS temp.pl_cand;
CREATE TEMP TABLE pl_cand AS
WITH RECURSIVE
near(d) AS (
    SELECT MIN(ValDateP1C1) FROM Tickets WHERE ValDateP1C1 >= (SELECT date(lo, '-7 days') FROM pl_range)
    UNION ALL
    SELECT (SELECT MIN(ValDateP1C1) FROM Tickets WHERE ValDateP1C1 > near.d) FROM near WHERE near.d IS NOT NULL),
far(d) AS (
    SELECT MIN(ValDateP2C1) FROM Tickets WHERE ValDateP2C1 >= (SELECT date(lo, '-7 days') FROM pl_range)
    UNION ALL
    SELECT (SELECT MIN(ValDateP2C1) FROM Tickets WHERE ValDateP2C1 > far.d) FROM far WHERE far.d IS NOT NULL)
SELECT 0 AS Carried, t.TradeID, t.PureDealType, t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
       t.ValDateP1C1, COALESCE(t.ValDateP1C2, t.ValDateP1C1) AS ValDateP1C2,
       t.ValDateP2C1, COALESCE(t.ValDateP2C2, t.ValDateP2C1) AS ValDateP2C2,
       t.Commission, t.CommissionCcy, t.BrokerID,
       t.ExchRate1, t.ExchRate2, t.Status, t.StaffID, t.DealerID, t.ClDeal, t.AttributeID, t.Bank1ID, t.CPID
FROM Tickets t
WHERE t.DealTime >= (SELECT lo FROM pl_range)
  AND t.DealTime < COALESCE((SELECT date(hi, '+1 day') FROM pl_range), '9999-12-31')
  AND t.PureDealType IN (2, 4, 8)
UNION ALL
SELECT 0, t.TradeID, t.PureDealType, t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
       t.ValDateP1C1, COALESCE(t.ValDateP1C2, t.ValDateP1C1) AS ValDateP1C2,
       t.ValDateP2C1, COALESCE(t.ValDateP2C2, t.ValDateP2C1) AS ValDateP2C2,
       t.Commission, t.CommissionCcy, t.BrokerID,
       t.ExchRate1, t.ExchRate2, t.Status, t.StaffID, t.DealerID, t.ClDeal, t.AttributeID, t.Bank1ID, t.CPID
FROM Tickets t
WHERE (SELECT lo FROM pl_range) IS NULL
  AND +t.DealTime < COALESCE((SELECT date(hi, '+1 day') FROM pl_range), '9999-12-31')
  AND t.PureDealType IN (2, 4, 8)
UNION ALL
SELECT 1, t.TradeID, t.PureDealType, t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
       t.ValDateP1C1, COALESCE(t.ValDateP1C2, t.ValDateP1C1) AS ValDateP1C2,
       t.ValDateP2C1, COALESCE(t.ValDateP2C2, t.ValDateP2C1) AS ValDateP2C2,
       t.Commission, t.CommissionCcy, t.BrokerID,
       t.ExchRate1, t.ExchRate2, t.Status, t.StaffID, t.DealerID, t.ClDeal, t.AttributeID, t.Bank1ID, t.CPID
FROM near CROSS JOIN Tickets t ON t.ValDateP1C1 = near.d
WHERE t.DealTime < (SELECT lo FROM pl_range)
  AND t.PureDealType IN (2, 4, 8)
UNION ALL
SELECT 1, t.TradeID, t.PureDealType, t.Ccy1, t.Ccy2, t.Volume1, t.VolumeP1C2, t.VolumeP2C1, t.VolumeP2C2,
       t.ValDateP1C1, COALESCE(t.ValDateP1C2, t.ValDateP1C1) AS ValDateP1C2,
       t.ValDateP2C1, COALESCE(t.ValDateP2C2, t.ValDateP2C1) AS ValDateP2C2,
       t.Commission, t.CommissionCcy, t.BrokerID,
       t.ExchRate1, t.ExchRate2, t.Status, t.StaffID, t.DealerID, t.ClDeal, t.AttributeID, t.Bank1ID, t.CPID
FROM far CROSS JOIN Tickets t ON t.ValDateP2C1 = far.d
WHERE t.ValDateP1C1 < (SELECT date(lo, '-7 days') FROM pl_range)
  AND t.DealTime < (SELECT lo FROM pl_range)
  AND t.PureDealType IN (2, 4, 8);

-- The candidates that pass the stored selections, with the currency of the
-- booked commission (the deal's, else its broker's).
DROP TABLE IF EXISTS temp.pl_deal;
CREATE TEMP TABLE pl_deal AS
SELECT t.*, kc.CcyID AS ComCcy
FROM pl_cand t
LEFT JOIN Brokers b ON b.BrID = t.BrokerID
LEFT JOIN Currencies kc ON kc.Ccy = COALESCE(t.CommissionCcy, b.CommissionCcy)
WHERE 1 = 1
  AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 11 AND f.Kind = 1)
       OR t.DealerID IN (SELECT f.Value FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 11 AND f.Kind = 1)
       OR t.StaffID IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 11 AND f.Kind = 1))
  AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 11)
       OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 11))
  AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 11 AND f.Kind = 5 AND f.Op = '=')
       OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 11 AND f.Kind = 5 AND f.Op = '='))
  AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 11 AND f.Kind = 5 AND f.Op = '<>')
  AND (NOT EXISTS (SELECT 1 FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 11)
       OR t.PureDealType IN (SELECT s.DealType FROM FilterDealType s WHERE s.UserName = @UserName AND s.OwnerID = 11))
  AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 11) AND t.Status >= 0
       OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 11))
  AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 11)
       OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 11))
  AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 11)
       OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 11))
  AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 11)
       OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                     JOIN Categories k ON k.Name = s.Category
                     JOIN Counterparties c ON c.CategoryID = k.CategoryID
                     LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                     WHERE s.UserName = @UserName AND s.OwnerID = 11
                       AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                       AND (s.Value = '' OR a.Value = s.Value)));

-- One row per currency amount: both currencies of the first leg (Leg 1) and of a swap's far leg (Leg 2).
-- The booked commission goes with the first-leg amount in its currency, or
-- on a row of its own (Leg 0, no amount) when the deal does not trade that
-- currency. Cnt counts the deal once per row (a far leg on its near leg's
-- value date adds nothing). Carried amounts count from the report date on.
DROP TABLE IF EXISTS temp.pl_flow;
CREATE TEMP TABLE pl_flow AS
WITH f AS (
    SELECT d.TradeID, d.Carried, d.Ccy1 AS Ccy, d.ValDateP1C1 AS ValDate, d.Volume1 AS Volume,
           CASE WHEN d.Carried = 0 AND d.ComCcy = d.Ccy1 THEN COALESCE(d.Commission, 0) ELSE 0 END AS Com,
           1 AS Leg, 1 AS Cnt, d.ExchRate1 AS Rate
    FROM pl_deal d
    UNION ALL
    SELECT d.TradeID, d.Carried, d.Ccy2, d.ValDateP1C2, COALESCE(d.VolumeP1C2, 0),
           CASE WHEN d.Carried = 0 AND d.ComCcy = d.Ccy2 THEN COALESCE(d.Commission, 0) ELSE 0 END,
           1, 1, d.ExchRate1
    FROM pl_deal d WHERE d.Ccy2 IS NOT NULL
    UNION ALL
    SELECT d.TradeID, d.Carried, d.Ccy1, d.ValDateP2C1, COALESCE(d.VolumeP2C1, 0), 0,
           2, CASE WHEN d.ValDateP2C1 <> d.ValDateP1C1 THEN 1 ELSE 0 END, d.ExchRate2
    FROM pl_deal d WHERE d.PureDealType = 8 AND d.ValDateP2C1 IS NOT NULL
    UNION ALL
    SELECT d.TradeID, d.Carried, d.Ccy2, d.ValDateP2C2, COALESCE(d.VolumeP2C2, 0), 0,
           2, CASE WHEN d.ValDateP2C2 <> d.ValDateP1C2 THEN 1 ELSE 0 END, d.ExchRate2
    FROM pl_deal d WHERE d.PureDealType = 8 AND d.Ccy2 IS NOT NULL AND d.ValDateP2C2 IS NOT NULL
    UNION ALL
    SELECT d.TradeID, d.Carried, d.ComCcy, d.ValDateP1C1, 0, d.Commission, 0, 0, d.ExchRate1
    FROM pl_deal d
    WHERE d.Carried = 0 AND d.Commission <> 0 AND d.ComCcy <> d.Ccy1 AND d.ComCcy IS NOT d.Ccy2)
SELECT f.TradeID, f.Carried, f.Ccy, f.ValDate, f.Volume, f.Com, f.Leg, f.Cnt, f.Rate
FROM f
WHERE (f.Carried = 0 OR f.ValDate >= (SELECT lo FROM pl_range))
  AND (NOT EXISTS (SELECT 1 FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 11)
       OR f.Ccy IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 11));

-- The administrator's rates of every currency (market quote against USD):
-- the current rate is the latest on or before the end of the report date,
-- the start rate the latest before it, 0 when there is none. UsdFactor turns
-- an amount of the currency into US dollars at the current rate.
DROP TABLE IF EXISTS temp.pl_rate;
CREATE TEMP TABLE pl_rate AS
SELECT x.CcyID AS Ccy, x.StartRate, x.CurrentRate,
       CASE WHEN x.CurrentRate = 0 THEN 0.0
            WHEN x.DirectQuote = 1 THEN x.CurrentRate
            ELSE 1.0 / x.CurrentRate END AS UsdFactor
FROM (SELECT k.CcyID, k.DirectQuote,
             CASE WHEN k.Ccy = 'USD' THEN 1.0
                  ELSE COALESCE((SELECT a.Rate FROM AdminRates a
                                 WHERE a.CcyID = k.CcyID AND a.Rate > 0
                                   AND a.RateDate < COALESCE((SELECT lo FROM pl_range), '9999-12-31')
                                 ORDER BY a.RateDate DESC LIMIT 1), 0.0) END AS StartRate,
             CASE WHEN k.Ccy = 'USD' THEN 1.0
                  ELSE COALESCE((SELECT a.Rate FROM AdminRates a
                                 WHERE a.CcyID = k.CcyID AND a.Rate > 0
                                   AND a.RateDate <= COALESCE((SELECT hi FROM pl_range), '9999-12-31')
                                 ORDER BY a.RateDate DESC LIMIT 1), 0.0) END AS CurrentRate
      FROM Currencies k) x;

SELECT f.Ccy, f.ValDate, f.TradeID, t.TicketNum, t.TCID, t.DealTime, t.PureDealType, t.DealType,
       t.Status, t.PairID, t.Bank1ID, t.Bank1Name, t.DealerID, f.Volume, f.Com AS Commission, f.Rate
FROM pl_flow f JOIN Tickets t ON t.TradeID = f.TradeID
WHERE f.Carried = 0
ORDER BY f.Ccy, f.ValDate, f.TradeID, f.Leg;

SELECT g.Ccy AS Caption, g.ValDate, g.Sell, g.Buy, g.Comission, g.moveOVP, r.StartRate, r.CurrentRate, g.Deals,
       k.Ccy AS CcyCode, k.DirectQuote
FROM (SELECT f.Ccy, f.ValDate,
             SUM(CASE WHEN f.Carried = 0 AND f.Volume < 0 THEN f.Volume ELSE 0 END) AS Sell,
             SUM(CASE WHEN f.Carried = 0 AND f.Volume > 0 THEN f.Volume ELSE 0 END) AS Buy,
             SUM(CASE WHEN f.Carried = 0 THEN f.Com ELSE 0 END) AS Comission,
             SUM(CASE WHEN f.Carried = 1 THEN f.Volume ELSE 0 END) AS moveOVP,
             SUM(CASE WHEN f.Carried = 0 THEN f.Cnt ELSE 0 END) AS Deals
      FROM pl_flow f
      GROUP BY f.Ccy, f.ValDate) g
JOIN pl_rate r ON r.Ccy = g.Ccy JOIN Currencies k ON k.CcyID = g.Ccy
ORDER BY g.Ccy, g.ValDate;

-- The brokers' tariff commission of the broker deals booked without one
-- (CommissionRate per million of the first-currency amount, in the broker's
-- currency), in US dollars, only deals shown in the first result set count.
SELECT COALESCE(ROUND(SUM(ROUND(ABS(d.Volume1) * b.CommissionRate / 1000000.0) * r.UsdFactor)), 0) AS "@TotalCom"
FROM pl_deal d
JOIN Brokers b ON b.BrID = d.BrokerID
JOIN Currencies k ON k.Ccy = b.CommissionCcy
JOIN pl_rate r ON r.Ccy = k.CcyID
WHERE d.Carried = 0 AND d.Commission IS NULL
  AND d.TradeID IN (SELECT TradeID FROM pl_flow WHERE Carried = 0 AND Leg > 0);
