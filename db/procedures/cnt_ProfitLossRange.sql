-- procedure: cnt_ProfitLossRange
-- param: @UserName VarWChar 50
-- result 1: Caption Integer, StaffID Integer, BrClientDealVolume Currency, ClientCount BigInt
-- result 1: BrDealVolume Currency, DealCount BigInt, ProfitLoss Currency
-- Turnover and trading result per dealer of the FX deals (spot, outright,
-- swap) in the user's stored selections for owner 13: the date range (kind 2,
-- the first value date, a deal-date range, kind 1, applies as well when one
-- is stored), the dealer condition and dealers, and the client condition,
-- deleted, faulty and service deals are left out. One row per dealer
-- (StaffID, taken from the dealer's code when the deal lacks it), ordered by
-- StaffID. Amounts are in US dollars at the administrator's rate on the last
-- day of the range (the latest rate without one): BrDealVolume is the
-- first-currency amount of every deal (a swap counts once), DealCount their
-- number, BrClientDealVolume and ClientCount the same for client deals
-- (ClDeal = 2), and ProfitLoss the sum of every amount of the deals (both
-- currencies, both legs) in US dollars: what the dealer's deals are worth at
-- current rates. An amount in a currency without a rate counts as 0.
-- Caption is 0 on every row: the report reads one run of equal captions.
DROP TABLE IF EXISTS temp.plr_range;
CREATE TEMP TABLE plr_range AS
SELECT v.DateFrom AS vlo, v.DateTo AS vhi, d.DateFrom AS dlo, d.DateTo AS dhi
FROM (SELECT 1) one
LEFT JOIN FilterDateRange v ON v.UserName = @UserName AND v.OwnerID = 13 AND v.Kind = 2
LEFT JOIN FilterDateRange d ON d.UserName = @UserName AND d.OwnerID = 13 AND d.Kind = 1;

-- US dollars per unit of every currency at the administrator's rate.
DROP TABLE IF EXISTS temp.plr_rate;
CREATE TEMP TABLE plr_rate AS
SELECT k.CcyID AS Ccy,
       CASE WHEN k.Ccy = 'USD' THEN 1.0
            ELSE COALESCE((SELECT CASE WHEN k.DirectQuote = 1 THEN a.Rate ELSE 1.0 / a.Rate END
                           FROM AdminRates a
                           WHERE a.CcyID = k.CcyID AND a.Rate > 0
                             AND a.RateDate <= COALESCE((SELECT vhi FROM plr_range), (SELECT dhi FROM plr_range), '9999-12-31')
                           ORDER BY a.RateDate DESC LIMIT 1), 0.0) END AS UsdFactor
FROM Currencies k;

WITH d AS (
    SELECT COALESCE(t.StaffID, (SELECT st.StaffID FROM Staff st WHERE st.ShortName = t.DealerID)) AS StaffID,
           t.ClDeal,
           ABS(t.Volume1) * r1.UsdFactor AS UsdVolume,
           (t.Volume1 + CASE WHEN t.PureDealType = 8 THEN COALESCE(t.VolumeP2C1, 0) ELSE 0 END) * r1.UsdFactor
           + (COALESCE(t.VolumeP1C2, 0) + CASE WHEN t.PureDealType = 8 THEN COALESCE(t.VolumeP2C2, 0) ELSE 0 END)
             * COALESCE(r2.UsdFactor, 0.0) AS UsdResult
    FROM Tickets t
    JOIN plr_rate r1 ON r1.Ccy = t.Ccy1
    LEFT JOIN plr_rate r2 ON r2.Ccy = t.Ccy2
    WHERE t.ValDateP1C1 >= COALESCE((SELECT vlo FROM plr_range), '')
      AND t.ValDateP1C1 <= COALESCE((SELECT vhi FROM plr_range), '9999-12-31')
      AND t.DealTime >= COALESCE((SELECT dlo FROM plr_range), '')
      AND t.DealTime < COALESCE((SELECT date(dhi, '+1 day') FROM plr_range), '9999-12-31')
      AND t.PureDealType IN (2, 4, 8)
      AND t.Status >= 0
  AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 13 AND f.Kind = 1)
       OR t.DealerID IN (SELECT f.Value FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 13 AND f.Kind = 1)
       OR t.StaffID IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 13 AND f.Kind = 1))
  AND (NOT EXISTS (SELECT 1 FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 13)
       OR t.StaffID IN (SELECT s.StaffID FROM FilterDealer s WHERE s.UserName = @UserName AND s.OwnerID = 13))
  AND (NOT EXISTS (SELECT 1 FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 13 AND f.Kind = 5 AND f.Op = '=')
       OR t.ClDeal IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 13 AND f.Kind = 5 AND f.Op = '='))
  AND t.ClDeal NOT IN (SELECT f.NumValue FROM FilterCondition f WHERE f.UserName = @UserName AND f.OwnerID = 13 AND f.Kind = 5 AND f.Op = '<>'))
SELECT 0 AS Caption, StaffID,
       ROUND(SUM(CASE WHEN ClDeal = 2 THEN UsdVolume ELSE 0 END)) AS BrClientDealVolume,
       SUM(CASE WHEN ClDeal = 2 THEN 1 ELSE 0 END) AS ClientCount,
       ROUND(SUM(UsdVolume)) AS BrDealVolume,
       COUNT(*) AS DealCount,
       ROUND(SUM(UsdResult)) AS ProfitLoss
FROM d
GROUP BY StaffID
ORDER BY StaffID;
