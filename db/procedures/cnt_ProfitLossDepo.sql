-- procedure: cnt_ProfitLossDepo
-- param: @UserName VarWChar 50
-- param: @DateReport Date
-- result 1: Ccy Integer, ValDate Date, MatDate Date, TradeID BigInt, TicketNum BigInt, TCID VarWChar
-- result 1: DealTime Date, Status Integer, Bank1ID VarWChar, Bank1Name VarWChar, DealerID VarWChar
-- result 1: PayReceive Integer, Volume Currency, Rate Double, Duration Integer
-- result 1: GiveTax Double, TakeTax Double, MaxTakeRate Double, FixedRate Double
-- result 1: CurrentRate Double, DepoBase Integer
-- The deposits (deal type 16) outstanding on the report date: started on or
-- before it, maturing after it, done by its end. The report date is the
-- stored deal-date selection of owner 12 (kind 1, its last day), else
-- @DateReport, with neither, every deposit counts. Further stored selections
-- of owner 12: dealer condition and dealers, attributes, counterparties,
-- categories, statuses (without one the deleted, faulty and service deals
-- are left out) and currencies. The deal-type selection does not apply: this
-- report reads deposits only. One row per deposit, the deposits of one
-- currency together (given first), ordered by currency, side, start date and
-- deal. PayReceive is 2 for a given (placed) deposit and 1 for a taken one,
-- Volume the principal, positive, Rate the interest rate in per cent a year,
-- Duration the term in days. Per currency: the tax terms of DepoTaxes
-- (0 without a row), CurrentRate (the administrator's rate on the report
-- date as units per US dollar, see below) and DepoBase, the day basis.
DROP TABLE IF EXISTS temp.pld_range;
CREATE TEMP TABLE pld_range AS
SELECT COALESCE(d.DateTo, d.DateFrom, date(@DateReport)) AS RateDay
FROM (SELECT 1) one
LEFT JOIN FilterDateRange d ON d.UserName = @UserName AND d.OwnerID = 12 AND d.Kind = 1;

-- The administrator's rate of every currency as units per US dollar (the
-- deposit reports divide by it for every currency, so a currency quoted in
-- US dollars per unit is turned round), 1 for USD, 0 when there is none.
DROP TABLE IF EXISTS temp.pld_rate;
CREATE TEMP TABLE pld_rate AS
SELECT k.CcyID AS Ccy,
       CASE WHEN k.Ccy = 'USD' THEN 1.0
            ELSE COALESCE((SELECT CASE WHEN k.DirectQuote = 1 THEN 1.0 / a.Rate ELSE a.Rate END
                           FROM AdminRates a
                           WHERE a.CcyID = k.CcyID AND a.Rate > 0
                             AND a.RateDate <= COALESCE((SELECT RateDay FROM pld_range), '9999-12-31')
                           ORDER BY a.RateDate DESC LIMIT 1), 0.0) END AS CurrentRate
FROM Currencies k;

-- The deposits are collected first and sorted after, so that they are
-- found through a date index rather than read in currency order.
DROP TABLE IF EXISTS temp.pld_deal;
CREATE TEMP TABLE pld_deal AS
SELECT t.Ccy1 AS Ccy, t.ValDateP1C1 AS ValDate, t.ValDateP2C1 AS MatDate, t.TradeID, t.TicketNum, t.TCID,
       t.DealTime, t.Status, t.Bank1ID, t.Bank1Name, t.DealerID,
       CASE WHEN t.Volume1 < 0 THEN 2 ELSE 1 END AS PayReceive,
       ABS(t.Volume1) AS Volume, t.DepoRate AS Rate,
       CAST(julianday(t.ValDateP2C1) - julianday(t.ValDateP1C1) AS INTEGER) AS Duration,
       COALESCE(x.GiveTax, 0.0) AS GiveTax, COALESCE(x.TakeTax, 0.0) AS TakeTax,
       COALESCE(x.MaxTakeRate, 0.0) AS MaxTakeRate, COALESCE(x.FixedRate, 0.0) AS FixedRate,
       r.CurrentRate, k.DepoBase
-- (+t.Ccy1 keeps the currency index out of the joins: deposits are found by date.)
FROM Tickets t
JOIN Currencies k ON k.CcyID = +t.Ccy1
JOIN pld_rate r ON r.Ccy = +t.Ccy1
LEFT JOIN DepoTaxes x ON x.CcyID = +t.Ccy1
WHERE t.ValDateP2C1 > COALESCE((SELECT RateDay FROM pld_range), '')
  AND t.ValDateP1C1 <= COALESCE((SELECT RateDay FROM pld_range), '9999-12-31')
  AND t.DealTime < COALESCE((SELECT date(RateDay, '+1 day') FROM pld_range), '9999-12-31')
  AND t.PureDealType = 16
  AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 12 AND f.Kind = 1)
       OR t.DealerID IN (SELECT f.Value FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 12 AND f.Kind = 1)
       OR t.StaffID IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 12 AND f.Kind = 1))
  AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 12)
       OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 12))
  AND (NOT EXISTS (SELECT 1 FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 12) AND t.Status >= 0
       OR t.Status IN (SELECT s.StatusID FROM FilterStatus s WHERE s.UserName = @UserName AND s.OwnerID = 12))
  AND (NOT EXISTS (SELECT 1 FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 12)
       OR t.AttributeID IN (SELECT s.AttributeID FROM FilterAttribute s WHERE s.UserName = @UserName AND s.OwnerID = 12))
  AND (NOT EXISTS (SELECT 1 FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 12)
       OR t.Bank1ID IN (SELECT s.Bank1ID FROM FilterBank s WHERE s.UserName = @UserName AND s.OwnerID = 12))
  AND (NOT EXISTS (SELECT 1 FROM FilterCategory s WHERE s.UserName = @UserName AND s.OwnerID = 12)
       OR t.CPID IN (SELECT c.CPID FROM FilterCategory s
                     JOIN Categories k ON k.Name = s.Category
                     JOIN Counterparties c ON c.CategoryID = k.CategoryID
                     LEFT JOIN CounterpartyAttributes a ON a.CPID = c.CPID AND a.Attribute = s.Attribute
                     WHERE s.UserName = @UserName AND s.OwnerID = 12
                       AND (s.Attribute = '' OR a.Attribute IS NOT NULL)
                       AND (s.Value = '' OR a.Value = s.Value)))
  AND (NOT EXISTS (SELECT 1 FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 12)
       OR t.Ccy1 IN (SELECT s.CcyID FROM FilterCcy s WHERE s.UserName = @UserName AND s.OwnerID = 12));

SELECT * FROM pld_deal
ORDER BY Ccy, PayReceive DESC, ValDate, TradeID;
