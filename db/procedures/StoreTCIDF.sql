-- procedure: StoreTCIDF
-- param: @UserName VarWChar 50
-- param: @ownID Integer
-- param: @TCIDs VarWChar 8000
-- Replaces the stored TCIDs (the deals' TCID) of one user and owner.
-- @TCIDs holds the entries joined with '|'. NULL, an empty text or a list whose
-- first entry is All stores nothing, which is no restriction. Entries are
-- trimmed and empty ones skipped.
-- The list is split where it is used (no working table: creating one would
-- make the connection prepare its kept statements again).
INSERT INTO ArgumentCheck (Reason) SELECT 'missing' WHERE @UserName IS NULL OR @ownID IS NULL;
DELETE FROM FilterTCID WHERE UserName = @UserName AND OwnerID = @ownID;
INSERT INTO FilterTCID (UserName, OwnerID, TCID)
WITH RECURSIVE
    src(txt) AS (SELECT COALESCE(@TCIDs, '')),
    split(item, rest) AS (
        SELECT NULL, txt || '|' FROM src
        WHERE txt <> '' AND substr(txt, 1, instr(txt || '|', '|') - 1) <> 'All'
        UNION ALL
        SELECT substr(rest, 1, instr(rest, '|') - 1), substr(rest, instr(rest, '|') + 1)
        FROM split WHERE rest <> ''),
    entries(Entry) AS (SELECT DISTINCT trim(item) FROM split WHERE item IS NOT NULL AND trim(item) <> '')
SELECT DISTINCT @UserName, @ownID, Entry FROM entries;
