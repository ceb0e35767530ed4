define a=1
select &&a
