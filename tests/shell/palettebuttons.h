#pragma once
// A palette's buttons as tests find them: in their order left to right, or by caption.
#include <QAbstractButton>
#include <QList>
#include <QString>
#include <QWidget>
#include <QtGlobal>

namespace pellorin_test {
inline QList<QAbstractButton *> buttonsOf(const QWidget *palette)
{
    return palette->findChildren<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
}

// A missing button ends the run.
inline QAbstractButton *buttonNamed(const QWidget *palette, const QString &caption)
{
    for (QAbstractButton *button : buttonsOf(palette))
        if (button->text() == caption)
            return button;
    qFatal("the palette has no button %s", qPrintable(caption));
    return nullptr;
}
} // namespace pellorin_test
