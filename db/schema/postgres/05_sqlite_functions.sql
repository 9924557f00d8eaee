-- The few SQLite functions the shared scripts use, with SQLite's meaning, for
-- the PostgreSQL database. The installer turns date(), julianday(), round()
-- and instr() of a shared script into these calls. Dates are the tables'
-- ISO texts ('YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS'); a text that is no date
-- gives NULL, as in SQLite.

-- date(value): the date part as 'YYYY-MM-DD'; 'now' is today (UTC).
CREATE FUNCTION sqlite_date(value text) RETURNS text
LANGUAGE sql STABLE PARALLEL SAFE AS $$
    SELECT CASE
        WHEN value = 'now' THEN to_char((now() AT TIME ZONE 'UTC')::date, 'YYYY-MM-DD')
        WHEN value ~ '^\d{4}-\d{2}-\d{2}' THEN to_char(substr(value, 1, 10)::date, 'YYYY-MM-DD')
    END
$$;

-- date(value, modifier): the date moved by a modifier such as '+1 day',
-- '-7 days' or '+3 months'.
CREATE FUNCTION sqlite_date(value text, modifier text) RETURNS text
LANGUAGE sql STABLE PARALLEL SAFE AS $$
    SELECT to_char(sqlite_date(value)::date + modifier::interval, 'YYYY-MM-DD')
$$;

-- julianday(value): the Julian day number of the date and time.
CREATE FUNCTION sqlite_julianday(value text) RETURNS double precision
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$
    SELECT CASE WHEN value ~ '^\d{4}-\d{2}-\d{2}'
                THEN extract(epoch FROM value::timestamp)::double precision / 86400 + 2440587.5
           END
$$;

-- round(value[, digits]): half away from zero, as SQLite rounds (the
-- server's own round of double precision rounds half to even).
CREATE FUNCTION sqlite_round(value double precision, digits integer DEFAULT 0) RETURNS double precision
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$
    SELECT round(value::numeric, digits)::double precision
$$;
CREATE FUNCTION sqlite_round(value numeric, digits integer DEFAULT 0) RETURNS numeric
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$
    SELECT round(value, digits)
$$;
