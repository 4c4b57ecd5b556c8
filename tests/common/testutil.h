#pragma once
#include <QByteArray>
#include <QString>

namespace pellorin_test {
// Path of a fixture below tests/data.
QString dataPath(const QString &name);
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// Shows control characters so that a failed byte comparison can be read.
QByteArray visible(const QByteArray &bytes);
} // namespace pellorin_test
