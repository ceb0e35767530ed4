DEFINE a = 1 b=2
select * from t where id = &&a and k = &&b
