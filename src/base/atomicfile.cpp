#include "atomicfile.h"

#include <QSaveFile>

namespace {
bool fail(QSaveFile &file, QString *error, const QString &reason)
{
    if (error)
        *error = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
    file.cancelWriting();
    return false;
}
} // namespace

bool WriteFileAtomically(const QString &fileName, const QByteArray &bytes, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file, error, file.errorString());
    if (file.write(bytes) != bytes.size())
        return fail(file, error, file.errorString());
    // commit() would rename the temporary file over the old one even when this last flush of
    // its buffer failed: a full disk would leave an empty file and report success.
    if (!file.flush())
        return fail(file, error, file.errorString());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
