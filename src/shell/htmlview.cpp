#include "htmlview.h"

#include "base/moduleslot.h"

namespace {
TForm2 *g_form = nullptr;
ModuleSlot<TForm2> g_owned;
} // namespace

TForm2::TForm2(QWidget *Parent) : QWidget(Parent)
{
    g_form = this;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
}

TForm2::~TForm2()
{
    if (g_form == this)
        g_form = nullptr;
}

TForm2 *form2() { return g_form; }

TForm2 *createForm2()
{
    if (!g_form)
        g_owned.reset(std::make_unique<TForm2>());
    return g_form;
}

void freeForm2() { g_owned.reset(); }
