#pragma once
// The property panel in a scroll area on a window, as a diagram tab holds it, and the helpers
// its tests share: kinds made in code, the panel's rows as text, wheel turns and page bytes.
#include "common/pagefixture.h"
#include "editors/morivanecomponents.h"
#include "editors/scrolledtagseditor.h"
#include "model/wqftypes.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <memory>

namespace pellorin_test {

// A turn over a point of the widget as the window system delivers it, so that an unhandled
// one goes on to the parents.
inline bool turnWheelAt(QWidget *target, QPointF pos, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(target, &event);
    return event.isAccepted();
}
// The same over the widget's middle.
inline bool turnWheel(QWidget *target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return turnWheelAt(target, QPointF(target->width() / 2.0, target->height() / 2.0), delta, modifiers);
}

// The scroll area of a diagram tab and its container, on a shown window.
struct PanelWindow {
    QWidget window;
    QScrollArea *scroll;
    QWidget *container;

    explicit PanelWindow(int width = 320, int height = 400)
    {
        window.setObjectName(QStringLiteral("PanelWindow"));
        scroll = new QScrollArea(&window);
        scroll->setObjectName(QStringLiteral("PreScroll"));
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        container = new QWidget;
        container->setObjectName(QStringLiteral("PrePanel"));
        scroll->setWidget(container);
        scroll->setGeometry(0, 0, width, height);
        window.resize(width, height);
        window.show();
        QApplication::setActiveWindow(&window);
    }
};

// A field as a description file gives it.
inline TComponentField field(const QString &name, const QString &tag)
{
    TComponentField f;
    f.Name = name;
    f.Tag = tag;
    f.Editable = true;
    return f;
}

inline TComponentField variableField(const QString &name, const QString &host, const QString &nameTag,
                                     const QString &typeTag, const QString &tag, const QString &types = {})
{
    TComponentField f = field(name, tag);
    f.Variable = true;
    f.HostTag = host;
    f.NameTag = nameTag;
    f.TypeTag = typeTag;
    f.Types = types;
    return f;
}

inline std::unique_ptr<TComponentDescr> kind(const QString &name, std::vector<TComponentField> fields)
{
    auto k = std::make_unique<TComponentDescr>();
    k->Name = name;
    k->UserName = name;
    k->Fields = std::move(fields);
    return k;
}

// One component "1" of the type with the given "values" content in a page.
inline std::unique_ptr<TWQFFile> componentPage(const QString &type, const QByteArray &values,
                                               const QByteArray &comment = "<c>note</c>")
{
    return pageWith("<c><n>1</n><t>" + type.toUtf8() + "</t>" + comment + "<j/><j/><x>0</x><y>0</y><values>" + values +
                    "</values></c>");
}

inline TWQFItem *firstItem(TWQFFile &page) { return page.Sections().front()->Items().front().get(); }

inline QByteArray pageBytes(TWQFFile &page)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!page.SaveToStream(buffer, poWhitespace))
        qFatal("page does not save: %s", qPrintable(page.LastError()));
    return buffer.data();
}

inline QByteArray valuesBytes(TWQFItem *item) { return written(item->ValuesNode()); }

// The panel's controls in row order as "kind:text" lines: a label's caption, an edit's text,
// a drop-down's text and items, an editor's text, a button's caption.
inline QStringList describeRows(const TTagsEditor &panel)
{
    QStringList rows;
    for (const auto &binding : panel.Owned()) {
        QWidget *c = binding->Control;
        if (!c)
            continue;
        if (auto *label = qobject_cast<QLabel *>(c)) {
            rows << QStringLiteral("label:") + label->text();
        } else if (auto *edit = qobject_cast<QLineEdit *>(c)) {
            rows << QStringLiteral("edit:") + edit->text();
        } else if (auto *combo = qobject_cast<QComboBox *>(c)) {
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            rows << QStringLiteral("combo:") + combo->currentText() + u'|' + items.join(u',');
        } else if (auto *editor = qobject_cast<QsciScintilla *>(c)) {
            rows << QStringLiteral("code:") + editor->text();
        } else if (auto *check = qobject_cast<QCheckBox *>(c)) {
            rows << QStringLiteral("check:") + check->text() + (check->isChecked() ? "=1" : "=0");
        } else if (auto *button = qobject_cast<QPushButton *>(c)) {
            rows << QStringLiteral("button:") + button->text();
        }
    }
    return rows;
}

// The n-th owned control of a type.
template <class T> T *nthControl(const TTagsEditor &panel, int n = 0)
{
    for (const auto &binding : panel.Owned())
        if (auto *c = qobject_cast<T *>(binding->Control.data()))
            if (n-- == 0)
                return c;
    return nullptr;
}

// Widgets of the container, the ones a build leaves behind included.
inline int widgetCount(QWidget *container) { return int(container->findChildren<QWidget *>().size()); }

// Clicks a panel button as the user does.
inline void click(QPushButton *button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

// The panel of component "1" of a kind made in code, built on a window; counts the changes the
// panel reports.
struct BuiltPanel {
    PanelWindow window;
    std::unique_ptr<TComponentDescr> descr;
    std::unique_ptr<TWQFFile> page;
    TTagsEditor panel;
    int changes = 0;

    BuiltPanel(std::unique_ptr<TComponentDescr> kind, const QByteArray &values,
               const QByteArray &comment = "<c>note</c>")
        : descr(std::move(kind)), page(componentPage(descr->Name, values, comment))
    {
        panel.OnChange = [this](TTagsEditor *sender) {
            QCOMPARE(sender, &panel);
            ++changes;
        };
        build();
    }
    void build() { panel.BuildPropertyPanel(firstItem(*page), window.container, descr.get()); }
    TWQFItem *item() { return firstItem(*page); }
    // The n-th button of the panel with that caption; none when there is none.
    QPushButton *button(const QString &caption, int n = 0)
    {
        for (const auto &b : panel.Owned())
            if (auto *found = qobject_cast<QPushButton *>(b->Control.data()); found && found->text() == caption)
                if (n-- == 0)
                    return found;
        return nullptr;
    }
};

} // namespace pellorin_test
