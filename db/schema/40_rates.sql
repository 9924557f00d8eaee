-- Rates. A rate is the market quote of the currency against the US dollar:
-- US dollars per unit for the currencies with Currencies.DirectQuote = 1
-- (EUR, GBP, AUD, NZD), units per US dollar for the others. USD itself is 1.

-- The administrator's closing rate per currency and day (the profit and loss
-- reports' "CurrentRate").
CREATE TABLE AdminRates (
    CcyID    INTEGER NOT NULL REFERENCES Currencies (CcyID),
    RateDate TEXT    NOT NULL,
    Rate     REAL    NOT NULL,
    PRIMARY KEY (CcyID, RateDate)
);

-- Market bid and ask per currency and day: the source of the rate program.
-- Status 0 is a firm quote, 1 an indicative one; the rate program treats any
-- other status as no rate.
CREATE TABLE MarketRates (
    CcyID    INTEGER NOT NULL REFERENCES Currencies (CcyID),
    RateDate TEXT    NOT NULL,
    Bid      REAL    NOT NULL,
    Ask      REAL    NOT NULL,
    Status   INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (CcyID, RateDate)
);
