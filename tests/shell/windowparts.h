#pragma once
// The main window's widgets as tests reach them: by the object names the window gives them.
#include <QObject>
#include <QString>
#include <QWidget>
#include <QtGlobal>

namespace pellorin_test {
// The child of window named name; a missing one ends the run, since every later check would
// only repeat it.
template <class T = QWidget> T *part(const QObject *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("the window has no child named %s of the type asked for", name);
    return found;
}
} // namespace pellorin_test
