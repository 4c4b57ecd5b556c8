#pragma once
// What the window shows of the open page's file: its caption, the application's title and
// icon, as the naming plug-in gives them for the file name.
#include <QString>

class QWidget;

struct PageCaption {
    // "Pellorin: " and the plug-in's caption, the path when it gives none.
    QString windowTitle;
    // The plug-in's title, the file name without folder when it gives none.
    QString applicationTitle;
    // The plug-in's icon file; empty for none.
    QString iconFile;
};

// Tells the naming plug-in the file name and takes its answers.
PageCaption captionOfFile(const QString &fileName);
// The caption on the window, the title on the application, and the icon on both when its
// file loads; a missing icon keeps the one shown.
void showPageCaption(QWidget *window, const PageCaption &caption);
