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
// Writes an executable POSIX shell script with the body (the "#!/bin/sh" line is added).
void writeScript(const QString &path, const QByteArray &body);
// Whether a process of that number still runs (a zombie counts as ended).
bool processAlive(qint64 pid);
} // namespace pellorin_test
