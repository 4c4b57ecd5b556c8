// Folder listings sorted without case, masks without case.
#include "folderlist.h"

#include <QChar>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace platform {

bool MatchesMask(QStringView name, QStringView mask)
{
    const QList<uint> n = name.toUcs4();
    const QList<uint> m = mask.toUcs4();
    // Greedy matching that returns to the last '*' on a mismatch: linear in practice,
    // never exponential.
    qsizetype i = 0, j = 0, starJ = -1, starI = 0;
    while (i < n.size()) {
        if (j < m.size() && m[j] == U'*') {
            starJ = j++;
            starI = i;
        } else if (j < m.size() && (m[j] == U'?' || QChar::toCaseFolded(m[j]) == QChar::toCaseFolded(n[i]))) {
            ++i;
            ++j;
        } else if (starJ >= 0) {
            j = starJ + 1;
            i = ++starI;
        } else {
            return false;
        }
    }
    while (j < m.size() && m[j] == U'*')
        ++j;
    return j == m.size();
}

QStringList listFolderEntries(const QString &dir, const QString &mask, unsigned attr)
{
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::NoSort);
    QStringList names;
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        if (entry.isDir() && !(attr & faDirectory))
            continue;
        if (name.startsWith(u'.') && !(attr & faHidden))
            continue;
        if (MatchesMask(name, mask))
            names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

} // namespace platform
