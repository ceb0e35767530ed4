-- DEFINE name="Ann Lee" n=1 n=2
where name = '&&name' and n = &&n and m = &&missing
