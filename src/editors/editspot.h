#pragma once
// Remembered scroll positions, one per name; names compare without ASCII case.
#include <QHash>
#include <QString>

class TEditSpot {
public:
    // The value stored under name; 0 when none is.
    int GetInt(const QString &name) const;
    // Replaces an earlier value of that name.
    void SetInt(const QString &name, int value);

private:
    QHash<QString, int> m_values; // by the name in lower case
};
