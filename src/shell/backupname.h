#pragma once
// Backup copies of a page: where they go, what they are called, and copying them safely.
#include "platform/fileattr.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

// The date and time as the user's regional settings write them (short date, a blank, the
// long time without a time zone) with every blank made "_" and every "/", ":" and "\" made
// "-".
QString BackupTimeStamp(const QDateTime &When, const QLocale &Locale);

// The backup path of the page PagePath under the setting BackupPath (empty: beside the
// page; relative: below the page's folder; ".\name": beside the page; with a drive: that
// folder). The folder is created; a folder that cannot be made gives the page's own. The
// name is the page's with its extension replaced by "." + time stamp + ".bak"; when that
// name is taken already (two saves within one second, or a link, even a dangling one), "-2",
// "-3"... follow the time stamp.
QString MakeBackupPath(const QString &PagePath, const QString &BackupPath, const QDateTime &When,
                       const QLocale &Locale);

// Copies From to a new file To, never over anything of that name and never through a link,
// with no wider permissions than From's, and reads the copy back; true only when it holds
// exactly From's bytes. A copy that is not exact is removed. With only, From is copied only
// when it is still that file.
bool CopyFileVerified(const QString &From, const QString &To,
                      const std::optional<platform::FileIdentity> &only = std::nullopt);

// Puts the backup back over the page when the page no longer holds the backup's bytes;
// nothing for a page that is untouched or a backup that cannot be read. True when the page
// holds the backup's bytes afterwards.
bool RestoreBackup(const QString &BackupPath, const QString &PagePath);
