// Stops here when the request value %Field% is empty.
if Trim('#S%Field%#') = '' then
begin
  Result := '%Message%';
  %_GRAY%
end;
