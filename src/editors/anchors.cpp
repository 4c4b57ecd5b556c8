// Control edges held at their distance from the parent's edges.
#include "anchors.h"

#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace {
constexpr const char *kProperty = "pellorinAnchorKeeper";

struct Anchored {
    QPointer<QWidget> control;
    Anchors edges;
    int rightGap = 0;
    int bottomGap = 0;
};

// Watches one parent's resizes; lives as the parent's child.
class AnchorKeeper : public QObject {
public:
    explicit AnchorKeeper(QWidget *parent) : QObject(parent), m_parent(parent)
    {
        setObjectName(QStringLiteral("AnchorKeeper"));
        parent->installEventFilter(this);
    }

    static AnchorKeeper *of(QWidget *parent, bool create)
    {
        // Found through a property: a panel has hundreds of children to search otherwise.
        if (auto *keeper = static_cast<AnchorKeeper *>(parent->property(kProperty).value<QObject *>()))
            return keeper;
        if (!create)
            return nullptr;
        auto *keeper = new AnchorKeeper(parent);
        parent->setProperty(kProperty, QVariant::fromValue<QObject *>(keeper));
        return keeper;
    }

    void set(QWidget *control, Anchors anchors)
    {
        const QRect g = control->geometry();
        const QSize size = m_parent->size();
        Anchored a{control, anchors, size.width() - g.x() - g.width(), size.height() - g.y() - g.height()};
        if (anchors & (akRight | akBottom))
            m_anchored.insert(control, a);
        else
            m_anchored.remove(control);
    }

    Anchors get(const QWidget *control) const
    {
        auto it = m_anchored.find(const_cast<QWidget *>(control));
        return it == m_anchored.end() ? Anchors(akLeft | akTop) : it->edges;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_parent && event->type() == QEvent::Resize)
            follow();
        return false;
    }

private:
    void follow()
    {
        const QSize size = m_parent->size();
        for (auto it = m_anchored.begin(); it != m_anchored.end();) {
            QWidget *control = it->control;
            if (!control || control->parentWidget() != m_parent) {
                it = m_anchored.erase(it);
                continue;
            }
            QRect g = control->geometry();
            if (it->edges & akRight) {
                const int right = size.width() - it->rightGap;
                if (it->edges & akLeft)
                    g.setWidth(std::max(0, right - g.x()));
                else
                    g.moveLeft(right - g.width());
            }
            if (it->edges & akBottom) {
                const int bottom = size.height() - it->bottomGap;
                if (it->edges & akTop)
                    g.setHeight(std::max(0, bottom - g.y()));
                else
                    g.moveTop(bottom - g.height());
            }
            if (g != control->geometry())
                control->setGeometry(g);
            ++it;
        }
    }

    QWidget *m_parent;
    QHash<QWidget *, Anchored> m_anchored;
};
} // namespace

void setAnchors(QWidget *control, Anchors edges)
{
    if (!control || !control->parentWidget())
        return;
    const bool needed = edges & (akRight | akBottom);
    if (AnchorKeeper *keeper = AnchorKeeper::of(control->parentWidget(), needed))
        keeper->set(control, edges);
}

Anchors getAnchors(const QWidget *control)
{
    if (!control || !control->parentWidget())
        return akLeft | akTop;
    const AnchorKeeper *keeper = AnchorKeeper::of(control->parentWidget(), false);
    return keeper ? keeper->get(control) : Anchors(akLeft | akTop);
}
