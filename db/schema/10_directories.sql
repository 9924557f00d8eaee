-- Directories of the trading database: currencies, pairs, staff, desks,
-- counterparties and their categories, brokers, TCIDs, statuses, deal
-- attributes and custom settings. Every column is described in db/README.md.
-- Types are kept to INTEGER, TEXT and REAL so that a PostgreSQL version is a
-- translation (INTEGER -> integer/bigint, TEXT dates -> date/timestamp).

CREATE TABLE Currencies (
    CcyID       INTEGER NOT NULL PRIMARY KEY,
    Ccy         TEXT    NOT NULL UNIQUE,
    Name        TEXT    NOT NULL,
    ParentCcyID INTEGER NULL REFERENCES Currencies (CcyID),
    DirectQuote INTEGER NOT NULL DEFAULT 0,
    DepoBase    INTEGER NOT NULL DEFAULT 360,
    Decimals    INTEGER NOT NULL DEFAULT 2,
    SortOrder   INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE Pairs (
    PairID    INTEGER NOT NULL PRIMARY KEY,
    Ccy1      INTEGER NOT NULL REFERENCES Currencies (CcyID),
    Ccy2      INTEGER NOT NULL REFERENCES Currencies (CcyID),
    Name      TEXT    NOT NULL UNIQUE,
    SpotDays  INTEGER NOT NULL DEFAULT 2,
    RateDecimals INTEGER NOT NULL DEFAULT 4,
    SortOrder INTEGER NOT NULL DEFAULT 0,
    UNIQUE (Ccy1, Ccy2)
);

CREATE TABLE Desks (
    DeskID INTEGER NOT NULL PRIMARY KEY,
    Name   TEXT    NOT NULL UNIQUE
);

CREATE TABLE Staff (
    StaffID     INTEGER NOT NULL PRIMARY KEY,
    ShortName   TEXT    NOT NULL UNIQUE,
    FullName    TEXT    NOT NULL,
    IsDealer    INTEGER NOT NULL DEFAULT 0,
    IsTrader    INTEGER NOT NULL DEFAULT 0,
    IsConfirmer INTEGER NOT NULL DEFAULT 0,
    DeskID      INTEGER NULL REFERENCES Desks (DeskID),
    Active      INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE Statuses (
    StatusID INTEGER NOT NULL PRIMARY KEY,
    Name     TEXT    NOT NULL UNIQUE
);

CREATE TABLE TCIDs (
    TCID   TEXT    NOT NULL PRIMARY KEY,
    Name   TEXT    NOT NULL,
    DeskID INTEGER NULL REFERENCES Desks (DeskID)
);

CREATE TABLE Attributes (
    AttributeID INTEGER NOT NULL PRIMARY KEY,
    Name        TEXT    NOT NULL UNIQUE
);

CREATE TABLE Categories (
    CategoryID INTEGER NOT NULL PRIMARY KEY,
    Name       TEXT    NOT NULL UNIQUE
);

-- The attributes a category's counterparties are described by, with every
-- value an attribute may take (the second and third level of the legend tree).
CREATE TABLE CategoryAttributes (
    CategoryID INTEGER NOT NULL REFERENCES Categories (CategoryID),
    Attribute  TEXT    NOT NULL,
    Value      TEXT    NOT NULL,
    PRIMARY KEY (CategoryID, Attribute, Value)
);

CREATE TABLE Counterparties (
    CPID         INTEGER NOT NULL PRIMARY KEY,
    ShortName    TEXT    NOT NULL UNIQUE,
    FullBankName TEXT    NOT NULL,
    CategoryID   INTEGER NULL REFERENCES Categories (CategoryID),
    Netting      INTEGER NOT NULL DEFAULT 0,
    Country      TEXT    NULL,
    SwiftCode    TEXT    NULL
);
CREATE INDEX IX_Counterparties_Category ON Counterparties (CategoryID);

-- The value of one category attribute for one counterparty.
CREATE TABLE CounterpartyAttributes (
    CPID      INTEGER NOT NULL REFERENCES Counterparties (CPID),
    Attribute TEXT    NOT NULL,
    Value     TEXT    NOT NULL,
    PRIMARY KEY (CPID, Attribute)
);

-- Category records as the directory lists them: each category with its
-- entries, the short names of its counterparties.
CREATE VIEW CategoryEntries AS
    SELECT k.CategoryID AS CategoryID, k.Name AS Category, c.ShortName AS Entry, c.CPID AS CPID
    FROM Categories k JOIN Counterparties c ON c.CategoryID = k.CategoryID;

CREATE TABLE Brokers (
    BrID           INTEGER NOT NULL PRIMARY KEY,
    ShortName      TEXT    NOT NULL UNIQUE,
    FullName       TEXT    NOT NULL,
    CommissionRate REAL    NOT NULL DEFAULT 0,
    CommissionCcy  TEXT    NOT NULL DEFAULT 'USD',
    Active         INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE CustomSettings (
    CustomID    INTEGER NOT NULL PRIMARY KEY,
    Name        TEXT    NOT NULL,
    CustomValue INTEGER NULL
);

-- Raised errors of the procedures. SQLite's RAISE() takes only a literal
-- message, so a procedure that rejects its arguments inserts the reason's code
-- here and the matching trigger aborts the statement with the message. The
-- table never holds a row.
CREATE TABLE ArgumentCheck (
    Reason TEXT NOT NULL
);
CREATE TRIGGER ArgumentCheck_Condition BEFORE INSERT ON ArgumentCheck
    WHEN NEW.Reason = 'condition'
BEGIN
    SELECT RAISE(ABORT, 'Unrecognised condition text');
END;
CREATE TRIGGER ArgumentCheck_IsDelete BEFORE INSERT ON ArgumentCheck
    WHEN NEW.Reason = 'isDelete'
BEGIN
    SELECT RAISE(ABORT, '@isDelete must be 1 (add an entry) or 2 (clear the selection)');
END;
CREATE TRIGGER ArgumentCheck_IdList BEFORE INSERT ON ArgumentCheck
    WHEN NEW.Reason = 'idlist'
BEGIN
    SELECT RAISE(ABORT, 'Identifier list entries must be whole numbers');
END;
CREATE TRIGGER ArgumentCheck_Missing BEFORE INSERT ON ArgumentCheck
    WHEN NEW.Reason = 'missing'
BEGIN
    SELECT RAISE(ABORT, 'A required parameter is missing');
END;
CREATE TRIGGER ArgumentCheck_Category BEFORE INSERT ON ArgumentCheck
    WHEN NEW.Reason = 'category'
BEGIN
    SELECT RAISE(ABORT, 'A category key has at most three parts: category|attribute|value');
END;
CREATE TRIGGER ArgumentCheck_Nostro BEFORE INSERT ON ArgumentCheck
    WHEN NEW.Reason = 'nostro'
BEGIN
    SELECT RAISE(ABORT, 'A LORO/NOSTRO code is 2 (LORO), 1 (NOSTRO) or 0 (none)');
END;
CREATE TRIGGER ArgumentCheck_Other BEFORE INSERT ON ArgumentCheck
    WHEN NEW.Reason NOT IN ('condition', 'isDelete', 'idlist', 'missing', 'category', 'nostro')
BEGIN
    SELECT RAISE(ABORT, 'Invalid procedure argument');
END;
