#pragma once
// Every file the program writes whole (pages, INI files, the recent list, backup copies,
// pictures) goes through here, so that no writer can leave a truncated or empty file behind,
// write through a link at a name, let others read a secret, or report a write that a power
// cut could still undo.
//
// One way does it all: a new file made exclusively beside the name in a held folder, given its
// mode before its first byte, written, synced once, renamed over the name, and then the
// folder synced so that the rename itself is on the disk. Where folders are not held by
// descriptor (see heldfolder.h), Qt's QSaveFile stands in for it.
#include "heldfolder.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>
#include <optional>

// Who may read a file that writeFileAtomically writes.
enum class FileAccess {
    // A new file as the user's file-creation mask makes it; an existing one keeps its
    // permissions.
    Default,
    // For files that hold secrets: a new file is the owner's alone from its creation, an
    // existing one keeps its permissions without any for group and others.
    OwnerOnly,
};

// How a write into a held folder ended.
enum class WriteResult {
    // In place, and on the disk with the folder's entry.
    Written,
    // The last check before the rename said no: nothing changed.
    Cancelled,
    // Nothing changed; the error says why.
    Failed,
    // In place, but the folder's sync failed, so a power cut could still bring the old file
    // back; the error says why.
    NotDurable,
};

struct ReplaceOptions {
    // The new file's mode bits; none gives a new file's (narrowed by the file-creation mask).
    std::optional<unsigned> mode;
    // Asked once the new bytes are on the disk, right before the rename; false leaves
    // everything as it was.
    std::function<bool()> beforeRename;
};

// Makes name in folder hold exactly bytes, or leaves it as it was: whatever has the name, a
// link included, is replaced by the rename and never followed or written. written (when
// given) receives what the name holds once the new file has it.
WriteResult replaceInFolder(const HeldFolder &folder, const QString &name, const QByteArray &bytes,
                            const ReplaceOptions &options = {}, QString *error = nullptr,
                            std::optional<NameStatus> *written = nullptr);

// Creates name in folder holding bytes, for a name the program made up. Nothing that already
// has the name is opened, followed or replaced: an existing file or link (dangling or not)
// makes it fail with the reason "A file or link of that name exists already". The new file
// gets mode, narrowed by the file-creation mask. On any other failure nothing is left and
// error (when given) receives the system's reason.
bool writeNewFileIn(const HeldFolder &folder, const QString &name, const QByteArray &bytes, unsigned mode,
                    QString *error = nullptr);

// As replaceInFolder in the folder of fileName, but a link at fileName is followed: its target
// gets the bytes. An existing file's permissions carry over (narrowed as access says). On
// failure error (when given) receives the system's reason, such as "No space left on device".
bool writeFileAtomically(const QString &fileName, const QByteArray &bytes, QString *error = nullptr,
                         FileAccess access = FileAccess::Default);

// As replaceInFolder in the folder of fileName: the name itself gets the bytes. A plain file
// there passes on its permissions; anything else leaves those of a new file.
bool replaceNameAtomically(const QString &fileName, const QByteArray &bytes, QString *error = nullptr);

// What makes a written file's bytes durable before they replace the old ones (fdatasync), and
// what makes a folder's entries durable (fsync of the folder); each answers 0, or -1 with
// errno set. Tests put failing ones in their place; each setter answers the one it replaced.
using SyncFileFunction = int (*)(int fd);
SyncFileFunction setSyncFileFunction(SyncFileFunction sync);
SyncFileFunction setSyncFolderFunction(SyncFileFunction sync);

// True when anything has that name: a file, a folder, or a link, even one that leads nowhere.
bool nameTaken(const QString &fileName);

// Read and write for all, what a new file gets before the file-creation mask narrows it.
inline constexpr QFileDevice::Permissions kReadWriteForAll = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                             QFileDevice::ReadOther | QFileDevice::WriteOther;

// writeNewFileIn in the folder of fileName.
bool writeNewFile(const QString &fileName, const QByteArray &bytes, QString *error = nullptr,
                  QFileDevice::Permissions permissions = kReadWriteForAll);
