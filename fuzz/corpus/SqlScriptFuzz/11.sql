DEFINE x="" y=&&x
select &&y;
/* DEFINE z=1 */ select &&z;