#pragma once
// Backup copies of a page: where they go, what they are called, and copying them safely.
#include "base/heldfolder.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

class PageFile;

// The date and time as the user's regional settings write them (short date, a blank, the
// long time without a time zone) with every blank made "_" and every "/", ":" and "\" made
// "-".
QString backupTimeStamp(const QDateTime &when, const QLocale &locale);

// The backup path of the page pagePath under the setting backupPath (empty: beside the
// page; relative: below the page's folder; ".\name": beside the page; with a drive: that
// folder). The folder is created; a folder that cannot be made gives the page's own. The
// name is the page's with its extension replaced by "." + time stamp + ".bak"; when that
// name is taken already (two saves within one second, or a link, even a dangling one), "-2",
// "-3"... follow the time stamp.
QString makeBackupPath(const QString &pagePath, const QString &backupPath, const QDateTime &when,
                       const QLocale &locale);

// Makes the backup of the page pagePath, which holds bytes with mode, as makeBackupPath names
// it, but relative to pageFolder, the folder held for the page's path: a folder below it is
// reached without following a link, whatever its path leads to by now. The copy is made
// exclusively, is never readable by more users than the page, and is read back; the answer is
// its path, or empty when no exact copy could be made.
QString makeBackup(const HeldFolder &pageFolder, const QString &pagePath, const QString &backupPath,
                   const QByteArray &bytes, unsigned mode, const QDateTime &when, const QLocale &locale);

// Copies from to a new file to, never over anything of that name and never through a link,
// with no wider permissions than From's, and reads the copy back; true only when it holds
// exactly From's bytes. A copy that is not exact is removed. from is read without following a
// link at its name; with only, only when it is still that file.
bool copyFileVerified(const QString &from, const QString &to, const std::optional<FileIdentity> &only = std::nullopt);

// Puts the backup back over the page when the page no longer holds the backup's bytes;
// nothing for a page that is untouched. True when the page holds the backup's bytes
// afterwards.
bool restoreBackup(const QByteArray &backup, PageFile &page);
// The same with the backup read from its file; false for a backup that cannot be read.
bool restoreBackup(const QString &backupPath, const QString &pagePath);
