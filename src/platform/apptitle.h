#pragma once
// The application's title: the name the program goes by for the open page, beside the
// caption of its main window, and the caption of a message box that names none. It is kept
// apart from Qt's application display name, which the window systems append to the title of
// every window once it is set, the program's dialogs included.
#include <QString>

namespace platform {
// The title set last; the application's name while none was set.
QString applicationTitle();
void setApplicationTitle(const QString &title);
} // namespace platform
