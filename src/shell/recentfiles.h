#pragma once
// The file of the recent-files list: one path a line, newest first, at most 20 lines.
#include <QString>
#include <QStringList>

constexpr int MaxRecentFiles = 20;
inline const QString RecentFilesName = QStringLiteral("recentfiles.txt");

// Of the file's first 20 lines, those that name an existing file, in file order; what was
// read before an error; nothing for a missing file.
QStringList ReadRecentFiles(const QString &Path);
// Writes the first 20 names as the file's lines, creating the folder; errors are ignored.
void WriteRecentFiles(const QString &Path, const QStringList &Files);
// Whether two paths name the same recent file: compared upper-cased.
bool SameRecentFile(const QString &A, const QString &B);
