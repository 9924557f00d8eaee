-- procedure: StoreCcyF
-- param: @UserName VarWChar 50
-- param: @ownID Integer
-- param: @CcyIDs VarWChar 8000
-- Replaces the stored currency identifiers (Currencies.CcyID) of one user and owner.
-- @CcyIDs holds the entries joined with '|'. NULL, an empty text or a list whose
-- first entry is All stores nothing, which is no restriction. Entries are
-- trimmed and empty ones skipped. An entry that is not a whole number fails
-- the call before anything changes.
-- The list is split where it is used (no working table: creating one would
-- make the connection prepare its kept statements again). The check and
-- the insert split it alike.
INSERT INTO ArgumentCheck (Reason) SELECT 'missing' WHERE @UserName IS NULL OR @ownID IS NULL;
INSERT INTO ArgumentCheck (Reason)
WITH RECURSIVE
    src(txt) AS (SELECT COALESCE(@CcyIDs, '')),
    split(item, rest) AS (
        SELECT NULL, txt || '|' FROM src
        WHERE txt <> '' AND substr(txt, 1, instr(txt || '|', '|') - 1) <> 'All'
        UNION ALL
        SELECT substr(rest, 1, instr(rest, '|') - 1), substr(rest, instr(rest, '|') + 1)
        FROM split WHERE rest <> ''),
    entries(Entry) AS (SELECT DISTINCT trim(item) FROM split WHERE item IS NOT NULL AND trim(item) <> '')
SELECT 'idlist' FROM entries
WHERE NOT (trim(Entry, '0123456789') = '' AND length(Entry) BETWEEN 1 AND 18)
  AND NOT (substr(Entry, 1, 1) = '-' AND trim(substr(Entry, 2), '0123456789') = '' AND length(Entry) BETWEEN 2 AND 18)
LIMIT 1;
DELETE FROM FilterCcy WHERE UserName = @UserName AND OwnerID = @ownID;
INSERT INTO FilterCcy (UserName, OwnerID, CcyID)
WITH RECURSIVE
    src(txt) AS (SELECT COALESCE(@CcyIDs, '')),
    split(item, rest) AS (
        SELECT NULL, txt || '|' FROM src
        WHERE txt <> '' AND substr(txt, 1, instr(txt || '|', '|') - 1) <> 'All'
        UNION ALL
        SELECT substr(rest, 1, instr(rest, '|') - 1), substr(rest, instr(rest, '|') + 1)
        FROM split WHERE rest <> ''),
    entries(Entry) AS (SELECT DISTINCT trim(item) FROM split WHERE item IS NOT NULL AND trim(item) <> '')
SELECT DISTINCT @UserName, @ownID, CAST(Entry AS INTEGER) FROM entries;
