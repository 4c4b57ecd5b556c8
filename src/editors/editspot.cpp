// Remembered scroll positions by name.
#include "editspot.h"

#include "base/textutils.h"

int TEditSpot::GetInt(const QString &Name) const { return m_values.value(lowerCaseAscii(Name), 0); }

void TEditSpot::SetInt(const QString &Name, int Value) { m_values.insert(lowerCaseAscii(Name), Value); }
