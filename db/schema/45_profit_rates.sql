-- Rates and terms read only by the profit and loss procedures.

-- The central bank's official rate per currency and day, in the same quote as
-- AdminRates (US dollars per unit for Currencies.DirectQuote = 1, units per US
-- dollar otherwise; USD has no rows). The profit by currency report values
-- its flows at it beside the administrator's rate ("USD CB").
CREATE TABLE CBRates (
    CcyID    INTEGER NOT NULL REFERENCES Currencies (CcyID),
    RateDate TEXT    NOT NULL,
    Rate     REAL    NOT NULL,
    PRIMARY KEY (CcyID, RateDate)
);

-- Tax terms of the deposit carry result, per currency. All rates are
-- fractions (0.10 = 10 %). GiveTax: the share of interest earned on given
-- (placed) deposits withheld as tax. TakeTax and MaxTakeRate: interest paid
-- on taken deposits above MaxTakeRate is charged TakeTax on the excess.
-- FixedRate: the currency's reference (key) rate, shown for information.
-- A currency without a row has no taxes.
CREATE TABLE DepoTaxes (
    CcyID       INTEGER NOT NULL PRIMARY KEY REFERENCES Currencies (CcyID),
    GiveTax     REAL    NOT NULL DEFAULT 0,
    TakeTax     REAL    NOT NULL DEFAULT 0,
    MaxTakeRate REAL    NOT NULL DEFAULT 0,
    FixedRate   REAL    NOT NULL DEFAULT 0
);
