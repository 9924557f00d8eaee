-- The procedures' argument checks: a row inserted into ArgumentCheck names
-- the reason, and the insert fails with its message.
CREATE FUNCTION argument_check_raise() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION USING ERRCODE = '22023', MESSAGE = CASE NEW.Reason
        WHEN 'condition' THEN 'Unrecognised condition text'
        WHEN 'isDelete' THEN '@isDelete must be 1 (add an entry) or 2 (clear the selection)'
        WHEN 'idlist' THEN 'Identifier list entries must be whole numbers'
        WHEN 'missing' THEN 'A required parameter is missing'
        WHEN 'category' THEN 'A category key has at most three parts: category|attribute|value'
        WHEN 'nostro' THEN 'A LORO/NOSTRO code is 2 (LORO), 1 (NOSTRO) or 0 (none)'
        ELSE 'Invalid procedure argument'
    END;
END
$$;
CREATE TRIGGER ArgumentCheck_Raise BEFORE INSERT ON ArgumentCheck
    FOR EACH ROW EXECUTE FUNCTION argument_check_raise();
