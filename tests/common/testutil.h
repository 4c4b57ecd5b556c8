#pragma once
#include <QByteArray>
#include <QString>

namespace pellorin_test {
// Path of a fixture below tests/data.
QString dataPath(const QString &name);
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// The bytes with text inserted before, or after, the first occurrence of anchor; bytes without
// the anchor end the run.
QByteArray insertedBefore(QByteArray bytes, const QByteArray &anchor, const QByteArray &text);
QByteArray insertedAfter(QByteArray bytes, const QByteArray &anchor, const QByteArray &text);
// Shows control characters so that a failed byte comparison can be read.
QByteArray visible(const QByteArray &bytes);
// Copies every file below the folder from into the folder to, keeping their modes (a program
// stays executable) and making the folders they need.
void copyFolder(const QString &from, const QString &to);
// Writes an executable POSIX shell script with the body (the "#!/bin/sh" line is added).
void writeScript(const QString &path, const QByteArray &body);
// Whether a process of that number still runs (a zombie counts as ended).
bool processAlive(qint64 pid);
} // namespace pellorin_test
