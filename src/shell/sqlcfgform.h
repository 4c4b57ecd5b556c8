#pragma once
// The SQL Settings window: the SQL prober's connection values and the #S test values, edited
// in a modeless window created on first use. The values are read at start-up (section
// "SQLCHECK" of the settings file and "pounds.txt" beside it) and written back at shut-down;
// every edit takes effect at once.
#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QsciScintilla;

class TSQLConn : public QWidget {
    Q_OBJECT
public:
    explicit TSQLConn(QWidget *parent = nullptr);
    ~TSQLConn() override;

    // Appends the four lines "Hostname=", "Username=", "Password=", "Database=" with the
    // current values.
    void FillMemo();
    // The first showing: the controls show the current values without changing them.
    void fillFromValues();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Memo1Change();
    void Memo1Exit();
    void SynMemo1Change();
    void SynMemo1Exit();
    void FormClose();
    void FormResize();
    void FormDestroy();
    void markChangedLines(int position, int modificationType, int linesAdded);

    QPlainTextEdit *m_connectionMemo;
    QLabel *m_testValuesLabel;
    QsciScintilla *m_testValuesEditor;
};

// The sample page's test database beside the program.
QString sampleDatabaseIn(const QString &programFolder);
// The connection values from "SQLCHECK" (empty when missing), then the test values from
// "pounds.txt", an unreadable file leaving them as they were. A settings file without any
// "SQLCHECK" section takes the sample database beside the program, when there is one, as its
// database, so the sample page is checked for real from the first run on.
void LoadSQLSettings(const QString &programFolder);
// The four values to "SQLCHECK", then the test values to "pounds.txt"; errors ignored.
void SaveSQLSettings();
// Creates the window on the first call; shows it, modeless, on every call.
void ShowSQLSettings();
// None until first shown.
TSQLConn *SQLConnWindow();

struct TAppHandler {
    static void SQLTestParamsClick();
};

// After the SQL checks' module: loads the values and queues Tools > "SQL test params"
// (Ctrl+L). programFolder ends with "/".
void initSQLCfgForm(const QString &programFolder);
// Destroys the window (which stores its bounds), then saves the values; before the settings
// file closes.
void doneSQLCfgForm();
