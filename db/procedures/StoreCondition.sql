-- procedure: StoreCondition
-- param: @UserName VarWChar 50
-- param: @ownID Integer
-- param: @Kind Integer
-- param: @Condition VarWChar 8000
-- Replaces the stored condition of one user, owner and kind. The text is
-- data: it is parsed into terms (FilterCondition) and never executed. Known
-- forms, by kind:
--   1  DealerID = 'name'   and   DealerID IN ('name', 'name', ...)
--   5  ClDeal = n   and   ClDeal <> n
--   7  NETTING = n   and   NETTING <> n
-- A dealer name is everything between the opening quote and the closing one
-- that ends the text (or the separator ', ' of a list), so a name holding a
-- quote (O'Brien) is taken as it is. A doubled quote ('') reads as one quote,
-- for callers that escape their names. NULL or an empty text stores nothing.
-- Any other text, or a form that does not belong to the kind, fails the call
-- before anything changes.
-- The text is parsed where it is used (no working table: creating one would
-- make the connection prepare its kept statements again). The check and the
-- insert parse it alike.
INSERT INTO ArgumentCheck (Reason)
SELECT 'missing' WHERE @UserName IS NULL OR @ownID IS NULL OR @Kind IS NULL;
INSERT INTO ArgumentCheck (Reason)
WITH RECURSIVE
    src(txt) AS (SELECT trim(COALESCE(@Condition, ''))),
    form(field, op, body, shape) AS (
        SELECT 'DealerID', '=', substr(txt, 15, length(txt) - 16), 'list' FROM src
        WHERE substr(txt, 1, 14) = 'DealerID IN (''' AND length(txt) >= 16 AND substr(txt, length(txt) - 1) = ''')'
        UNION ALL
        SELECT 'DealerID', '=', substr(txt, 13, length(txt) - 13), 'one' FROM src
        WHERE substr(txt, 1, 12) = 'DealerID = ''' AND length(txt) >= 13 AND substr(txt, length(txt)) = ''''
        UNION ALL
        SELECT 'ClDeal', '=', substr(txt, 10), 'number' FROM src WHERE substr(txt, 1, 9) = 'ClDeal = '
        UNION ALL
        SELECT 'ClDeal', '<>', substr(txt, 11), 'number' FROM src WHERE substr(txt, 1, 10) = 'ClDeal <> '
        UNION ALL
        SELECT 'NETTING', '=', substr(txt, 11), 'number' FROM src WHERE substr(txt, 1, 10) = 'NETTING = '
        UNION ALL
        SELECT 'NETTING', '<>', substr(txt, 12), 'number' FROM src WHERE substr(txt, 1, 11) = 'NETTING <> '),
    items(field, op, item, rest) AS (
        SELECT field, op, NULL, body || ''', ''' FROM form WHERE shape = 'list'
        UNION ALL
        SELECT field, op, substr(rest, 1, instr(rest, ''', ''') - 1), substr(rest, instr(rest, ''', ''') + 4)
        FROM items WHERE rest <> ''),
    terms(field, op, value, shape) AS (
        SELECT field, op, replace(item, '''''', ''''), 'text' FROM items WHERE item IS NOT NULL
        UNION ALL
        SELECT field, op, replace(body, '''''', ''''), 'text' FROM form WHERE shape = 'one'
        UNION ALL
        SELECT field, op, body, 'number' FROM form WHERE shape = 'number'),
    typed(field, op, value, numvalue, shape) AS (
        SELECT field, op, value,
               CASE WHEN value <> '' AND trim(value, '0123456789') = '' AND length(value) <= 18
                    THEN CAST(value AS INTEGER) END,
               shape
        FROM terms),
    checked(Field, Op, Value, NumValue, Valid) AS (
        SELECT field, op, value, numvalue,
               CASE WHEN value = '' THEN 0
                    WHEN shape = 'number' AND numvalue IS NULL THEN 0
                    WHEN @Kind = 1 AND field = 'DealerID' THEN 1
                    WHEN @Kind = 5 AND field = 'ClDeal' THEN 1
                    WHEN @Kind = 7 AND field = 'NETTING' THEN 1
                    ELSE 0 END
        FROM typed
        UNION ALL
        SELECT NULL, NULL, NULL, NULL, 0 FROM src WHERE txt <> '' AND NOT EXISTS (SELECT 1 FROM form))
SELECT 'condition' WHERE EXISTS (SELECT 1 FROM checked WHERE Valid = 0);
DELETE FROM FilterCondition WHERE UserName = @UserName AND OwnerID = @ownID AND Kind = @Kind;
INSERT INTO FilterCondition (UserName, OwnerID, Kind, Field, Op, Value, NumValue)
WITH RECURSIVE
    src(txt) AS (SELECT trim(COALESCE(@Condition, ''))),
    form(field, op, body, shape) AS (
        SELECT 'DealerID', '=', substr(txt, 15, length(txt) - 16), 'list' FROM src
        WHERE substr(txt, 1, 14) = 'DealerID IN (''' AND length(txt) >= 16 AND substr(txt, length(txt) - 1) = ''')'
        UNION ALL
        SELECT 'DealerID', '=', substr(txt, 13, length(txt) - 13), 'one' FROM src
        WHERE substr(txt, 1, 12) = 'DealerID = ''' AND length(txt) >= 13 AND substr(txt, length(txt)) = ''''
        UNION ALL
        SELECT 'ClDeal', '=', substr(txt, 10), 'number' FROM src WHERE substr(txt, 1, 9) = 'ClDeal = '
        UNION ALL
        SELECT 'ClDeal', '<>', substr(txt, 11), 'number' FROM src WHERE substr(txt, 1, 10) = 'ClDeal <> '
        UNION ALL
        SELECT 'NETTING', '=', substr(txt, 11), 'number' FROM src WHERE substr(txt, 1, 10) = 'NETTING = '
        UNION ALL
        SELECT 'NETTING', '<>', substr(txt, 12), 'number' FROM src WHERE substr(txt, 1, 11) = 'NETTING <> '),
    items(field, op, item, rest) AS (
        SELECT field, op, NULL, body || ''', ''' FROM form WHERE shape = 'list'
        UNION ALL
        SELECT field, op, substr(rest, 1, instr(rest, ''', ''') - 1), substr(rest, instr(rest, ''', ''') + 4)
        FROM items WHERE rest <> ''),
    terms(field, op, value, shape) AS (
        SELECT field, op, replace(item, '''''', ''''), 'text' FROM items WHERE item IS NOT NULL
        UNION ALL
        SELECT field, op, replace(body, '''''', ''''), 'text' FROM form WHERE shape = 'one'
        UNION ALL
        SELECT field, op, body, 'number' FROM form WHERE shape = 'number'),
    typed(field, op, value, numvalue, shape) AS (
        SELECT field, op, value,
               CASE WHEN value <> '' AND trim(value, '0123456789') = '' AND length(value) <= 18
                    THEN CAST(value AS INTEGER) END,
               shape
        FROM terms),
    checked(Field, Op, Value, NumValue, Valid) AS (
        SELECT field, op, value, numvalue,
               CASE WHEN value = '' THEN 0
                    WHEN shape = 'number' AND numvalue IS NULL THEN 0
                    WHEN @Kind = 1 AND field = 'DealerID' THEN 1
                    WHEN @Kind = 5 AND field = 'ClDeal' THEN 1
                    WHEN @Kind = 7 AND field = 'NETTING' THEN 1
                    ELSE 0 END
        FROM typed
        UNION ALL
        SELECT NULL, NULL, NULL, NULL, 0 FROM src WHERE txt <> '' AND NOT EXISTS (SELECT 1 FROM form))
SELECT DISTINCT @UserName, @ownID, @Kind, Field, Op, Value, NumValue FROM checked;
