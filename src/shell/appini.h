#pragma once
// The settings file: one per-user INI file named after the program in its configuration
// folder, open from initAppIni to doneAppIni, and the window bounds kept in it.
#include "base/inifile.h"
#include "base/rect.h"

#include <QSize>
#include <QString>

class QWidget;

// configDir and programFileName replace the per-user folder and the program's own file name
// (tests use a temporary folder). The folder is created when missing.
void initAppIni(const QString &configDir = QString(), const QString &programFileName = QString());
// Writes what is not in the file yet, then closes it.
void doneAppIni();
// From now on changes wait for doneAppIni, which writes them once: the shut-down's windows
// and modules each store their part.
void deferSettingsWrites();
// Ends with "/"; empty outside initAppIni and doneAppIni.
QString ConfigDir();
// ConfigDir + the program's file name with the extension ".ini".
QString GetIniFileName();
// Every write reaches the file at once. None outside initAppIni and doneAppIni; the
// functions below then read their defaults and write nothing.
IniFile *SettingsIni();

// Keys "Left", "Top", "Width", "Height"; a failed write is ignored.
void WriteBounds(const QString &section, const Rect &bounds);
// Missing keys read as 0.
Rect ReadBounds(const QString &section);
// The rules for stored bounds coming back: a window whose left or top edge lies beyond the
// screen's width or height comes back 100 pixels inside it; negative values stay (screens
// left of or above the primary one); width and height are at least 20.
Rect clampFormBounds(const Rect &stored, const QSize &screen);
// Section is the form's objectName; a maximised or minimised window stores its normal bounds.
void SaveFormBounds(const QWidget *form);
// Nothing when the file has no section of the form's name.
void RestoreFormBounds(QWidget *form);

// The SQL prober's connection values, section "SQLCHECK"; empty when missing.
struct SqlCheckValues {
    QString host;
    QString user;
    QString password; // stored as typed, in plain text
    QString database;
};
SqlCheckValues readSqlCheck();
void writeSqlCheck(const SqlCheckValues &values);
