// %Part% as a share of %Whole%, in percent with %Digits% digits after the point.
if StrToFloatDef('#S%Whole%#', 0) = 0 then
  Result := '0 %%'
else
  Result := FloatToStrF(100 * StrToFloatDef('#S%Part%#', 0) / StrToFloatDef('#S%Whole%#', 0), ffFixed, 15,
    %Digits%) + ' %%';
