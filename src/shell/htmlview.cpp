// "Form2", the empty window made at start-up and never shown.
#include "htmlview.h"

#include "base/moduleslot.h"

namespace {
WindowSlot<TForm2> g_form;
} // namespace

TForm2::TForm2(QWidget *parent) : QWidget(parent)
{
    g_form.constructed(this);
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
}

TForm2::~TForm2() { g_form.destroyed(this); }

TForm2 *form2() { return g_form.get(); }

TForm2 *createForm2() { return g_form.create(); }

void freeForm2() { g_form.free(); }
