#pragma once
// The application object, and the one place where an exception that nothing else handled ends
// up: an abort is ignored, anything else is shown with the choice to go on or to end the
// program.
#include <QApplication>
#include <QString>

// "%s%sPress OK to ignore and risk data corruption.%sPress Abort to kill the program." with
// the exception's message, a blank line and a line break.
QString unhandledExceptionText(const QString &message);
// Shows the text as an error with OK and Abort; true when the user chose OK.
bool askIgnoreException(const QString &message, QWidget *parent = nullptr);
// Inside a catch handler: nothing for an abort; otherwise the unhandled-exception dialog, and
// the program ends unless the user chooses to go on. Events and guarded slots end up here.
void handleCurrentException(QWidget *parent = nullptr);

class PellorinApplication : public QApplication {
    Q_OBJECT
public:
    PellorinApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
