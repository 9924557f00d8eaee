-- procedure: StoreCategoryF
-- param: @UserName VarWChar 50
-- param: @ownID Integer
-- param: @Categories VarWChar 8000
-- Replaces the stored category selection of one user and owner. Each entry
-- is a key "Category", "Category|Attribute" or "Category|Attribute|Value";
-- since the keys contain '|', the entries are joined with line feeds
-- (char(10)) instead. NULL, an empty text or a list whose first entry is All
-- stores nothing, which is no restriction. A key of more than three parts
-- fails the call before anything changes.
-- The list is split where it is used (no working table: creating one would
-- make the connection prepare its kept statements again). The check and the
-- insert split it alike.
INSERT INTO ArgumentCheck (Reason) SELECT 'missing' WHERE @UserName IS NULL OR @ownID IS NULL;
INSERT INTO ArgumentCheck (Reason)
WITH RECURSIVE
    src(txt) AS (SELECT replace(COALESCE(@Categories, ''), char(13), '')),
    split(item, rest) AS (
        SELECT NULL, txt || char(10) FROM src
        WHERE txt <> '' AND substr(txt, 1, instr(txt || char(10), char(10)) - 1) <> 'All'
        UNION ALL
        SELECT substr(rest, 1, instr(rest, char(10)) - 1), substr(rest, instr(rest, char(10)) + 1)
        FROM split WHERE rest <> ''),
    keys(k) AS (SELECT DISTINCT trim(item) || '|' FROM split WHERE item IS NOT NULL AND trim(item) <> ''),
    p1(part1, rest) AS (SELECT substr(k, 1, instr(k, '|') - 1), substr(k, instr(k, '|') + 1) FROM keys),
    p2(part1, part2, rest) AS (
        SELECT part1, CASE WHEN rest = '' THEN '' ELSE substr(rest, 1, instr(rest, '|') - 1) END,
               CASE WHEN rest = '' THEN '' ELSE substr(rest, instr(rest, '|') + 1) END
        FROM p1),
    p3(part1, part2, part3, rest) AS (
        SELECT part1, part2, CASE WHEN rest = '' THEN '' ELSE substr(rest, 1, instr(rest, '|') - 1) END,
               CASE WHEN rest = '' THEN '' ELSE substr(rest, instr(rest, '|') + 1) END
        FROM p2),
    entries(Category, Attribute, Value, Extra) AS (
        SELECT trim(part1), trim(part2), trim(part3), rest FROM p3 WHERE trim(part1) <> '')
SELECT 'category' WHERE EXISTS (SELECT 1 FROM entries WHERE Extra <> '' OR (Attribute = '' AND Value <> ''));
DELETE FROM FilterCategory WHERE UserName = @UserName AND OwnerID = @ownID;
INSERT INTO FilterCategory (UserName, OwnerID, Category, Attribute, Value)
WITH RECURSIVE
    src(txt) AS (SELECT replace(COALESCE(@Categories, ''), char(13), '')),
    split(item, rest) AS (
        SELECT NULL, txt || char(10) FROM src
        WHERE txt <> '' AND substr(txt, 1, instr(txt || char(10), char(10)) - 1) <> 'All'
        UNION ALL
        SELECT substr(rest, 1, instr(rest, char(10)) - 1), substr(rest, instr(rest, char(10)) + 1)
        FROM split WHERE rest <> ''),
    keys(k) AS (SELECT DISTINCT trim(item) || '|' FROM split WHERE item IS NOT NULL AND trim(item) <> ''),
    p1(part1, rest) AS (SELECT substr(k, 1, instr(k, '|') - 1), substr(k, instr(k, '|') + 1) FROM keys),
    p2(part1, part2, rest) AS (
        SELECT part1, CASE WHEN rest = '' THEN '' ELSE substr(rest, 1, instr(rest, '|') - 1) END,
               CASE WHEN rest = '' THEN '' ELSE substr(rest, instr(rest, '|') + 1) END
        FROM p1),
    p3(part1, part2, part3, rest) AS (
        SELECT part1, part2, CASE WHEN rest = '' THEN '' ELSE substr(rest, 1, instr(rest, '|') - 1) END,
               CASE WHEN rest = '' THEN '' ELSE substr(rest, instr(rest, '|') + 1) END
        FROM p2),
    entries(Category, Attribute, Value, Extra) AS (
        SELECT trim(part1), trim(part2), trim(part3), rest FROM p3 WHERE trim(part1) <> '')
SELECT DISTINCT @UserName, @ownID, Category, Attribute, Value FROM entries;
