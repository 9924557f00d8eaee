-- Only the fields and operators the procedures know how to apply are stored.
CREATE FUNCTION filter_condition_terms() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF NOT ((NEW.Kind = 1 AND NEW.Field = 'DealerID' AND NEW.Op = '=')
         OR (NEW.Kind = 5 AND NEW.Field = 'ClDeal' AND NEW.Op IN ('=', '<>') AND NEW.NumValue IS NOT NULL)
         OR (NEW.Kind = 7 AND NEW.Field = 'NETTING' AND NEW.Op IN ('=', '<>') AND NEW.NumValue IS NOT NULL)) THEN
        RAISE EXCEPTION USING ERRCODE = '22023', MESSAGE = 'Unrecognised condition text';
    END IF;
    RETURN NEW;
END
$$;
CREATE TRIGGER FilterCondition_Terms BEFORE INSERT ON FilterCondition
    FOR EACH ROW EXECUTE FUNCTION filter_condition_terms();

-- A report run's own filter store: session temporary copies of the filter
-- tables and of ArgumentCheck, with their checks, which shadow the shared
-- tables (the temporary schema is searched first). Called again on the same
-- session it empties them. Returns the number of tables in the scope. The caller runs it in a read-write transaction:
-- a read-only one may write temporary tables but not create them.
CREATE FUNCTION create_run_scope() RETURNS integer
LANGUAGE plpgsql AS $$
DECLARE
    name text;
    tables integer := 0;
BEGIN
    FOR name IN
        SELECT c.relname FROM pg_class c
        WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind IN ('r', 'p')
          AND (c.relname LIKE 'filter%' OR c.relname = 'argumentcheck')
        ORDER BY c.relname
    LOOP
        IF to_regclass(format('pg_temp.%I', name)) IS NULL THEN
            EXECUTE format('CREATE TEMP TABLE %I (LIKE %I.%I INCLUDING ALL)', name, current_schema(), name);
            IF name = 'argumentcheck' THEN
                CREATE TRIGGER ArgumentCheck_Raise BEFORE INSERT ON pg_temp.ArgumentCheck
                    FOR EACH ROW EXECUTE FUNCTION argument_check_raise();
            ELSIF name = 'filtercondition' THEN
                CREATE TRIGGER FilterCondition_Terms BEFORE INSERT ON pg_temp.FilterCondition
                    FOR EACH ROW EXECUTE FUNCTION filter_condition_terms();
            END IF;
        ELSE
            EXECUTE format('DELETE FROM pg_temp.%I', name);
        END IF;
        tables := tables + 1;
    END LOOP;
    RETURN tables;
END
$$;
