#include "testutil.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <stdexcept>

namespace pellorin_test {

QString dataPath(const QString &name) { return QStringLiteral(PELLORIN_TEST_DATA "/") + name; }

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

namespace {
qsizetype anchorIn(const QByteArray &bytes, const QByteArray &anchor)
{
    const qsizetype at = bytes.indexOf(anchor);
    if (at < 0)
        qFatal("the bytes lack %s", anchor.constData());
    return at;
}
} // namespace

QByteArray insertedBefore(QByteArray bytes, const QByteArray &anchor, const QByteArray &text)
{
    return bytes.insert(anchorIn(bytes, anchor), text);
}

QByteArray insertedAfter(QByteArray bytes, const QByteArray &anchor, const QByteArray &text)
{
    return bytes.insert(anchorIn(bytes, anchor) + anchor.size(), text);
}

void copyFolder(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(source, target))
            throw std::runtime_error("cannot copy " + source.toStdString());
        QFile::setPermissions(target, QFile::permissions(source));
    }
}

void writeScript(const QString &path, const QByteArray &body)
{
    writeBytes(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool processAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // "pid (name) state ...": the state follows the name's closing parenthesis.
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line[close + 2] != 'Z';
}

QByteArray visible(const QByteArray &bytes)
{
    QByteArray out;
    for (char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}
} // namespace pellorin_test
