// A macro: its .ini file, a NUL, then its .pas template. Only files that are no UTF-8 text, or
// that would give a page a character it cannot hold, are refused; only an empty template gives
// no macro. A macro component made as the palette
// makes it saves; when its code tells its values apart, the reopened page gives the component
// back bound to its macro, with values that make the same code again, but for blanks at its very
// end. (Values themselves need not come back: a parameter the template never names leaves no
// trace, and two values side by side can split either way.)
#include "base/exception.h"
#include "editors/wqfmacros.h"
#include "fuzzcheck.h"
#include "fuzzpage.h"
#include "shell/palette.h"

namespace {

// The parameters' values, name=value, in the order of the macro's parameters.
QString valuesOf(const TPascalMacro &macro, const StringList &values)
{
    QString text;
    for (qsizetype i = 0; i < macro.ParamTypes.count(); ++i) {
        const QString name = macro.ParamTypes.name(i);
        text += name + u'=' + fuzz::escaped(values.value(name)) + u'\n';
    }
    return text;
}

// Whether the code tells its values apart: every placeholder names a parameter or the grey
// exit's call, no two stand side by side, and no value, as the code holds it, holds a text of
// the template. Otherwise the template's matching, which takes the first place a text is found
// at, may split the code elsewhere or not at all.
bool readable(const TPascalMacro &macro, const StringList &values)
{
    QStringList names{QStringLiteral("_GRAY")}, texts, written;
    for (qsizetype i = 0; i < macro.ParamTypes.count(); ++i)
        names << macro.ParamTypes.name(i);
    for (const TTmplSection *s = macro.Template.get(); s; s = s->Next.get()) {
        if (s->IsVariable && (!names.contains(s->Text) || (s->Next && s->Next->IsVariable)))
            return false;
        if (!s->IsVariable)
            texts << s->Text;
    }
    for (const QString &name : std::as_const(names)) {
        const bool quoted = macro.ParamTypes.value(name) == u"STRING";
        written << (quoted ? values.value(name).replace(u'\'', QStringLiteral("''")) : values.value(name));
    }
    for (const QString &value : std::as_const(written))
        for (const QString &text : std::as_const(texts))
            if (value.contains(text))
                return false;
    return true;
}

void checkMacro(TPascalMacro &macro)
{
    TWQFFile page;
    FUZZ_CHECK(fuzz::loadPage(page, fuzz::kSmallPage, fuzz::kProgramOptions), "the page loads: " + page.LastError());
    TWQFSection *section = page.FindSection(QStringLiteral("preproc"));
    FUZZ_CHECK(section, "the page has its pre-process section");
    // As the palette's macro button adds it, with a grey exit to call.
    TWQFItem *item = section->AddItem(QStringLiteral("DELPHI"));
    item->SetJump(1, QStringLiteral("0"));
    item->setMacro(std::make_unique<TWQFPasMacro>(&macro));
    item->SetComment(QStringLiteral("macro: ") + macro.Caption);
    QString code;
    ApplyMacro(&page, section, code, item);
    const QString name = item->GetName();
    const bool tellsValuesApart = readable(macro, itemPasMacro(item)->Values);

    QByteArray saved;
    FUZZ_CHECK(fuzz::savePage(page, fuzz::kProgramOptions, saved),
               "a page with a macro component saves: " + page.LastError());
    TWQFFile reopened;
    FUZZ_CHECK(fuzz::loadPage(reopened, saved, fuzz::kProgramOptions),
               "the saved page reopens: " + reopened.LastError());
    TWQFSection *again = reopened.FindSection(QStringLiteral("preproc"));
    FUZZ_CHECK(again && again->Items().size() == section->Items().size(), "the component reopens");
    ApplyMacros(again->Items(), QStringLiteral("macro:"));
    TWQFItem *copy = again->Items().back().get();
    FUZZ_CHECK(copy->GetName() == name, "the component keeps its name");
    const QString stored = GetCode(copy);
    if (!tellsValuesApart)
        return;
    const TWQFPasMacro *bound = itemPasMacro(copy);
    FUZZ_CHECK(bound && bound->Macro == &macro,
               "the reopened component is bound to its macro again; its code \"" + fuzz::escaped(stored) + '"');
    // A value at the very end of the template loses its trailing blanks.
    const auto normal = [](const QString &code) {
        QString text;
        NormalizeLineBreaks(code, text);
        return text;
    };
    FUZZ_CHECK(regenerateMacroCode(copy) && normal(GetCode(copy)) == normal(stored),
               "the code made again from the values read back is the code stored: \"" + fuzz::escaped(stored) +
                   "\" then \"" + fuzz::escaped(GetCode(copy)) + "\"; the values read back:\n" +
                   valuesOf(macro, bound->Values));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray bytes = input.bytes();
    const auto [ini, pas, hasPas] = fuzz::twoFiles(bytes);
    const QString iniName = fuzz::scratchDir() + QStringLiteral("fuzzmacro.ini");
    const QString pasName = fuzz::scratchDir() + QStringLiteral("fuzzmacro.pas");
    fuzz::writeFile(iniName, ini);
    fuzz::writeFile(pasName, pas);
    std::unique_ptr<TPascalMacro> loaded;
    try {
        loaded = LoadMacro(iniName, pasName);
    } catch (const Exception &e) {
        FUZZ_CHECK(!fuzz::isUtf8Text(ini) || !fuzz::isUtf8Text(pas) ||
                       e.message().endsWith(" a character that a page cannot hold"),
                   "only files that are no UTF-8 text or give a page what it cannot hold are refused: " + e.message());
        return 0;
    }
    if (!loaded) {
        FUZZ_CHECK(pas.isEmpty(), "only an empty template gives no macro");
        return 0;
    }
    FUZZ_CHECK(loaded->Template, "a macro has a template");
    TPascalMacro &macro = *loaded;
    RegisterMacro(std::move(loaded));
    checkMacro(macro);
    ClearMacros();
    return 0;
}
