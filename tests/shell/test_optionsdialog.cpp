#include "base/inifile.h"
#include "checks/pellorinplugin.h"
#include "common/pagefixture.h"
#include "common/scriptedprompter.h"
#include "common/testmain.h"
#include "programdirs.h"
#include "shell/globaloptions.h"
#include "shell/mainform.h"
#include "shell/optionsdialog.h"
#include "shell/searchresultformunit.h"
#include "shell/searchwindow.h"
#include "shell/startup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// A check that reports that it ran.
class RecordingCheck : public TWarningPlugin {
public:
    RecordingCheck(QString className, QString description)
        : m_class(std::move(className)), m_description(std::move(description))
    {}
    QString className() const override { return m_class; }
    QString GetDescription() override { return m_description; }
    void CheckFile(TWQFFile *, CheckMessageList &messages) override
    {
        messages.append({"ran " + m_description, nullptr});
    }

private:
    QString m_class;
    QString m_description;
};

template <class T> T *child(QWidget *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        qFatal("no %s", qPrintable(name));
    return found;
}

// A combo box by its item index, a check box as "1" or "0", an edit box by its text.
void setControl(QWidget *form, const QString &name, const QString &value)
{
    QWidget *w = child<QWidget>(form, name);
    if (auto *combo = qobject_cast<QComboBox *>(w))
        combo->setCurrentIndex(value.toInt());
    else if (auto *box = qobject_cast<QCheckBox *>(w))
        box->setChecked(value == u"1");
    else
        child<QLineEdit>(form, name)->setText(value);
}
QString controlValue(QWidget *form, const QString &name)
{
    QWidget *w = child<QWidget>(form, name);
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return QString::number(combo->currentIndex());
    if (auto *box = qobject_cast<QCheckBox *>(w))
        return box->isChecked() ? "1" : "0";
    return child<QLineEdit>(form, name)->text();
}

// Runs whileShown with the dialog shown by Tools > "Preferences"; whileShown closes it. A dialog left
// open is cancelled, so a failed check does not hang the run.
void withPreferences(const std::function<void(TGlobalOptForm *)> &whileShown)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        whileShown(globalOptForm());
        if (globalOptForm()->isVisible())
            globalOptForm()->reject();
    });
    ShowPreferences();
    QVERIFY(ran);
    QVERIFY(!globalOptForm()->isVisible());
}

void pressOk(TGlobalOptForm *form) { child<QPushButton>(form, "btnOk")->click(); }
void pressCancel(TGlobalOptForm *form) { child<QPushButton>(form, "btnCancel")->click(); }

QStringList rows(TGlobalOptForm *form)
{
    QStringList out;
    auto *list = child<QListWidget>(form, "WarnList");
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "|on" : "|off");
    return out;
}

QStringList ranLines(TWQFFile *page)
{
    CheckMessageList messages;
    RunWarningPlugins(page, false, &messages);
    QStringList out;
    for (const CheckMessage &m : messages)
        if (m.text.startsWith("ran "))
            out << m.text;
    return out;
}
} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<pellorin_test::ProgramDirs> m_dir;
    std::unique_ptr<pellorin_test::PrompterGuard> m_prompter;

    QString stored(const QString &key) const
    {
        return IniFile(m_dir->iniPath()).readString(opt::Section, key, "<missing>");
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<pellorin_test::ProgramDirs>();
        m_prompter = std::make_unique<pellorin_test::PrompterGuard>();
    }
    void cleanup()
    {
        QCOMPARE((*m_prompter)->unanswered, 0);
        m_prompter.reset();
    }

    void windowsOfTheStart()
    {
        {
            Program program(m_dir->options());
            QVERIFY(searchForm() && globalOptForm() && searchResultForm());
            QVERIFY(!globalOptForm()->isVisible());
        }
        QVERIFY(!searchForm() && !globalOptForm() && !searchResultForm());
    }

    void design()
    {
        Program program(m_dir->options());
        TGlobalOptForm *form = globalOptForm();
        QCOMPARE(form->objectName(), QString("GlobalOptForm"));
        QCOMPARE(form->windowTitle(), QString("Preferences"));
        QVERIFY(form->isModal());
        QCOMPARE(form->size(), QSize(417, 452));
        const QList<QPair<QString, QString>> captions = {
            {"Label2", "On saving readonly file:"},
            {"chkMakeBackups", "Make backup copy on save"},
            {"lblBackup", "Backup path (file rel.)"},
            {"chkForceCDATA", "Force CDATA tag for SQL queries"},
            {"chkXMLWhitespace", "Preserve XML whitespaces"},
            {"chkXMLForceHeader", "Force <?xml header"},
            {"chkXMLRemoveEOL", "Remove end-of-line character"},
            {"btnDefPellorin", "Pellorin Classic"},
            {"btnDefMorivane", "Morivane Compat"},
            {"Label1", "Vertical Margin"},
            {"Label4", "Arrow Dst Number"},
            {"Label5", "The restart is required in order to visual changes take effect"},
            {"Label3", "Warning options:"},
            {"PriorUp", "Move Up"},
            {"PriorDwn", "Move Down"},
            {"dbgGlobOpt", "Show debugging messages"},
            {"btnOk", "OK"},
            {"btnCancel", "Cancel"}};
        for (const auto &[name, caption] : captions) {
            QWidget *w = child<QWidget>(form, name);
            const QString text = qobject_cast<QLabel *>(w)            ? static_cast<QLabel *>(w)->text()
                                 : qobject_cast<QAbstractButton *>(w) ? static_cast<QAbstractButton *>(w)->text()
                                                                      : QString();
            QCOMPARE(name + ": " + text, name + ": " + caption);
        }
    }

    void designLists()
    {
        Program program(m_dir->options());
        TGlobalOptForm *form = globalOptForm();
        auto *pages = child<QTabWidget>(form, "PageControl1");
        QCOMPARE(pages->parentWidget(), child<QWidget>(form, "Panel1"));
        QStringList tabs;
        for (int i = 0; i < pages->count(); ++i)
            tabs << pages->widget(i)->objectName() + u'=' + pages->tabText(i);
        QCOMPARE(tabs, QStringList({"TabGeneral=Files", "TabVisual=Visual", "TabMessages=Messages"}));
        auto items = [&](const char *name) {
            QStringList out;
            auto *combo = child<QComboBox>(form, name);
            if (combo->isEditable())
                out << "editable";
            for (int i = 0; i < combo->count(); ++i)
                out << combo->itemText(i);
            return out;
        };
        QCOMPARE(items("ComboBox1"), QStringList({"Don't save and give warning", "Ask me first", "Just save"}));
        QCOMPARE(items("arrdstCombo"), QStringList({"Never", "Out of sight", "Always"}));
        QVERIFY(child<QLabel>(form, "Label5")->font().bold());
        child<QLineEdit>(form, "edtBackupPath");
        child<QLineEdit>(form, "Edit1");
    }

    void menuEntry()
    {
        Program program(m_dir->options());
        QAction *entry = nullptr;
        for (QAction *a : program.mainForm()->findChild<QMenu *>("mnuTools")->actions())
            if (a->text() == "Preferences")
                entry = a;
        QVERIFY(entry && entry->isEnabled());
        QCOMPARE(entry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = globalOptForm()->isVisible() && QApplication::activeModalWidget() == globalOptForm();
            pressCancel(globalOptForm());
        });
        entry->trigger();
        QVERIFY(shown);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("debugging on") << "dbgGlobOpt"
                                      << "1"
                                      << "DbgClip"
                                      << "1"
                                      << "1";
        QTest::newRow("margin") << "Edit1"
                                << "640"
                                << "VertSplit"
                                << "640"
                                << "640";
        QTest::newRow("margin not a number, OK at once") << "Edit1"
                                                         << "abc"
                                                         << "VertSplit"
                                                         << "820"
                                                         << "820";
        QTest::newRow("read-only refused") << "ComboBox1"
                                           << "0"
                                           << "ReadOnly"
                                           << ""
                                           << "0";
        QTest::newRow("read-only asked") << "ComboBox1"
                                         << "1"
                                         << "ReadOnly"
                                         << "ASK"
                                         << "1";
        QTest::newRow("read-only saved") << "ComboBox1"
                                         << "2"
                                         << "ReadOnly"
                                         << "IGNORE"
                                         << "2";
        QTest::newRow("no backups") << "chkMakeBackups"
                                    << "0"
                                    << "Backup"
                                    << "0"
                                    << "0";
        QTest::newRow("backup path") << "edtBackupPath"
                                     << "..\\old copies;a=b"
                                     << "BackupPath"
                                     << "..\\old copies;a=b"
                                     << "..\\old copies;a=b";
        QTest::newRow("CDATA") << "chkForceCDATA"
                               << "1"
                               << "ForceCDATA"
                               << "1"
                               << "1";
        QTest::newRow("arrows never") << "arrdstCombo"
                                      << "0"
                                      << "DstArrow"
                                      << "NEVER"
                                      << "0";
        QTest::newRow("arrows out of sight") << "arrdstCombo"
                                             << "1"
                                             << "DstArrow"
                                             << ""
                                             << "1";
        QTest::newRow("arrows always") << "arrdstCombo"
                                       << "2"
                                       << "DstArrow"
                                       << "ALWAYS"
                                       << "2";
        QTest::newRow("whitespace") << "chkXMLWhitespace"
                                    << "1"
                                    << "XMLWhitespace"
                                    << "1"
                                    << "1";
        QTest::newRow("no final line break") << "chkXMLRemoveEOL"
                                             << "1"
                                             << "XMLClearEol"
                                             << "1"
                                             << "1";
        QTest::newRow("no forced header") << "chkXMLForceHeader"
                                          << "0"
                                          << "XMLForceHeader"
                                          << "0"
                                          << "0";
    }
    void roundTrip()
    {
        QFETCH(QString, control);
        QFETCH(QString, value);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        {
            Program program(m_dir->options());
            withPreferences([&](TGlobalOptForm *form) {
                setControl(form, control, value);
                pressOk(form);
            });
            QCOMPARE(OptionStore().GetString(key), stored);
            QCOMPARE(this->stored(key), QString("<missing>")); // in memory until the end
        }
        QCOMPARE(this->stored(key), stored);
        // The next run reads it back and shows it.
        Program program(m_dir->options());
        QCOMPARE(OptionStore().GetString(key), stored);
        withPreferences([&](TGlobalOptForm *form) {
            QCOMPARE(controlValue(form, control), shown);
            pressCancel(form);
        });
    }

    void everyOptionStoredOnOk()
    {
        QStringList classes;
        {
            Program program(m_dir->options());
            QList<TWarningPlugin *> plugins;
            GetWarningPlugins(plugins);
            QVERIFY(!plugins.isEmpty());
            for (TWarningPlugin *p : plugins)
                classes << p->className();
            withPreferences(pressOk);
        }
        const QList<QPair<QString, QString>> expected = {
            {"DbgClip", "0"},     {"VertSplit", "820"},   {"ReadOnly", ""}, {"Backup", "1"},
            {"ForceCDATA", "0"},  {"BackupPath", ""},     {"DstArrow", ""}, {"XMLWhitespace", "0"},
            {"XMLClearEol", "0"}, {"XMLForceHeader", "1"}};
        for (const auto &[key, value] : expected)
            QCOMPARE(stored(key) + " for " + key, value + " for " + key);
        // Every check plug-in, in registration order when nothing was stored before.
        for (int i = 0; i < classes.size(); ++i) {
            QCOMPARE(stored(classes[i] + ".enabled"), QString("1"));
            QCOMPARE(stored(classes[i] + ".priority"), QString::number(i));
        }
        // The empty values are written as the name and "=".
        QVERIFY(pellorin_test::readBytes(m_dir->iniPath()).contains("\nDstArrow=\n"));
    }

    void storedValuesShown_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("storedOnOk");
        QTest::newRow("STOP") << QByteArray("ReadOnly=STOP") << "ComboBox1"
                              << "0"
                              << "ReadOnly"
                              << "";
        QTest::newRow("ask, other case") << QByteArray("ReadOnly=ask") << "ComboBox1"
                                         << "0"
                                         << "ReadOnly"
                                         << "";
        QTest::newRow("never, other case") << QByteArray("DstArrow=never") << "arrdstCombo"
                                           << "1"
                                           << "DstArrow"
                                           << "";
        QTest::newRow("ALWAYS") << QByteArray("DstArrow=ALWAYS") << "arrdstCombo"
                                << "2"
                                << "DstArrow"
                                << "ALWAYS";
        QTest::newRow("margin not a number") << QByteArray("VertSplit=wide") << "Edit1"
                                             << "820"
                                             << "VertSplit"
                                             << "820";
        QTest::newRow("margin in hex") << QByteArray("VertSplit=$100") << "Edit1"
                                       << "256"
                                       << "VertSplit"
                                       << "256";
        QTest::newRow("backup in lower case") << QByteArray("backup=0") << "chkMakeBackups"
                                              << "0"
                                              << "Backup"
                                              << "0";
        QTest::newRow("header not a boolean") << QByteArray("XMLForceHeader=yes") << "chkXMLForceHeader"
                                              << "0"
                                              << "XMLForceHeader"
                                              << "0";
    }
    void storedValuesShown()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, control);
        QFETCH(QString, key);
        m_dir->writeSettings("[Global]\r\n" + line + "\r\n");
        Program program(m_dir->options());
        withPreferences([&](TGlobalOptForm *form) {
            QTEST(controlValue(form, control), "shown");
            pressOk(form);
        });
        QTEST(OptionStore().GetString(key), "storedOnOk");
    }

    void cancelChangesNothing()
    {
        m_dir->writeSettings("[Global]\r\nDbgClip=1\r\nReadOnly=ASK\r\nVertSplit=700\r\nFuture=x\r\n");
        Program program(m_dir->options());
        const QList<TGlobalOptions::NameValue> before = OptionStore().values();
        withPreferences([&](TGlobalOptForm *form) {
            for (const char *box : {"dbgGlobOpt", "chkMakeBackups", "chkForceCDATA", "chkXMLWhitespace",
                                    "chkXMLForceHeader", "chkXMLRemoveEOL"})
                setControl(form, box, controlValue(form, box) == u"1" ? "0" : "1");
            setControl(form, "Edit1", "10");
            setControl(form, "ComboBox1", "2");
            setControl(form, "arrdstCombo", "2");
            setControl(form, "edtBackupPath", "x");
            auto *list = child<QListWidget>(form, "WarnList");
            list->item(0)->setCheckState(Qt::Unchecked);
            list->setCurrentRow(0);
            child<QPushButton>(form, "PriorDwn")->click();
            pressCancel(form);
        });
        QCOMPARE(OptionStore().values(), before);
        // Escape cancels too.
        withPreferences([&](TGlobalOptForm *form) {
            setControl(form, "Edit1", "10");
            QTest::keyClick(child<QLineEdit>(form, "Edit1"), Qt::Key_Escape);
        });
        QCOMPARE(OptionStore().values(), before);
    }

    void presets_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("whitespace");
        QTest::addColumn<QString>("clearEol");
        QTest::addColumn<QString>("forceHeader");
        QTest::newRow("Pellorin Classic") << "btnDefPellorin"
                                          << "0"
                                          << "0"
                                          << "1";
        QTest::newRow("Morivane Compat") << "btnDefMorivane"
                                         << "1"
                                         << "1"
                                         << "0";
    }
    void presets()
    {
        QFETCH(QString, button);
        // From the opposite settings.
        m_dir->writeSettings(button == u"btnDefPellorin"
                                 ? "[Global]\r\nXMLWhitespace=1\r\nXMLClearEol=1\r\nXMLForceHeader=0\r\n"
                                 : "[Global]\r\nXMLWhitespace=0\r\nXMLClearEol=0\r\nXMLForceHeader=1\r\n");
        Program program(m_dir->options());
        withPreferences([&](TGlobalOptForm *form) {
            child<QPushButton>(form, button)->click();
            QTEST(controlValue(form, "chkXMLWhitespace"), "whitespace");
            QTEST(controlValue(form, "chkXMLRemoveEOL"), "clearEol");
            QTEST(controlValue(form, "chkXMLForceHeader"), "forceHeader");
            QCOMPARE(OptionStore().GetString(opt::XMLWhitespace), button == u"btnDefPellorin" ? "1" : "0");
            pressOk(form);
        });
        QTEST(OptionStore().GetString(opt::XMLWhitespace), "whitespace");
        QTEST(OptionStore().GetString(opt::XMLClearEol), "clearEol");
        QTEST(OptionStore().GetString(opt::XMLForceHeader), "forceHeader");
    }

    void verticalMarginLeft_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("reason");
        QTest::addColumn<QString>("shown");
        QTest::newRow("not a number") << "abc" << int(Qt::TabFocusReason) << "600";
        QTest::newRow("digits and more") << "12x" << int(Qt::MouseFocusReason) << "600";
        QTest::newRow("blanks before") << " 42" << int(Qt::TabFocusReason) << "42";
        QTest::newRow("empty") << "" << int(Qt::BacktabFocusReason) << "600";
        // The window losing its activation is not leaving the edit.
        QTest::newRow("window deactivated") << "abc" << int(Qt::ActiveWindowFocusReason) << "abc";
    }
    void verticalMarginLeft()
    {
        QFETCH(QString, typed);
        QFETCH(int, reason);
        Program program(m_dir->options());
        auto *edit = child<QLineEdit>(globalOptForm(), "Edit1");
        edit->setText(typed);
        QFocusEvent out(QEvent::FocusOut, Qt::FocusReason(reason));
        QCoreApplication::sendEvent(edit, &out);
        QTEST(edit->text(), "shown");
    }

    void verticalMarginLeftForOk()
    {
        // Clicking OK takes the focus from the edit first: what it then stores is 600.
        Program program(m_dir->options());
        withPreferences([&](TGlobalOptForm *form) {
            QVERIFY(QTest::qWaitForWindowActive(form));
            child<QTabWidget>(form, "PageControl1")->setCurrentIndex(1);
            auto *edit = child<QLineEdit>(form, "Edit1");
            edit->setFocus();
            QTRY_VERIFY(edit->hasFocus());
            edit->setText("abc");
            QTest::mouseClick(child<QPushButton>(form, "btnOk"), Qt::LeftButton);
        });
        QCOMPARE(OptionStore().GetString(opt::VertSplit), QString("600"));
    }

    void checkList()
    {
        // Stored priorities reverse the registration order; one check is off.
        Program program(m_dir->options());
        QList<TWarningPlugin *> plugins;
        GetWarningPlugins(plugins);
        QVERIFY(plugins.size() >= 3);
        QStringList expected;
        for (int i = 0; i < plugins.size(); ++i) {
            OptionStore().SetString(opt::priorityKey(plugins[i]->className()), QString::number(100 - i));
            expected.prepend(plugins[i]->GetDescription() + (i == 1 ? "|off" : "|on"));
        }
        OptionStore().SetBool(opt::enabledKey(plugins[1]->className()), false);
        withPreferences([&](TGlobalOptForm *form) {
            QCOMPARE(rows(form), expected);
            auto *list = child<QListWidget>(form, "WarnList");
            QVERIFY(list->item(0)->flags() & Qt::ItemIsUserCheckable);
            // Opening renumbers the plug-ins by their rows.
            const int n = int(plugins.size());
            for (int i = 0; i < n; ++i)
                QCOMPARE(plugins[i]->Priority, n - 1 - i);
            QVERIFY(!plugins[1]->Enabled);

            // Move Up and Move Down: the row goes with its selection; nothing past the ends.
            auto *up = child<QPushButton>(form, "PriorUp");
            auto *down = child<QPushButton>(form, "PriorDwn");
            list->setCurrentRow(2);
            up->click();
            QCOMPARE(list->currentRow(), 1);
            QCOMPARE(list->item(1)->text() + "|on", expected[2]);
            up->click();
            up->click();
            QCOMPARE(list->currentRow(), 0);
            QCOMPARE(list->item(0)->text() + "|on", expected[2]);
            list->setCurrentRow(n - 1);
            down->click();
            QCOMPARE(list->currentRow(), n - 1);
            QCOMPARE(list->item(n - 1)->text() + "|on", expected[n - 1]);
            list->setCurrentRow(n - 2);
            down->click();
            QCOMPARE(list->item(n - 1)->text() + "|off", expected[n - 2]);
            list->clearSelection();
            const QStringList before = rows(form);
            up->click();
            QCOMPARE(rows(form), before);
            pressCancel(form);
        });
        // Cancelled: the plug-ins keep what opening loaded.
        QVERIFY(!plugins[1]->Enabled);
        QCOMPARE(plugins[0]->Priority, int(plugins.size()) - 1);
    }

    void checkOrderReachesTheRuns()
    {
        const auto page = pellorin_test::pageWith("<c><n>0</n><t>SET</t></c>");
        {
            Program program(m_dir->options());
            RegisterPlugin(std::make_unique<RecordingCheck>("TRecordFirst", "first"));
            RegisterPlugin(std::make_unique<RecordingCheck>("TRecordSecond", "second"));
            RegisterPlugin(std::make_unique<RecordingCheck>("TRecordThird", "third"));
            QCOMPARE(ranLines(page.get()), QStringList({"ran first", "ran second", "ran third"}));
            withPreferences([&](TGlobalOptForm *form) {
                auto *list = child<QListWidget>(form, "WarnList");
                const int third = int(list->count()) - 1;
                QCOMPARE(list->item(third)->text(), QString("third"));
                list->item(third - 2)->setCheckState(Qt::Unchecked);
                list->setCurrentRow(third);
                for (int i = 0; i < third; ++i)
                    child<QPushButton>(form, "PriorUp")->click();
                pressOk(form);
            });
            // The next check run.
            QCOMPARE(ranLines(page.get()), QStringList({"ran third", "ran second"}));
        }
        QCOMPARE(stored("TRecordThird.priority"), QString("0"));
        QCOMPARE(stored("TRecordFirst.enabled"), QString("0"));

        // The next start: the main window applies the stored settings to the checks
        // registered before it.
        StartOptions start = m_dir->options();
        initModules(start);
        RegisterPlugin(std::make_unique<RecordingCheck>("TRecordFirst", "first"));
        RegisterPlugin(std::make_unique<RecordingCheck>("TRecordSecond", "second"));
        RegisterPlugin(std::make_unique<RecordingCheck>("TRecordThird", "third"));
        {
            TMainFrm form(MainFrmOptions{start.programFolder, QStringList()});
            QCOMPARE(ranLines(page.get()), QStringList({"ran third", "ran second"}));
        }
        doneModules();
    }

    void oneClassOneKeyPair()
    {
        // Plug-ins of one class share their keys: the last of their rows decides.
        Program program(m_dir->options());
        RegisterPlugin(std::make_unique<RecordingCheck>("TShared", "shared one"));
        RegisterPlugin(std::make_unique<RecordingCheck>("TShared", "shared two"));
        withPreferences([&](TGlobalOptForm *form) {
            auto *list = child<QListWidget>(form, "WarnList");
            const int last = int(list->count()) - 1;
            QCOMPARE(list->item(last)->text(), QString("shared two"));
            list->item(last - 1)->setCheckState(Qt::Unchecked);
            pressOk(form);
        });
        QCOMPARE(OptionStore().GetString("TShared.enabled"), QString("1"));
        QList<TWarningPlugin *> plugins;
        GetWarningPlugins(plugins);
        QCOMPARE(OptionStore().GetString("TShared.priority"), QString::number(plugins.size() - 1));
    }

    void bounds()
    {
        {
            Program program(m_dir->options());
            withPreferences([&](TGlobalOptForm *form) {
                QVERIFY(QTest::qWaitForWindowExposed(form));
                form->setGeometry(40, 50, 500, 400);
                QTRY_COMPARE(form->size(), QSize(500, 400));
                // The buttons sit either side of the middle.
                QCOMPARE(child<QPushButton>(form, "btnOk")->x(), 250 - 75 - 2);
                QCOMPARE(child<QPushButton>(form, "btnCancel")->x(), 252);
                QCOMPARE(IniFile(m_dir->iniPath()).readString("GlobalOptForm", "Width"), QString("500"));
                QCOMPARE(IniFile(m_dir->iniPath()).readString("GlobalOptForm", "Height"), QString("400"));
                // Moved without a resize: closing brings the resized bounds back.
                form->move(90, 95);
                QTRY_COMPARE(form->pos(), QPoint(90, 95));
                pressCancel(form);
            });
            QCOMPARE(globalOptForm()->geometry(), QRect(40, 50, 500, 400));
        }
        QCOMPARE(IniFile(m_dir->iniPath()).readString("GlobalOptForm", "Left"), QString("40"));
        Program program(m_dir->options());
        QCOMPARE(globalOptForm()->geometry(), QRect(40, 50, 500, 400));
    }

    // The first start places the dialog itself; it keeps that place when it closes, and the
    // next start opens it there again.
    void firstPlaceKept()
    {
        QRect shown;
        {
            Program program(m_dir->options());
            withPreferences([&](TGlobalOptForm *form) {
                QVERIFY(QTest::qWaitForWindowExposed(form));
                shown = form->geometry();
                pressCancel(form);
            });
            QVERIFY2(shown.topLeft() != QPoint(0, 0), "the dialog shows at the screen's corner");
            QCOMPARE(globalOptForm()->geometry(), shown);
        }
        const IniFile ini(m_dir->iniPath());
        QCOMPARE(ini.readString("GlobalOptForm", "Left"), QString::number(shown.x()));
        QCOMPARE(ini.readString("GlobalOptForm", "Top"), QString::number(shown.y()));
        Program program(m_dir->options());
        withPreferences([&](TGlobalOptForm *form) {
            QVERIFY(QTest::qWaitForWindowExposed(form));
            QCOMPARE(form->geometry(), shown);
            pressCancel(form);
        });
    }

    // A session that never shows the dialog keeps no bounds of it, so the next start places
    // it as the first one would.
    void neverShownStoresNothing()
    {
        {
            Program program(m_dir->options());
            QVERIFY(!globalOptForm()->isVisible());
        }
        QVERIFY(!IniFile(m_dir->iniPath()).sectionExists("GlobalOptForm"));
        Program program(m_dir->options());
        withPreferences([&](TGlobalOptForm *form) {
            QVERIFY(QTest::qWaitForWindowExposed(form));
            QVERIFY2(form->pos() != QPoint(0, 0), "the dialog shows at the screen's corner");
            pressCancel(form);
        });
    }
};

PELLORIN_TEST_CLASS(TestOptionsDialog)
#include "test_optionsdialog.moc"
