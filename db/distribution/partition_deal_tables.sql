-- Declares the deal tables Tickets and Archive of a PostgreSQL trading
-- database as tables partitioned by deal date: one partition per calendar
-- month of DealTime that holds deals, and a default partition for the rest
-- (new months go there until an administrator adds their partition). The
-- rows, columns, defaults, checks and indexes stay; the primary key becomes
-- (TradeID, DealTime), since a partitioned table's keys must hold its
-- partition key. Run once, on a database the procedures are installed in;
-- the procedures need no change.
DO $$
DECLARE
    deal_table text;
    old_table text;
    index_definitions text[];
    definition text;
    first_month date;
    last_month date;
    month date;
BEGIN
    FOREACH deal_table IN ARRAY ARRAY['tickets', 'archive'] LOOP
        old_table := deal_table || '_unpartitioned';
        SELECT array_agg(indexdef) INTO index_definitions FROM pg_indexes
        WHERE schemaname = current_schema() AND tablename = deal_table AND indexname NOT LIKE '%\_pkey';
        EXECUTE format('ALTER TABLE %I RENAME TO %I', deal_table, old_table);
        EXECUTE format('CREATE TABLE %I (LIKE %I INCLUDING DEFAULTS INCLUDING CONSTRAINTS) PARTITION BY RANGE (DealTime)',
                       deal_table, old_table);
        EXECUTE format('ALTER TABLE %I ADD PRIMARY KEY (TradeID, DealTime)', deal_table);
        EXECUTE format('SELECT date_trunc(''month'', min(DealTime)::timestamp)::date,'
                       ' date_trunc(''month'', max(DealTime)::timestamp)::date FROM %I', old_table)
            INTO first_month, last_month;
        month := first_month;
        WHILE month <= last_month LOOP
            EXECUTE format('CREATE TABLE %I PARTITION OF %I FOR VALUES FROM (%L) TO (%L)',
                           deal_table || '_' || to_char(month, 'YYYY_MM'), deal_table,
                           to_char(month, 'YYYY-MM-DD'), to_char(month + interval '1 month', 'YYYY-MM-DD'));
            month := month + interval '1 month';
        END LOOP;
        EXECUTE format('CREATE TABLE %I PARTITION OF %I DEFAULT', deal_table || '_default', deal_table);
        EXECUTE format('INSERT INTO %I SELECT * FROM %I', deal_table, old_table);
        EXECUTE format('DROP TABLE %I', old_table);
        -- The old table's index definitions name the table, which is now the partitioned one.
        FOREACH definition IN ARRAY COALESCE(index_definitions, ARRAY[]::text[]) LOOP
            EXECUTE definition;
        END LOOP;
    END LOOP;
END
$$;
ANALYZE;
