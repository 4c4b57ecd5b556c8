#pragma once
// The property panel as each diagram shows it, in a scroll area beside the diagram.
#include "dynamicctrlutils.h"
#include "editspot.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QScrollArea>
#include <QString>
#include <Qt>
#include <memory>

class QWidget;
class QsciScintilla;
class TWQFItem;

// The panel in a scroll area: the range follows the rows, the wheel anywhere over the box
// scrolls it, the caret and the focused control stay in view, "Add" and "Delete" keep the view
// steady, and each component's scroll position is remembered.
class TScrolledTagsEditor : public TTagsEditor {
public:
    TScrolledTagsEditor();
    ~TScrolledTagsEditor() override;

    // The scroll area whose vertical bar the panel moves; its widget is the container the
    // rows are built in, resized by the area to its viewport's width. None until the window
    // sets it.
    QPointer<QScrollArea> ScrollBox;
    int UpdateCount() const { return m_updateCount; }
    TEditSpot *EditSpot() const { return m_editSpot.get(); }

    void ControlKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift) override;
    void ControlKeyUp(QObject *sender, int &key, Qt::KeyboardModifiers shift) override;
    void ControlMouseWheel(QObject *sender, Qt::KeyboardModifiers shift, int wheelDelta, QPoint mousePos,
                           bool &handled) override;
    void AfterBuild() override;
    void BeforeClear() override;
    void AfterClear() override;
    void AddClick(QWidget *sender) override;
    void DeleteClick(QWidget *sender) override;
    void rowsPlaced() override;
    void rowsMoved() override;
    bool defersCodeEditors() const override;

    // The code editors of the rows in the view, or less than a view's height above or below
    // it, are made where stand-ins hold their places; after every build, scroll, resize of the
    // view and move of the rows.
    void makeRowsNearView();
    // The vertical range: the lowest bottom edge among the container's controls, plus 12.
    void UpdateScrollRange();
    int scrollRange() const;
    int scrollPosition() const;
    void setScrollPosition(int position);
    void Relayout();
    void ControlEnter(QWidget *sender);
    void ScrollToControl(QWidget *control);
    // Scrolls by whole lines so that the editor's caret line stays a line inside the view.
    void KeepCaretVisible(QsciScintilla *editor);
    // Scrolls so that a control at screen y, h high, comes into view.
    void ScrollToShow(int y, int h);

    // The key under which a component's scroll position is remembered: the page's file name,
    // ":", the section's name, "_" and the component's name.
    static QString SpotKey(const TWQFItem *item);

private:
    template <class Work> void rebuildSteady(QWidget *sender, Work work, bool swallow);

    void watchView();
    // Range, focus watchers and the remembered position of a new build.
    void settleAfterBuild();

    int m_updateCount = 0;
    std::unique_ptr<TEditSpot> m_editSpot;
    std::unique_ptr<QObject> m_enterWatcher;
    // Tells of scrolls and resizes of the view; watches one scroll box at a time.
    std::unique_ptr<QObject> m_viewWatcher;
    QPointer<QScrollArea> m_watchedBox;
    bool m_makingRows = false;
};
