#include "common/testmain.h"
#include "common/testutil.h"
#include "programdirs.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <iterator>
#include <memory>

namespace {
const QString kProgram = QStringLiteral(PELLORIN_BIN_DIR "/pellorin");
// Generous: the sanitizer build starts slowly on a busy machine.
constexpr int kPatience = 120000;

// What the C library's heap checks and the sanitizers write when the heap was corrupted or
// freed memory was touched.
const char *const kCorruptionMarks[] = {
    "Sanitizer", "runtime error", "malloc", "free(): ", "double free", "corrupted", "invalid pointer"};

bool reportsCorruption(const QString &errors)
{
    return std::any_of(std::begin(kCorruptionMarks), std::end(kCorruptionMarks),
                       [&errors](const char *mark) { return errors.contains(QLatin1String(mark)); });
}

// The X keyboard library reads a string past its end when the connection opens; the sanitizer
// build's strict string checks would stop the editor there, long before the shut-down.
QString withoutStrictStringChecks(const QString &options)
{
    QStringList kept;
    for (const QString &option : options.split(u':', Qt::SkipEmptyParts))
        if (!option.startsWith(QLatin1String("strict_string_checks")))
            kept << option;
    return kept.join(u':');
}

// One run of the program as a user starts it, on the sample page, on an X server of its own
// (the first free display), with its settings in a folder of its own.
class EditorOnOwnDisplay {
public:
    EditorOnOwnDisplay()
    {
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1280x900x24")});
    }
    ~EditorOnOwnDisplay()
    {
        for (QProcess *process : {&m_editor, &m_server}) {
            process->kill();
            process->waitForFinished();
        }
    }
    EditorOnOwnDisplay(const EditorOnOwnDisplay &) = delete;
    EditorOnOwnDisplay &operator=(const EditorOnOwnDisplay &) = delete;

    // Starts the editor once the server is listening; answers the id of its main window once
    // that is shown, or empty.
    QString startAndWaitForWindow()
    {
        QByteArray number;
        while (!number.endsWith('\n') && m_server.waitForReadyRead(kPatience))
            number += m_server.readAllStandardOutput();
        if (!number.endsWith('\n'))
            return QString();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), u':' + QString::fromLatin1(number.trimmed()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dirs.filePath("cfg"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dirs.path());
        if (env.contains(QStringLiteral("ASAN_OPTIONS")))
            env.insert(QStringLiteral("ASAN_OPTIONS"),
                       withoutStrictStringChecks(env.value(QStringLiteral("ASAN_OPTIONS"))));
        m_editor.setProcessEnvironment(env);
        m_editor.start(kProgram, {m_dirs.copyOf(pellorin_test::kSamplePage, QStringLiteral("customer_orders.wqf"))});
        if (!m_editor.waitForStarted(kPatience))
            return QString();
        QString window;
        xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--pid"), QString::number(m_editor.processId())},
                &window);
        return window;
    }
    // Runs xdotool on the editor's display; whether it succeeded. Its output goes to output
    // without the line end.
    bool xdotool(const QStringList &arguments, QString *output = nullptr)
    {
        QProcess tool;
        tool.setProcessEnvironment(m_editor.processEnvironment());
        tool.start(QStringLiteral("xdotool"), arguments);
        if (!tool.waitForFinished(kPatience) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
            return false;
        if (output)
            *output = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
        return true;
    }
    void killServer()
    {
        m_server.kill();
        m_server.waitForFinished();
    }
    bool waitForEditorEnd() { return m_editor.waitForFinished(kPatience); }
    QProcess &editor() { return m_editor; }

private:
    pellorin_test::ProgramDirs m_dirs;
    QProcess m_server;
    QProcess m_editor;
};

bool toolsMissing()
{
    return QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
           QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}
} // namespace

// The program ending under a real X server: when the server goes away under it, as when the
// user's session ends, and by its own Exit command. Either way it ends cleanly with its
// status and nothing on the error output tells of a damaged heap. Starts X servers of its own.
class TestDisplayLoss : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        if (toolsMissing())
            QSKIP("needs Xvfb and xdotool");
    }

    // Qt ends the program with exit(1) from inside the event loop; what went wrong there did
    // not show in every run, so a few runs.
    void serverKilledUnderTheWindow()
    {
        for (int run = 1; run <= 5; ++run) {
            EditorOnOwnDisplay session;
            QVERIFY2(!session.startAndWaitForWindow().isEmpty(), "the window never showed");
            session.killServer();
            QVERIFY(session.waitForEditorEnd());
            const QString errors = QString::fromLocal8Bit(session.editor().readAllStandardError());
            const QString context = QStringLiteral("run %1:\n%2").arg(run).arg(errors);
            QVERIFY2(errors.contains(QLatin1String("X11 connection broke")), qPrintable(context));
            QVERIFY2(!reportsCorruption(errors), qPrintable(context));
            QVERIFY2(session.editor().exitStatus() == QProcess::NormalExit, qPrintable(context));
            QCOMPARE(session.editor().exitCode(), 1);
        }
    }

    // File > Exit by its key, Alt+F4: the page was not changed, so nothing is asked.
    void exitCommand()
    {
        EditorOnOwnDisplay session;
        const QString window = session.startAndWaitForWindow();
        QVERIFY2(!window.isEmpty(), "the window never showed");
        // No window manager: the window takes the focus itself.
        QVERIFY(session.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}));
        QVERIFY(session.xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")}));
        QVERIFY(session.waitForEditorEnd());
        const QString errors = QString::fromLocal8Bit(session.editor().readAllStandardError());
        QVERIFY2(!reportsCorruption(errors), qPrintable(errors));
        QVERIFY2(session.editor().exitStatus() == QProcess::NormalExit, qPrintable(errors));
        QCOMPARE(session.editor().exitCode(), 0);
    }
};

// Registered without an offscreen entry of its own: CTest runs it beside the virtual display
// tests, which it must not run beside.
static const bool registered =
    ::pellorin_test::registerTestClass("TestDisplayLoss", [] { return std::unique_ptr<QObject>(new TestDisplayLoss); });
#include "test_displayloss.moc"
