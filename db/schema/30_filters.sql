-- The server-side filter store: the selections a report prepares before its
-- procedure runs, keyed by the working user's name and the report's owner
-- number. A selection that holds no row for (UserName, OwnerID[, Kind]) is no
-- restriction. The Store* procedures replace the rows of one key at a time;
-- the report procedures read them. db/README.md ("Filter store") gives the
-- SQL pattern each report procedure uses.

-- Date bounds; Kind 1 limits the deal (trade, report) date, Kind 2 the value
-- date. A NULL bound is open on that side.
CREATE TABLE FilterDateRange (
    UserName TEXT    NOT NULL,
    OwnerID  INTEGER NOT NULL,
    Kind     INTEGER NOT NULL,
    DateFrom TEXT    NULL,
    DateTo   TEXT    NULL,
    PRIMARY KEY (UserName, OwnerID, Kind)
);

-- Stored condition texts, parsed into terms by StoreCondition. Kind 1 dealer
-- (Field 'DealerID'), 5 client (Field 'ClDeal'), 7 netting (Field 'NETTING').
-- Op is '=' or '<>'. Value is the compared text; NumValue the same as a whole
-- number when it is one (always for ClDeal and NETTING).
CREATE TABLE FilterCondition (
    UserName TEXT    NOT NULL,
    OwnerID  INTEGER NOT NULL,
    Kind     INTEGER NOT NULL,
    Field    TEXT    NOT NULL,
    Op       TEXT    NOT NULL,
    Value    TEXT    NOT NULL,
    NumValue INTEGER NULL,
    PRIMARY KEY (UserName, OwnerID, Kind, Op, Value)
);
-- Only the fields and operators the procedures know how to apply are stored.
CREATE TRIGGER FilterCondition_Terms BEFORE INSERT ON FilterCondition
    WHEN NOT ((NEW.Kind = 1 AND NEW.Field = 'DealerID' AND NEW.Op = '=')
           OR (NEW.Kind = 5 AND NEW.Field = 'ClDeal' AND NEW.Op IN ('=', '<>') AND NEW.NumValue IS NOT NULL)
           OR (NEW.Kind = 7 AND NEW.Field = 'NETTING' AND NEW.Op IN ('=', '<>') AND NEW.NumValue IS NOT NULL))
BEGIN
    SELECT RAISE(ABORT, 'Unrecognised condition text');
END;

CREATE TABLE FilterTCID (
    UserName TEXT    NOT NULL,
    OwnerID  INTEGER NOT NULL,
    TCID     TEXT    NOT NULL,
    PRIMARY KEY (UserName, OwnerID, TCID)
);

CREATE TABLE FilterAttribute (
    UserName    TEXT    NOT NULL,
    OwnerID     INTEGER NOT NULL,
    AttributeID INTEGER NOT NULL,
    PRIMARY KEY (UserName, OwnerID, AttributeID)
);

-- PureDealType bit codes (2 Spot, 4 Outright, 8 Swap, 16 Deposit, 32 FRA).
CREATE TABLE FilterDealType (
    UserName TEXT    NOT NULL,
    OwnerID  INTEGER NOT NULL,
    DealType INTEGER NOT NULL,
    PRIMARY KEY (UserName, OwnerID, DealType)
);

-- Counterparties by short name (the deals' Bank1ID).
CREATE TABLE FilterBank (
    UserName TEXT    NOT NULL,
    OwnerID  INTEGER NOT NULL,
    Bank1ID  TEXT    NOT NULL,
    PRIMARY KEY (UserName, OwnerID, Bank1ID)
);

-- Category selection: a whole category (Attribute and Value empty), one
-- attribute of it (Value empty), or one value of one attribute. Empty parts
-- are stored as '' rather than NULL so that the key stays unique.
CREATE TABLE FilterCategory (
    UserName  TEXT    NOT NULL,
    OwnerID   INTEGER NOT NULL,
    Category  TEXT    NOT NULL,
    Attribute TEXT    NOT NULL DEFAULT '',
    Value     TEXT    NOT NULL DEFAULT '',
    PRIMARY KEY (UserName, OwnerID, Category, Attribute, Value)
);

CREATE TABLE FilterStatus (
    UserName   TEXT    NOT NULL,
    OwnerID    INTEGER NOT NULL,
    StatusID   INTEGER NOT NULL,
    StatusName TEXT    NULL,
    PRIMARY KEY (UserName, OwnerID, StatusID)
);

CREATE TABLE FilterPair (
    UserName TEXT    NOT NULL,
    OwnerID  INTEGER NOT NULL,
    PairID   INTEGER NOT NULL,
    PRIMARY KEY (UserName, OwnerID, PairID)
);

CREATE TABLE FilterCcy (
    UserName TEXT    NOT NULL,
    OwnerID  INTEGER NOT NULL,
    CcyID    INTEGER NOT NULL,
    PRIMARY KEY (UserName, OwnerID, CcyID)
);

-- Dealers by staff number, stored one at a time by StoreDealerF.
CREATE TABLE FilterDealer (
    UserName  TEXT    NOT NULL,
    OwnerID   INTEGER NOT NULL,
    StaffID   INTEGER NOT NULL,
    ShortName TEXT    NULL,
    PRIMARY KEY (UserName, OwnerID, StaffID)
);

-- LORO/NOSTRO codes (2 LORO, 1 NOSTRO, 0 none), stored one at a time by StoreNostroF.
CREATE TABLE FilterNostro (
    UserName   TEXT    NOT NULL,
    OwnerID    INTEGER NOT NULL,
    LoroNostro INTEGER NOT NULL,
    PRIMARY KEY (UserName, OwnerID, LoroNostro)
);
