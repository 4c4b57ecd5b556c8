// The property panel in its scroll area, with the one wheel rule.
#include "scrolledtagseditor.h"

#include "model/wqftypes.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>
#include <exception>

namespace {
// Hands the focus entering a control to the panel.
class EnterWatcher : public QObject {
public:
    explicit EnterWatcher(TScrolledTagsEditor *panel) : m_panel(panel) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            if (auto *widget = qobject_cast<QWidget *>(watched))
                m_panel->ControlEnter(widget);
        return false;
    }

private:
    TScrolledTagsEditor *m_panel;
};

// Tells when the view of the panel scrolls or changes its size.
class ViewWatcher : public QObject {
public:
    explicit ViewWatcher(std::function<void()> changed) : m_changed(std::move(changed)) {}
    void tell() const { m_changed(); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            tell();
        return false;
    }

private:
    std::function<void()> m_changed;
};

int screenY(const QWidget *widget, int y) { return widget->mapToGlobal(QPoint(0, y)).y(); }

} // namespace

TScrolledTagsEditor::TScrolledTagsEditor()
    : m_editSpot(std::make_unique<TEditSpot>()), m_enterWatcher(std::make_unique<EnterWatcher>(this)),
      m_viewWatcher(std::make_unique<ViewWatcher>([this] { makeRowsNearView(); }))
{}

void TScrolledTagsEditor::rowsPlaced()
{
    UpdateScrollRange();
    watchView();
}

void TScrolledTagsEditor::rowsMoved() { makeRowsNearView(); }

bool TScrolledTagsEditor::defersCodeEditors() const
{
    const QWidget *view = ScrollBox ? ScrollBox->viewport() : nullptr;
    return view && Panel() && view->isAncestorOf(Panel());
}

void TScrolledTagsEditor::watchView()
{
    if (m_watchedBox == ScrollBox)
        return;
    if (m_watchedBox) {
        QObject::disconnect(m_watchedBox->verticalScrollBar(), nullptr, m_viewWatcher.get(), nullptr);
        m_watchedBox->viewport()->removeEventFilter(m_viewWatcher.get());
        unrouteWheel(m_watchedBox);
    }
    m_watchedBox = ScrollBox;
    if (!ScrollBox)
        return;
    // The box's own bars and the space between the rows scroll as the rows do.
    routeWheel(ScrollBox);
    // The rows, wherever their container is, stay routed to the panel.
    for (const auto &binding : Owned())
        routeWheel(binding->Control);
    auto *watcher = static_cast<ViewWatcher *>(m_viewWatcher.get());
    QObject::connect(ScrollBox->verticalScrollBar(), &QScrollBar::valueChanged, watcher,
                     [watcher] { watcher->tell(); });
    ScrollBox->viewport()->installEventFilter(watcher);
}

void TScrolledTagsEditor::makeRowsNearView()
{
    if (m_makingRows || !defersCodeEditors())
        return;
    const QScopedValueRollback<bool> making(m_makingRows, true);
    QWidget *view = ScrollBox->viewport();
    const int height = view->height();
    const int top = Panel()->mapFrom(view, QPoint(0, 0)).y() - height;
    const int bottom = top + 3 * height;
    // In order: a made editor of another height moves the rows after it.
    for (const auto &binding : Owned())
        if (auto *standIn = qobject_cast<CodeEditorStandIn *>(binding->Control.data()))
            if (standIn->y() < bottom && standIn->y() + standIn->height() > top)
                materializeCodeEditor(*binding);
}

TScrolledTagsEditor::~TScrolledTagsEditor()
{
    // The clear of the base's destructor then stores no position.
    m_editSpot.reset();
    Clear();
}

QString TScrolledTagsEditor::SpotKey(const TWQFItem *item)
{
    if (!item || !item->Section())
        return {};
    const TWQFSection *section = item->Section();
    const QString file = section->Owner() ? section->Owner()->FileName() : QString();
    return file + u':' + section->GetName() + u'_' + item->GetName();
}

int TScrolledTagsEditor::scrollRange() const
{
    QWidget *content = ScrollBox ? ScrollBox->widget() : nullptr;
    return content ? content->minimumHeight() : 0;
}

int TScrolledTagsEditor::scrollPosition() const { return ScrollBox ? ScrollBox->verticalScrollBar()->value() : 0; }

void TScrolledTagsEditor::setScrollPosition(int position)
{
    if (ScrollBox && position != scrollPosition())
        ScrollBox->verticalScrollBar()->setValue(position);
}

void TScrolledTagsEditor::UpdateScrollRange()
{
    QWidget *content = ScrollBox ? ScrollBox->widget() : nullptr;
    if (!content)
        return;
    int bottom = 0;
    for (QObject *child : content->children())
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->isHidden())
            bottom = std::max(bottom, widget->geometry().bottom() + 1);
    content->setMinimumHeight(bottom + 12);
    // The area sizes its widget and its bars now, not at the next pass of the event loop.
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(ScrollBox, &request);
}

void TScrolledTagsEditor::Relayout() { LayoutRows(); }

void TScrolledTagsEditor::ControlKeyDown(QObject *sender, int &, Qt::KeyboardModifiers)
{
    if (auto *editor = qobject_cast<QsciScintilla *>(sender))
        KeepCaretVisible(editor);
}

void TScrolledTagsEditor::ControlKeyUp(QObject *sender, int &, Qt::KeyboardModifiers)
{
    if (auto *editor = qobject_cast<QsciScintilla *>(sender)) {
        KeepCaretVisible(editor);
        UpdateScrollRange();
    }
}

void TScrolledTagsEditor::ControlMouseWheel(QObject *, Qt::KeyboardModifiers, int wheelDelta, QPoint, bool &handled)
{
    handled = true;
    if (!ScrollBox)
        return;
    if (ScrollBox->viewport()->height() <= scrollRange())
        setScrollPosition(std::max(0, scrollPosition() - wheelDelta / 8));
}

void TScrolledTagsEditor::AfterBuild()
{
    if (!ScrollBox)
        return;
    {
        // The editors come for the view at the restored position, not for the ones passed on
        // the way there.
        const QScopedValueRollback<bool> settling(m_makingRows, true);
        settleAfterBuild();
    }
    watchView();
    makeRowsNearView();
}

void TScrolledTagsEditor::settleAfterBuild()
{
    UpdateScrollRange();
    for (const auto &binding : Owned()) {
        QWidget *control = binding->Control;
        if (control && !qobject_cast<QLabel *>(control) && !qobject_cast<QsciScintilla *>(control) &&
            !qobject_cast<CodeEditorStandIn *>(control))
            control->installEventFilter(m_enterWatcher.get());
    }
    if (Item()) {
        const int position = m_editSpot ? m_editSpot->GetInt(SpotKey(Item())) : 0;
        if (scrollRange() > position)
            setScrollPosition(position);
    }
}

void TScrolledTagsEditor::BeforeClear()
{
    if (ScrollBox && m_editSpot && Item())
        m_editSpot->SetInt(SpotKey(Item()), scrollPosition());
}

void TScrolledTagsEditor::AfterClear()
{
    if (!ScrollBox || m_updateCount != 0)
        return;
    // The emptied panel gives back its height, so the next rows start from the view's.
    UpdateScrollRange();
    setScrollPosition(0);
}

template <class Work> void TScrolledTagsEditor::rebuildSteady(QWidget *sender, Work work, bool swallow)
{
    if (!ScrollBox) {
        work(sender);
        return;
    }
    const QScopedValueRollback<int> updating(m_updateCount, m_updateCount + 1);
    const int position = scrollPosition();
    const int range = scrollRange();
    {
        // Painting stops instead of hiding the box, which would take the keyboard focus away.
        QScrollArea *box = ScrollBox;
        box->setUpdatesEnabled(false);
        const auto repaint = qScopeGuard([box] { box->setUpdatesEnabled(true); });
        try {
            work(sender);
        } catch (const std::exception &) {
            // With swallow the panel shows what it could build; the page keeps what was written.
            if (!swallow)
                throw;
        }
    }
    Relayout();
    const int newRange = scrollRange();
    setScrollPosition(newRange > ScrollBox->height() ? position + (newRange - range) : 0);
}

void TScrolledTagsEditor::AddClick(QWidget *sender)
{
    rebuildSteady(
        sender, [this](QWidget *clicked) { TTagsEditor::AddClick(clicked); }, true);
}

void TScrolledTagsEditor::DeleteClick(QWidget *sender)
{
    rebuildSteady(
        sender, [this](QWidget *clicked) { TTagsEditor::DeleteClick(clicked); }, false);
    if (ScrollBox)
        ScrollBox->viewport()->update();
}

void TScrolledTagsEditor::ControlEnter(QWidget *sender)
{
    if (sender)
        ScrollToControl(sender);
}

void TScrolledTagsEditor::ScrollToControl(QWidget *control)
{
    if (control)
        ScrollToShow(screenY(control, 0), control->height());
}

void TScrolledTagsEditor::KeepCaretVisible(QsciScintilla *editor)
{
    if (!ScrollBox || !editor)
        return;
    const int lineHeight = int(editor->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0));
    if (lineHeight <= 0)
        return;
    const long caret = editor->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    const int y =
        screenY(editor->viewport(), int(editor->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, caret)));
    QWidget *view = ScrollBox->viewport();
    const int bottom = screenY(view, view->height());
    const int top = screenY(view, 0);
    const int position = scrollPosition();
    if (y > bottom || bottom - y < lineHeight)
        setScrollPosition(position + ((y - bottom) / lineHeight + 4) * lineHeight);
    else if (y < top || y - top < lineHeight)
        setScrollPosition(std::max(0, position - ((top - y) / lineHeight + 4) * lineHeight));
}

void TScrolledTagsEditor::ScrollToShow(int y, int h)
{
    if (!ScrollBox || h <= 0)
        return;
    QWidget *view = ScrollBox->viewport();
    const int clientHeight = view->height();
    const int boxTop = ScrollBox->y();
    const int bottom = screenY(view, clientHeight + boxTop);
    const int ref = screenY(view, boxTop);
    const int position = scrollPosition();
    if (y > bottom || bottom - y < h) {
        setScrollPosition(position + ((y - bottom) / h + 2) * h);
        return;
    }
    const int viewTop = bottom - clientHeight;
    if (y < viewTop)
        setScrollPosition(h + y < clientHeight / 2 + ref ? 0 : std::max(0, position + (y - viewTop)));
}
