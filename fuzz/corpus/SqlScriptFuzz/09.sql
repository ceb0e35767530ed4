DEFINE a=5
select &&A, &&a
