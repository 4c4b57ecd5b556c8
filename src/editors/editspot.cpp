#include "editspot.h"

#include "base/textutils.h"

int TEditSpot::GetInt(const QString &Name) const { return m_values.value(LowerCaseAscii(Name), 0); }

void TEditSpot::SetInt(const QString &Name, int Value) { m_values.insert(LowerCaseAscii(Name), Value); }
