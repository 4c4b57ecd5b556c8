// Leaves the loop once %Counter% reaches %Limit%.
if StrToIntDef('#S%Counter%#', 0) >= %Limit% then
begin
  %_GRAY%
end;
