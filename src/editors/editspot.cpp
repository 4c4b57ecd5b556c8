// Remembered scroll positions by name.
#include "editspot.h"

#include "base/textutils.h"

int TEditSpot::GetInt(const QString &name) const { return m_values.value(lowerCaseAscii(name), 0); }

void TEditSpot::SetInt(const QString &name, int value) { m_values.insert(lowerCaseAscii(name), value); }
