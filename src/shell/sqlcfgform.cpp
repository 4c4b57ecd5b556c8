// The SQL Settings window: the prober's connection values and the #S test values.
#include "sqlcfgform.h"

#include "appini.h"
#include "base/atomicfile.h"
#include "base/moduleslot.h"
#include "base/stringlist.h"
#include "base/textutils.h"
#include "checks/appgui.h"
#include "checks/pellorinplugin.h"
#include "checks/sqlquerycheck.h"
#include "formparts.h"
#include "platform/slotguard.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {
const QString kTestValuesFile = QStringLiteral("pounds.txt");

// Markers of the test-values editor's gutter.
constexpr int kBookmarkMarker = 1;
constexpr int kChangeMarker = 2;
constexpr int kNumberMargin = 0;
constexpr int kBookmarkMargin = 1;
constexpr int kChangeMargin = 2;

ModuleSlot<TSQLConn> g_window;
bool g_started = false;

QString testValuesPath() { return ConfigDir().isEmpty() ? QString() : ConfigDir() + kTestValuesFile; }

bool isBlank(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' ' || c == u'\r' || c == u'\n'; });
}
} // namespace

TSQLConn::TSQLConn(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("SQLConn"));
    setWindowTitle(QStringLiteral("SQL Settings"));
    resize(320, 240);

    m_connectionMemo = new QPlainTextEdit(this);
    m_connectionMemo->setObjectName(QStringLiteral("Memo1"));
    m_connectionMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_connectionMemo->setFixedHeight(76);
    m_connectionMemo->setPlainText(QStringLiteral("Hostname=\nUsername=\nPassword=\nDatabase="));

    m_testValuesLabel = new QLabel(QStringLiteral("Testing #S variables"), this);
    m_testValuesLabel->setObjectName(QStringLiteral("Label1"));

    m_testValuesEditor = new QsciScintilla(this);
    m_testValuesEditor->setObjectName(QStringLiteral("SynMemo1"));
    m_testValuesEditor->setFont(fixedFont());
    m_testValuesEditor->setMinimumHeight(120);
    m_testValuesEditor->setMargins(3);
    m_testValuesEditor->setMarginType(kNumberMargin, QsciScintilla::NumberMargin);
    m_testValuesEditor->setMarginLineNumbers(kNumberMargin, true);
    m_testValuesEditor->setMarginsFont(fixedFont());
    m_testValuesEditor->setMarginWidth(kNumberMargin, QStringLiteral("000"));
    m_testValuesEditor->setMarginType(kBookmarkMargin, QsciScintilla::SymbolMargin);
    m_testValuesEditor->setMarginWidth(kBookmarkMargin, 14);
    m_testValuesEditor->setMarginMarkerMask(kBookmarkMargin, 1 << kBookmarkMarker);
    m_testValuesEditor->setMarginSensitivity(kBookmarkMargin, true);
    m_testValuesEditor->markerDefine(QsciScintilla::Bookmark, kBookmarkMarker);
    m_testValuesEditor->setMarginType(kChangeMargin, QsciScintilla::SymbolMargin);
    m_testValuesEditor->setMarginWidth(kChangeMargin, 4);
    m_testValuesEditor->setMarginMarkerMask(kChangeMargin, 1 << kChangeMarker);
    m_testValuesEditor->markerDefine(QsciScintilla::LeftRectangle, kChangeMarker);
    m_testValuesEditor->setMarkerBackgroundColor(QColor(0, 160, 0), kChangeMarker);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_connectionMemo);
    layout->addWidget(m_testValuesLabel);
    layout->addWidget(m_testValuesEditor, 1);

    connect(m_connectionMemo, &QPlainTextEdit::textChanged, this, &TSQLConn::Memo1Change);
    connect(m_testValuesEditor, &QsciScintilla::textChanged, this, &TSQLConn::SynMemo1Change);
    connect(m_testValuesEditor, &QsciScintilla::marginClicked, this, [this](int margin, int line) {
        if (margin != kBookmarkMargin)
            return;
        if (m_testValuesEditor->markersAtLine(line) & (1 << kBookmarkMarker))
            m_testValuesEditor->markerDelete(line, kBookmarkMarker);
        else
            m_testValuesEditor->markerAdd(line, kBookmarkMarker);
    });
    connect(m_testValuesEditor, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char *, int, int linesAdded) {
                markChangedLines(position, type, linesAdded);
            });
    m_connectionMemo->installEventFilter(this);
    m_testValuesEditor->installEventFilter(this);
}

TSQLConn::~TSQLConn()
{
    m_connectionMemo->removeEventFilter(this);
    m_testValuesEditor->removeEventFilter(this);
    FormDestroy();
}

void TSQLConn::FillMemo()
{
    const SQLCheckState &state = sqlCheckState();
    const QStringList lines = {
        QStringLiteral("Hostname=") + state.SQLHost,
        QStringLiteral("Username=") + state.SQLUser,
        QStringLiteral("Password=") + state.SQLPassword,
        QStringLiteral("Database=") + state.SQLDatabase,
    };
    for (const QString &line : lines)
        m_connectionMemo->appendPlainText(line);
}

void TSQLConn::fillFromValues()
{
    {
        const QSignalBlocker blocker(m_connectionMemo);
        m_connectionMemo->clear();
        FillMemo();
        m_connectionMemo->moveCursor(QTextCursor::Start);
    }
    {
        const QSignalBlocker blocker(m_testValuesEditor);
        m_testValuesEditor->setText(sqlCheckState().TestValues.join(u'\n'));
        m_testValuesEditor->markerDeleteAll(kChangeMarker);
    }
}

void TSQLConn::Memo1Change()
{
    const StringList lines(splitLines(m_connectionMemo->toPlainText()));
    SQLCheckState &state = sqlCheckState();
    state.SQLHost = lines.value(u"Hostname");
    state.SQLUser = lines.value(u"Username");
    state.SQLPassword = lines.value(u"Password");
    state.SQLDatabase = lines.value(u"Database");
}

void TSQLConn::Memo1Exit()
{
    if (!isBlank(m_connectionMemo->toPlainText()))
        return;
    m_connectionMemo->clear();
    FillMemo();
}

void TSQLConn::SynMemo1Change() { sqlCheckState().TestValues = splitLines(m_testValuesEditor->text()); }

void TSQLConn::SynMemo1Exit() { SynMemo1Change(); }

void TSQLConn::markChangedLines(int position, int modificationType, int linesAdded)
{
    if (!(modificationType & (QsciScintillaBase::SC_MOD_INSERTTEXT | QsciScintillaBase::SC_MOD_DELETETEXT)))
        return;
    const int first = int(m_testValuesEditor->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, position));
    for (int line = first; line <= first + std::max(linesAdded, 0); ++line)
        m_testValuesEditor->markerAdd(line, kChangeMarker);
}

void TSQLConn::FormClose() { SaveFormBounds(this); }

void TSQLConn::FormResize() { SaveFormBounds(this); }

void TSQLConn::FormDestroy() { SaveFormBounds(this); }

void TSQLConn::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TSQLConn::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

bool TSQLConn::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_connectionMemo)
            Memo1Exit();
        else if (watched == m_testValuesEditor)
            SynMemo1Exit();
    }
    return QWidget::eventFilter(watched, event);
}

QString sampleDatabaseIn(const QString &programFolder)
{
    return programFolder + QStringLiteral("samples/customer_orders.sqlite");
}

void LoadSQLSettings(const QString &programFolder)
{
    SQLCheckState &state = sqlCheckState();
    const SqlCheckValues stored = readSqlCheck();
    state.SQLHost = stored.host;
    state.SQLUser = stored.user;
    state.SQLPassword = stored.password;
    state.SQLDatabase = stored.database;
    const IniFile *ini = SettingsIni();
    const QString sample = sampleDatabaseIn(programFolder);
    if (ini && !ini->sectionExists(QStringLiteral("SQLCHECK")) && QFileInfo(sample).isFile())
        state.SQLDatabase = sample;

    QFile file(testValuesPath());
    if (!testValuesPath().isEmpty() && file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            state.TestValues = splitLines(QString::fromUtf8(bytes));
    }
}

void SaveSQLSettings()
{
    const SQLCheckState &state = sqlCheckState();
    writeSqlCheck({state.SQLHost, state.SQLUser, state.SQLPassword, state.SQLDatabase});
    const QString path = testValuesPath();
    if (path.isEmpty())
        return;
    QByteArray bytes;
    for (const QString &line : state.TestValues)
        bytes += line.toUtf8() + '\n';
    // Test values may be secrets, as the password is.
    writeFileAtomically(path, bytes, nullptr, FileAccess::OwnerOnly);
}

void ShowSQLSettings()
{
    if (!g_window) {
        g_window.reset(std::make_unique<TSQLConn>());
        g_window->fillFromValues();
        RestoreFormBounds(g_window.get());
    }
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
}

TSQLConn *SQLConnWindow() { return g_window.get(); }

void TAppHandler::SQLTestParamsClick() { ShowSQLSettings(); }

void initSQLCfgForm(const QString &programFolder)
{
    LoadSQLSettings(programFolder);
    g_started = true;
    QAction *item = AddMenuItem(QStringLiteral("Tools"));
    item->setObjectName(QStringLiteral("mnuSqlTestParams"));
    item->setText(QStringLiteral("SQL test params"));
    item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QObject::connect(item, &QAction::triggered, item, guarded([] { TAppHandler::SQLTestParamsClick(); }));
}

void doneSQLCfgForm()
{
    g_window.reset();
    if (g_started)
        SaveSQLSettings();
    g_started = false;
}
