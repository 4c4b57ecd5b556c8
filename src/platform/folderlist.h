#pragma once
// Folder listings as the original platform gives them: sorted by name without case, masks
// matched without case.
#include <QString>
#include <QStringList>

namespace platform {

// Entry kinds a folder search selects. Plain files are always selected; folders only with
// faDirectory, hidden entries (names starting with '.') only with faHidden.
enum FileAttr : unsigned {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeId = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

// '*' stands for any run of characters, '?' for one; everything else, '[' included, is
// literal and compared without case.
bool MatchesMask(QStringView name, QStringView mask);

// The names (without folder) of the entries of dir that match mask and attr, never "." or
// "..", sorted by name without case. A missing folder gives none.
QStringList listFolderEntries(const QString &dir, const QString &mask, unsigned attr);

} // namespace platform
