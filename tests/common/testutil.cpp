#include "testutil.h"

#include <QFile>
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
