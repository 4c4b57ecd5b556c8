#pragma once
// The main window with the fixture page panels.wqf open (a component of every kind of the
// shipped catalogue and a note on each diagram), and what its tests do there: click, Ctrl-click
// and drag on a diagram as the mouse does, and read the property panel beside it.
#include "common/scriptedprompter.h"
#include "common/testutil.h"
#include "editors/lclgrapheditor.h"
#include "editors/morivanecomponents.h"
#include "editors/panelfixture.h"
#include "editors/wqfeditors.h"
#include "programdirs.h"
#include "shell/mainform.h"
#include "shell/openpage.h"
#include "shell/startup.h"
#include "windowparts.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QListWidget>
#include <QPair>
#include <QTabWidget>
#include <QTest>
#include <memory>

namespace pellorin_test {

// The shipped catalogue beside the program, as the start-up finds it; loaded here as well
// when the start-up has not done so.
inline void shipCatalogue(const QString &programFolder)
{
    const QString target = programFolder + "components/";
    QDir().mkpath(target);
    const QDir shipped(QStringLiteral(PELLORIN_RESOURCES "/components"));
    for (const QString &name : shipped.entryList({"*.ini"}, QDir::Files))
        QFile::copy(shipped.filePath(name), target + name);
}

class PanelsWindow {
public:
    // The diagram tabs by index: 0 "Pre process", 1 "Post process". Another page than the
    // fixture, and kinds beside the shipped ones (file name and text), when given.
    explicit PanelsWindow(QSize size = QSize(1000, 700), const QByteArray &page = fixtureBytes(),
                          const QList<QPair<QString, QByteArray>> &kinds = {})
    {
        m_dirs.writeSettings("[Global]\nBackup=0\n");
        shipCatalogue(m_dirs.options().programFolder);
        for (const auto &[file, text] : kinds)
            writeBytes(m_dirs.options().programFolder + "components/" + file, text);
        m_path = m_dirs.filePath("panels.wqf");
        writeBytes(m_path, page);
        QFile(m_path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        StartOptions options = m_dirs.options();
        options.commandLine = QStringList{m_path};
        m_program = std::make_unique<Program>(options);
        if (ComponentDescrs().empty())
            LoadComponentDescrs(options.programFolder + "components");
        form = m_program->mainForm();
        form->move(0, 0);
        form->resize(size);
        form->show();
        QApplication::setActiveWindow(form);
        if (!QTest::qWaitForWindowExposed(form))
            qFatal("the main window does not show");
    }
    ~PanelsWindow()
    {
        m_program.reset();
        clearComponentDescrs();
    }

    TMainFrm *form;

    ScriptedPrompter &prompter() { return *m_prompter; }
    const QString &path() const { return m_path; }
    QString filePath(const QString &name) const { return m_dirs.filePath(name); }
    TWQFFile *page() const { return form->GetCurrentDoc(); }
    bool modified() const { return form->openPage()->isModified(); }

    static const char *sheetName(int tab) { return tab == 0 ? "PreSheet" : "PostSheet"; }
    static const char *scrollName(int tab) { return tab == 0 ? "PreScroll" : "PostScroll"; }
    static const char *rowsName(int tab) { return tab == 0 ? "PrePropertyRows" : "PostPropertyRows"; }

    void showTab(int tab) const
    {
        part<QTabWidget>(form, "PageControl1")->setCurrentWidget(part<QWidget>(form, sheetName(tab)));
        QCoreApplication::processEvents();
    }
    TPanelChanger *editor(int tab = 0) const
    {
        auto *changer = dynamic_cast<TPanelChanger *>(tab == 0 ? form->PreEditor() : form->PostEditor());
        if (!changer)
            qFatal("the diagram editor is no panel changer");
        return changer;
    }
    TWQFEditorSource *source(int tab = 0) const { return static_cast<TWQFEditorSource *>(editor(tab)->Source()); }
    TTagsEditor &panel(int tab = 0) const { return *editor(tab)->TagsEditor(); }
    QScrollArea *scroll(int tab = 0) const { return part<QScrollArea>(form, scrollName(tab)); }
    QWidget *rows(int tab = 0) const { return part<QWidget>(form, rowsName(tab)); }
    QStringList rowTexts(int tab = 0) const { return describeRows(panel(tab)); }
    // The rows the panel shows: its visible controls on the container.
    QList<QWidget *> shownRows(int tab = 0) const
    {
        QList<QWidget *> shown;
        for (QWidget *w : rows(tab)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                shown << w;
        return shown;
    }

    TWQFItem *component(const QString &name, int tab = 0) const
    {
        return FindItemByName(source(tab)->Section()->Items(), name);
    }
    TCommentRect *note(const QString &title) const
    {
        for (const auto &n : form->CommentRects())
            if (n->Title == title)
                return n.get();
        return nullptr;
    }

    // The client point of the diagram at the middle of an item, or at an offset from its
    // top-left corner.
    QPoint middle(void *data, int tab = 0) const
    {
        Rect r;
        if (!editor(tab)->GetItemRect(data, r))
            qFatal("no such item on the diagram");
        const Point p = editor(tab)->GraphToClient((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        return QPoint(p.x, p.y);
    }
    QWidget *diagram(int tab = 0) const { return editor(tab)->Content(); }

    // A click as the mouse makes it on the diagram.
    void click(void *data, Qt::KeyboardModifiers shift = {}, int tab = 0) const
    {
        QTest::mouseClick(diagram(tab), Qt::LeftButton, shift, middle(data, tab));
    }
    void click(const QString &name, Qt::KeyboardModifiers shift = {}, int tab = 0) const
    {
        click(component(name, tab), shift, tab);
    }
    // Press on the item, move by (dx, dy) in steps, release there.
    void drag(void *data, int dx, int dy, int tab = 0) const
    {
        QWidget *target = diagram(tab);
        const QPoint from = middle(data, tab);
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(target, from + QPoint(dx * step / 4, dy * step / 4));
        QTest::mouseRelease(target, Qt::LeftButton, {}, from + QPoint(dx, dy));
    }

    // The n-th shown control of a type, in row order.
    template <class T> T *control(int n = 0, int tab = 0) const { return nthControl<T>(panel(tab), n); }
    QPushButton *button(const QString &caption, int n = 0, int tab = 0) const
    {
        for (const auto &binding : panel(tab).Owned())
            if (auto *b = qobject_cast<QPushButton *>(binding->Control.data()); b && b->text() == caption)
                if (n-- == 0)
                    return b;
        return nullptr;
    }

    // Double-clicks a line of the message list, adding it first when it is not there.
    void doubleClickMessage(const QString &line) const
    {
        auto *list = part<QListWidget>(form, "ListBox1");
        if (list->findItems(line, Qt::MatchExactly).isEmpty())
            list->addItem(line);
        QListWidgetItem *item = list->findItems(line, Qt::MatchExactly).front();
        list->setCurrentItem(item);
        list->scrollToItem(item);
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    QByteArray savedBytes()
    {
        if (!form->SaveFile(m_path))
            qFatal("the page does not save");
        return readBytes(m_path);
    }
    static QByteArray fixtureBytes() { return readBytes(dataPath("shell/panels.wqf")); }

private:
    ProgramDirs m_dirs;
    PrompterGuard m_prompterGuard;
    ScriptedPrompter *m_prompter = &*m_prompterGuard;
    QString m_path;
    std::unique_ptr<Program> m_program;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace pellorin_test
