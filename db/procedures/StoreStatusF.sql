-- procedure: StoreStatusF
-- param: @UserName VarWChar 50
-- param: @ownID Integer
-- param: @StatusIDs VarWChar 8000
-- param: @StatusNames VarWChar 8000
-- Replaces the stored statuses of one user and owner. @StatusIDs holds the
-- status codes joined with '|', @StatusNames (optional) their names in the
-- same order, also joined with '|'. NULL, an empty text or a list whose first
-- entry is All stores nothing, which is no restriction. A code that is not a
-- whole number fails the call before anything changes.
-- The lists are split where they are used (no working table: creating one
-- would make the connection prepare its kept statements again). The check
-- and the insert split the codes alike.
INSERT INTO ArgumentCheck (Reason) SELECT 'missing' WHERE @UserName IS NULL OR @ownID IS NULL;
INSERT INTO ArgumentCheck (Reason)
WITH RECURSIVE
    ids(n, item, rest) AS (
        SELECT 0, NULL, COALESCE(@StatusIDs, '') || '|'
        WHERE COALESCE(@StatusIDs, '') <> ''
          AND substr(@StatusIDs, 1, instr(@StatusIDs || '|', '|') - 1) <> 'All'
        UNION ALL
        SELECT n + 1, substr(rest, 1, instr(rest, '|') - 1), substr(rest, instr(rest, '|') + 1)
        FROM ids WHERE rest <> ''),
    codes(Entry) AS (SELECT trim(item) FROM ids WHERE item IS NOT NULL AND trim(item) <> '')
SELECT 'idlist' FROM codes
WHERE NOT (trim(Entry, '0123456789') = '' AND length(Entry) BETWEEN 1 AND 18)
  AND NOT (substr(Entry, 1, 1) = '-' AND trim(substr(Entry, 2), '0123456789') = '' AND length(Entry) BETWEEN 2 AND 18)
LIMIT 1;
DELETE FROM FilterStatus WHERE UserName = @UserName AND OwnerID = @ownID;
INSERT INTO FilterStatus (UserName, OwnerID, StatusID, StatusName)
WITH RECURSIVE
    ids(n, item, rest) AS (
        SELECT 0, NULL, COALESCE(@StatusIDs, '') || '|'
        WHERE COALESCE(@StatusIDs, '') <> ''
          AND substr(@StatusIDs, 1, instr(@StatusIDs || '|', '|') - 1) <> 'All'
        UNION ALL
        SELECT n + 1, substr(rest, 1, instr(rest, '|') - 1), substr(rest, instr(rest, '|') + 1)
        FROM ids WHERE rest <> ''),
    names(n, item, rest) AS (
        SELECT 0, NULL, COALESCE(@StatusNames, '') || '|' WHERE COALESCE(@StatusNames, '') <> ''
        UNION ALL
        SELECT n + 1, substr(rest, 1, instr(rest, '|') - 1), substr(rest, instr(rest, '|') + 1)
        FROM names WHERE rest <> ''),
    entries(Entry, Name) AS (
        SELECT trim(i.item), NULLIF(trim(m.item), '')
        FROM ids i LEFT JOIN names m ON m.n = i.n
        WHERE i.item IS NOT NULL AND trim(i.item) <> '')
SELECT @UserName, @ownID, CAST(Entry AS INTEGER), MIN(Name)
FROM entries
GROUP BY CAST(Entry AS INTEGER);
