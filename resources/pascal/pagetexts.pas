unit pagetexts;

// Text helpers shared by the page's code components.

interface

function IsBlank(const S: string): Boolean;
function Quoted(const S: string): string;

implementation

uses SysUtils;

function IsBlank(const S: string): Boolean;
begin
  Result := Trim(S) = '';
end;

function Quoted(const S: string): string;
begin
  Result := '''' + StringReplace(S, '''', '''''', [rfReplaceAll]) + '''';
end;

end.
