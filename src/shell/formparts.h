#pragma once
// The small pieces the window's forms are built with, so that each form names its widgets and
// sets its captions and code fonts alike.
#include <QFont>
#include <QString>

// The main window's design size, kept when the settings hold no bounds; its parts are laid
// out for it.
constexpr int mainDesignWidth = 664;
constexpr int mainDesignHeight = 541;

// The object with name as its objectName, so that a widget is made and named in one expression.
template <class T> T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// A caption of a button or menu item showing text as it is: there "&" marks a mnemonic.
QString literalCaption(const QString &text);

// The fixed-pitch font of the editors that show code and test values.
QFont fixedFont();
