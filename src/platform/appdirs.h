#pragma once
// Where the program's files live: its own folder and the per-user configuration folder.
#include <QString>

namespace platform {
// The program file's name without folder, as started (argument 0).
QString programFileName();
// A file name without its last extension ("tool.exe" gives "tool"; a leading dot is no
// extension).
QString withoutExtension(const QString &fileName);
// The program's name: its file name without the last extension.
QString programName();
// The folder of the program file, ending with "/".
QString programFolder();
// The per-user configuration folder of the program, ending with "/"; not created here.
QString appConfigDir();
} // namespace platform
