-- DB2 face of the test database. Loaded by server.sh as the cluster's superuser into a
-- freshly created "SAMPLE", so it only ever runs once per database.
--
-- Where things live, and why:
--   pg_catalog  DB2's built-in types and functions (BLOB, CLOB, DOUBLE, TIMESTAMP_FORMAT
--               ...). DB2 resolves built-ins whatever CURRENT SCHEMA is; pg_catalog is the
--               one schema PostgreSQL always searches, so they keep working when a test or
--               the product qualifies names or changes the search path.
--   sysibm,     DB2's catalogue, reachable only qualified (as in DB2), readable by
--   syscat      everyone and writable by no one but the superuser, except
--               sysibm.sysversions, which tests rewrite to fake other server versions.
--   db2compat   bookkeeping the catalogue views need; private, hidden from SYSSCHEMATA.

\set ON_ERROR_STOP on
set client_min_messages = warning;

create schema db2compat;
create schema sysibm;
create schema syscat;
grant usage on schema sysibm, syscat to public;

-- DB2 stores an unquoted identifier in upper case, PostgreSQL in lower case. Showing an
-- all-lower-case name in upper case lets the product's catalogue lookups ('T', 'DB2INST1')
-- find objects it created unquoted, while quoted mixed-case names stay as they are.
create function db2compat.db2_name(n name) returns varchar(128)
  language sql immutable strict parallel safe
  as $$ select (case when n::text = lower(n::text) then upper(n::text) else n::text end)::varchar(128) $$;

create function db2compat.hidden_schema(n name) returns boolean
  language sql immutable strict parallel safe
  as $$ select n in ('pg_catalog', 'information_schema', 'pg_toast', 'db2compat')
               or n::text like 'pg\_temp\_%' or n::text like 'pg\_toast\_temp\_%' $$;

------------------------------------------------------------------------------------------
-- DB2 type names in DDL.
--
-- A type with a length, such as BLOB(2147483647), needs a base type with a type-modifier
-- function: domains take no modifier. The base types borrow the I/O routines of the native
-- type they stand for, so the two are binary-coercible and the casts below need no function.
-- They never stay in a table: the event trigger further down replaces them with the native
-- type right after CREATE/ALTER TABLE, because psqlODBC re-executes a prepared statement
-- with a binary parameter only against a column that is exactly bytea.
------------------------------------------------------------------------------------------

-- The native length checks stop at 10 MB; DB2's LOBs go up to 2 GB.
create function db2compat.length_typmod_in(cstring[]) returns integer
  language plpgsql immutable strict
  as $$
declare
  n bigint;
begin
  if array_length($1, 1) <> 1 or $1[1]::text !~ '^[0-9]+$' then
    raise exception 'a DB2 length is one unsigned integer, not (%)', array_to_string($1::text[], ',')
      using errcode = '42611';
  end if;
  n := $1[1]::text::bigint;
  if n < 1 or n > 2147483647 then
    raise exception 'DB2 length % is out of range', n using errcode = '42611';
  end if;
  return n::integer;
end $$;

do $$
declare
  t record;
begin
  for t in select * from (values
      ('blob', 'bytea'), ('binary', 'bytea'), ('varbinary', 'bytea'),
      ('clob', 'text'), ('dbclob', 'text'), ('graphic', 'text'), ('vargraphic', 'text'))
      as v(db2, native)
  loop
    execute format('create type pg_catalog.%I', t.db2);
    execute format('create function db2compat.%I(cstring) returns pg_catalog.%I
                      language internal immutable strict as %L',
                   t.db2 || '_in', t.db2, t.native || 'in');
    execute format('create function db2compat.%I(pg_catalog.%I) returns cstring
                      language internal immutable strict as %L',
                   t.db2 || '_out', t.db2, t.native || 'out');
    execute format('create type pg_catalog.%I (input = db2compat.%I, output = db2compat.%I,
                      typmod_in = db2compat.length_typmod_in, like = pg_catalog.%I)',
                   t.db2, t.db2 || '_in', t.db2 || '_out', t.native);
    execute format('create cast (pg_catalog.%I as pg_catalog.%I) without function as assignment',
                   t.db2, t.native);
    execute format('create cast (pg_catalog.%I as pg_catalog.%I) without function',
                   t.native, t.db2);
  end loop;
end $$;

create domain pg_catalog."double" as double precision;

------------------------------------------------------------------------------------------
-- What CREATE TABLE declared, for the columns the event trigger rewrote; syscat.columns
-- reports these instead of the native type. "native" guards against a later ALTER TABLE
-- that changed the column again behind our back.
------------------------------------------------------------------------------------------
create table db2compat.declared_type (
  relid    oid      not null,
  attnum   smallint not null,
  typename text     not null,
  length   integer  not null,
  native   oid      not null,
  primary key (relid, attnum)
);

-- DB2's limits (4 KB page, SQL reference), so DDL a real DB2 would refuse fails here too.
create table db2compat.type_limit (
  typname    name primary key,
  db2name    text    not null,
  max_length integer not null,
  needs_length boolean not null
);
insert into db2compat.type_limit values
  ('bpchar',     'CHARACTER',  254,        false),
  ('varchar',    'VARCHAR',    32672,      true),
  ('graphic',    'GRAPHIC',    127,        false),
  ('vargraphic', 'VARGRAPHIC', 16336,      true),
  ('binary',     'BINARY',     255,        false),
  ('varbinary',  'VARBINARY',  32672,      true),
  ('blob',       'BLOB',       2147483647, false),
  ('clob',       'CLOB',       2147483647, false),
  ('dbclob',     'DBCLOB',     1073741823, false);

create function db2compat.on_ddl_end() returns event_trigger
  language plpgsql security definer
  set search_path = pg_catalog, pg_temp
  as $$
declare
  cmd record;
  col record;
  clauses text[];
  n integer;
  digits integer;
  target text;
begin
  for cmd in select distinct objid from pg_event_trigger_ddl_commands()
             where object_type in ('table', 'table column') and classid = 'pg_class'::regclass
  loop
    clauses := '{}';
    delete from db2compat.declared_type d where d.relid = cmd.objid
      and not exists (select 1 from pg_attribute a where a.attrelid = d.relid and a.attnum = d.attnum
                      and not a.attisdropped and a.atttypid = d.native);
    for col in
      select a.attnum, a.attname, a.atttypmod, t.typname, l.db2name, l.max_length, l.needs_length
        from pg_attribute a
        join pg_type t on t.oid = a.atttypid
        left join db2compat.type_limit l on l.typname = t.typname
       where a.attrelid = cmd.objid and a.attnum > 0 and not a.attisdropped
       order by a.attnum
    loop
      -- varchar/bpchar keep the 4-byte header in their modifier; ours do not.
      n := case when col.atttypmod < 0 then null
                when col.typname in ('varchar', 'bpchar') then col.atttypmod - 4
                else col.atttypmod end;
      if col.db2name is not null then
        if n is null and col.needs_length then
          raise exception 'SQL0604N  %: % needs a length in DB2', col.attname, col.db2name
            using errcode = '42611';
        end if;
        if n > col.max_length then
          raise exception 'SQL0604N  %: %(%) exceeds DB2''s maximum length %',
            col.attname, col.db2name, n, col.max_length using errcode = '42611';
        end if;
      end if;
      if col.typname = 'numeric' and col.atttypmod >= 0 then
        digits := ((col.atttypmod - 4) >> 16) & 65535;
        if digits > 31 then
          raise exception 'SQL0604N  %: DECIMAL(%) exceeds DB2''s maximum precision 31',
            col.attname, digits using errcode = '42611';
        end if;
      end if;

      target := case col.typname
        when 'blob' then 'bytea' when 'binary' then 'bytea' when 'varbinary' then 'bytea'
        when 'clob' then 'text' when 'dbclob' then 'text'
        when 'graphic' then format('character(%s)', coalesce(n, 1))
        when 'vargraphic' then format('character varying(%s)', n)
        when 'double' then 'double precision'
        -- DB2's DECIMAL without precision is DECIMAL(5,0), not an unbounded number.
        when 'numeric' then case when col.atttypmod < 0 then 'numeric(5,0)' end
        end;
      if target is null then
        continue;
      end if;
      clauses := clauses || format('alter column %I type %s using %I::%s',
                                   col.attname, target, col.attname, target);
      if col.db2name is not null then
        insert into db2compat.declared_type values (
          cmd.objid, col.attnum, col.db2name,
          coalesce(n, case when col.typname in ('blob', 'clob', 'dbclob') then 1048576 else 1 end),
          (case when target = 'bytea' then 'bytea'
                when target = 'text' then 'text'
                when col.typname = 'graphic' then 'bpchar'
                else 'varchar' end)::regtype)
        on conflict (relid, attnum) do update
          set typename = excluded.typename, length = excluded.length, native = excluded.native;
      end if;
    end loop;

    -- One ALTER for all columns: it fires this trigger once more, which then finds
    -- nothing left to rewrite.
    if cardinality(clauses) > 0 then
      execute format('alter table %s %s', cmd.objid::regclass, array_to_string(clauses, ', '));
    end if;
  end loop;
end $$;

create function db2compat.on_sql_drop() returns event_trigger
  language plpgsql security definer
  set search_path = pg_catalog, pg_temp
  as $$
begin
  delete from db2compat.declared_type d
   using pg_event_trigger_dropped_objects() o
   where o.classid = 'pg_class'::regclass and o.objid = d.relid
     and (o.objsubid = 0 or o.objsubid = d.attnum);
end $$;

------------------------------------------------------------------------------------------
-- Catalogue views.
------------------------------------------------------------------------------------------

-- "select CURRENT schema from sysibm.sysdummy1" parses here as column "current" with the
-- alias "schema", so a column of that name answers it.
create view sysibm.sysdummy1 as
  select db2compat.db2_name(current_schema()) as "current", 'Y'::char(1) as ibmreqd;

create view sysibm.sysschemata as
  select db2compat.db2_name(n.nspname) as name,
         db2compat.db2_name(r.rolname) as owner,
         db2compat.db2_name(r.rolname) as definer,
         obj_description(n.oid, 'pg_namespace')::varchar(254) as remarks
    from pg_namespace n
    join pg_roles r on r.oid = n.nspowner
   where not db2compat.hidden_schema(n.nspname);

create view syscat.schemata as
  select name as schemaname, owner, definer, remarks from sysibm.sysschemata;

create view syscat.tables as
  select db2compat.db2_name(n.nspname) as tabschema,
         db2compat.db2_name(c.relname) as tabname,
         db2compat.db2_name(r.rolname) as owner,
         (case when c.relkind in ('v', 'm') then 'V' else 'T' end)::char(1) as type,
         c.relnatts::smallint as colcount,
         (-1)::bigint as card
    from pg_class c
    join pg_namespace n on n.oid = c.relnamespace
    join pg_roles r on r.oid = c.relowner
   where c.relkind in ('r', 'p', 'v', 'm', 'f')
     and not db2compat.hidden_schema(n.nspname);

create view syscat.columns as
  with cols as (
    select n.nspname, c.relname, a.attrelid, a.attnum, a.attname, a.atttypid, a.atttypmod,
           a.attnotnull, a.attidentity, a.atthasdef, t.typname, t.typlen,
           (row_number() over (partition by a.attrelid order by a.attnum) - 1)::smallint as colno,
           d.typename as declared, d.length as declared_length
      from pg_attribute a
      join pg_class c on c.oid = a.attrelid
      join pg_namespace n on n.oid = c.relnamespace
      join pg_type t on t.oid = a.atttypid
      left join db2compat.declared_type d
             on d.relid = a.attrelid and d.attnum = a.attnum and d.native = a.atttypid
     where a.attnum > 0 and not a.attisdropped
       and c.relkind in ('r', 'p', 'v', 'm', 'f')
       and not db2compat.hidden_schema(n.nspname)
  )
  select db2compat.db2_name(nspname) as tabschema,
         db2compat.db2_name(relname) as tabname,
         db2compat.db2_name(attname) as colname,
         colno,
         'SYSIBM'::varchar(128) as typeschema,
         coalesce(declared, case typname
           when 'int2' then 'SMALLINT' when 'int4' then 'INTEGER' when 'int8' then 'BIGINT'
           when 'float4' then 'REAL' when 'float8' then 'DOUBLE' when 'numeric' then 'DECIMAL'
           when 'varchar' then 'VARCHAR' when 'bpchar' then 'CHARACTER'
           when 'text' then 'CLOB' when 'bytea' then 'BLOB'
           when 'date' then 'DATE' when 'time' then 'TIME' when 'timestamp' then 'TIMESTAMP'
           when 'bool' then 'BOOLEAN' when 'xml' then 'XML'
           else upper(format_type(atttypid, null)) end)::varchar(128) as typename,
         coalesce(declared_length, case
           when typname = 'numeric' then
             case when atttypmod < 0 then 31 else ((atttypmod - 4) >> 16) & 65535 end
           when typname in ('varchar', 'bpchar') then
             case when atttypmod < 0 then (case typname when 'bpchar' then 1 else 32672 end)
                  else atttypmod - 4 end
           when typname in ('text', 'bytea') then 1048576
           when typname = 'date' then 4
           when typname = 'time' then 3
           when typname = 'timestamp' then
             7 + (case when atttypmod < 0 then 6 else atttypmod end + 1) / 2
           when typlen > 0 then typlen
           else 0 end)::integer as length,
         (case
           when declared is not null then 0
           when typname = 'numeric' then case when atttypmod < 0 then 0 else (atttypmod - 4) & 65535 end
           when typname = 'timestamp' then case when atttypmod < 0 then 6 else atttypmod end
           else 0 end)::smallint as scale,
         (case when attnotnull then 'N' else 'Y' end)::char(1) as nulls,
         (case when attidentity <> '' then 'Y' else 'N' end)::char(1) as identity,
         (case attidentity when 'a' then 'A' when 'd' then 'D' else ' ' end)::char(1) as generated,
         (select pg_get_expr(ad.adbin, ad.adrelid) from pg_attrdef ad
           where ad.adrelid = attrelid and ad.adnum = attnum)::varchar(254) as "default",
         -- indkey is an int2vector, subscripted from 0; DB2 counts key columns from 1.
         (select array_position(i.indkey::int2[], attnum) - array_lower(i.indkey::int2[], 1) + 1
            from pg_index i where i.indrelid = attrelid and i.indisprimary)::smallint as keyseq
    from cols;

-- DB2 keeps one row per version the database has run on; the product reads the number.
create table sysibm.sysversions (
  versionnumber     integer      not null,
  version_timestamp timestamp    not null default localtimestamp(0),
  authid            varchar(128) not null,
  versionbuildlevel varchar(128)
);
insert into sysibm.sysversions (versionnumber, authid, versionbuildlevel)
  values (11050800, 'DB2INST1', 's2011011400');

grant select on all tables in schema sysibm, syscat to public;
grant update, insert, delete on sysibm.sysversions to public;

------------------------------------------------------------------------------------------
-- TIMESTAMP_FORMAT(string, format [, precision]).
--
-- to_timestamp knows most DB2 format elements; the differences are bridged here:
--   FF / FF7..FF12   PostgreSQL stops at microseconds: read as FF6, extra digits dropped.
--   HH               12-hour clock only with AM/PM in the format, otherwise 24-hour.
--   NNNNNN           microseconds.
--   no year / month  DB2 takes the current year and month; to_timestamp would take 1 BC.
-- The server runs in UTC (server.sh), so no wall-clock time falls into a daylight-saving
-- gap; a SET clause here would cost a configuration change on every call.
------------------------------------------------------------------------------------------
create function pg_catalog.timestamp_format(string text, format text) returns timestamp
  language plpgsql stable strict parallel safe
  as $$
declare
  f text := format;
  s text := string;
  names_removed text;
begin
  -- The formats the product writes for dates and timestamps need none of the bridging
  -- below; loading a table calls this once per value.
  if f in ('YYYY-MM-DD', 'YYYY-MM-DD HH24:MI:SS') then
    return to_timestamp(s, f)::timestamp;
  end if;
  if f ~* 'FF(7|8|9|10|11|12)|FF(?![0-9])' then
    s := regexp_replace(s, '([.,:][0-9]{6})[0-9]+', '\1', 'g');
    f := regexp_replace(f, 'FF(7|8|9|10|11|12)|FF(?![0-9])', 'FF6', 'gi');
  end if;
  f := regexp_replace(f, 'NNNNNN', 'US', 'gi');
  if f !~* '(A\.M\.|P\.M\.|AM|PM)' then
    f := regexp_replace(f, 'HH(?!12|24)', 'HH24', 'gi');
  end if;
  -- Day and month names contain Y and M; leave them out when looking for the year and month.
  names_removed := regexp_replace(f, 'DAY|DY|MONTH|MON', '', 'gi');
  if names_removed !~* 'Y|RR|J' then
    f := 'YYYY ' || f;
    s := to_char(localtimestamp, 'YYYY') || ' ' || s;
  end if;
  if f !~* 'MM|MON|RM|DDD|J' then
    f := 'MM ' || f;
    s := to_char(localtimestamp, 'MM') || ' ' || s;
  end if;
  return to_timestamp(s, f)::timestamp;
end $$;

create function pg_catalog.timestamp_format(string text, format text, digits integer)
  returns timestamp
  language plpgsql stable strict parallel safe
  as $$
declare
  t timestamp := pg_catalog.timestamp_format(string, format);
  step bigint;
begin
  if digits < 0 or digits > 12 then
    raise exception 'TIMESTAMP_FORMAT precision % is out of range', digits using errcode = '42615';
  end if;
  if digits >= 6 then
    return t;
  end if;
  step := 10 ^ (6 - digits);
  return date_trunc('second', t)
       + ((extract(microseconds from t)::bigint % 1000000) / step * step) * interval '1 microsecond';
end $$;

grant execute on function pg_catalog.timestamp_format(text, text),
                          pg_catalog.timestamp_format(text, text, integer) to public;

create event trigger db2compat_ddl_end on ddl_command_end
  when tag in ('CREATE TABLE', 'ALTER TABLE')
  execute function db2compat.on_ddl_end();
create event trigger db2compat_sql_drop on sql_drop
  execute function db2compat.on_sql_drop();
