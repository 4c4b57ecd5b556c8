#pragma once
// Every file the program writes whole (pages, INI files, the recent list, backup copies,
// pictures) goes through here, so that no writer can leave a truncated or empty file behind,
// write through a link at a name it made up, or let others read a secret.
#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Who may read a file that writeFileAtomically writes.
enum class FileAccess {
    // A new file as the user's file-creation mask makes it; an existing one keeps its
    // permissions.
    Default,
    // For files that hold secrets: a new file is the owner's alone from its creation, an
    // existing one keeps its permissions without any for group and others.
    OwnerOnly,
};

// Makes fileName hold exactly bytes, or leaves it as it was. The bytes go to a temporary file
// in the same folder, which is flushed, synced to the disk and checked at each step before it
// is renamed over the file; on any failure the temporary file is removed. A link at fileName
// is followed: its target gets the bytes. An existing file's permissions carry over (narrowed
// as access says). On failure error (when given) receives the system's reason, such as "No
// space left on device".
bool writeFileAtomically(const QString &fileName, const QByteArray &bytes, QString *error = nullptr,
                         FileAccess access = FileAccess::Default);

// As writeFileAtomically, but the name itself gets the bytes: whatever has it now, a link
// included, is replaced and never followed or written. A plain file there passes on its
// permissions; anything else leaves those of a new file.
bool replaceNameAtomically(const QString &fileName, const QByteArray &bytes, QString *error = nullptr);

// What makes a written file's bytes durable before they replace the old ones (fdatasync);
// answers 0, or -1 with errno set. Tests put a failing one in its place.
using SyncFileFunction = int (*)(int fd);
// Puts sync in place and answers the one it replaced.
SyncFileFunction setSyncFileFunction(SyncFileFunction sync);

// True when anything has that name: a file, a folder, or a link, even one that leads nowhere.
bool nameTaken(const QString &fileName);

// Read and write for all, what a new file gets before the file-creation mask narrows it.
inline constexpr QFileDevice::Permissions kReadWriteForAll = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                             QFileDevice::ReadOther | QFileDevice::WriteOther;

// Creates fileName holding bytes, for a name the program made up. Nothing that already has the
// name is opened, followed or replaced: an existing file or link (dangling or not) makes it
// fail with the reason "A file or link of that name exists already". The new file gets
// permissions, narrowed by the file-creation mask. On any other failure the file made is
// removed and error (when given) receives the system's reason.
bool writeNewFile(const QString &fileName, const QByteArray &bytes, QString *error = nullptr,
                  QFileDevice::Permissions permissions = kReadWriteForAll);
