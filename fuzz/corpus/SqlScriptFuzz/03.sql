select 1 -- comment; not a delimiter
;select 2