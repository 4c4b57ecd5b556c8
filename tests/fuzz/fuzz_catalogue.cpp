// A component kind file, read by the catalogue: only a file that is no UTF-8 text is refused
// on reading; a kind that cannot make its elements says so before anything is added; and any
// kind the catalogue accepts gives a page that saves and reopens with the same elements: a
// component of that kind added as the palette adds it, with two entries of every repeatable
// field as the property panel adds them, and the values the catalogue recognises in it.
#include "base/exception.h"
#include "editors/morivanecomponents.h"
#include "fuzzcheck.h"
#include "fuzzpage.h"

#include <algorithm>

namespace {

QString joined(const QStringList &values)
{
    QString text;
    for (const QString &value : values)
        text += u'"' + fuzz::escaped(value) + QStringLiteral("\" ");
    return text;
}

// The values as a reopened page gives them back.
QStringList asReread(QStringList values)
{
    for (QString &value : values) {
        value = fuzz::lineEnds(value);
        if (std::all_of(value.begin(), value.end(), [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }))
            value.clear();
    }
    return values;
}

void checkKind(const TComponentDescr &kind)
{
    if (const QString error = kind.paramNodesError(); !error.isEmpty()) {
        FUZZ_CHECK(error.startsWith(QStringLiteral("The kind \"") + kind.Name + QStringLiteral("\" cannot create")),
                   "a refused kind names itself: " + error);
        return;
    }
    TWQFFile page;
    FUZZ_CHECK(fuzz::loadPage(page, fuzz::kSmallPage, fuzz::kProgramOptions), "the page loads: " + page.LastError());
    TWQFSection *section = page.FindSection(QStringLiteral("preproc"));
    FUZZ_CHECK(section, "the page has its pre-process section");
    TWQFItem *item = section->AddItem(kind.Name);
    kind.CreateParamNodes(item, true);
    item->SetX(24);
    item->SetY(48);
    const QString variableError = kind.variableParamNodesError();
    if (variableError.isEmpty()) {
        kind.AddVariableParamNodes(item);
        kind.AddVariableParamNodes(item);
    } else {
        FUZZ_CHECK(variableError.startsWith(QStringLiteral("The kind \"")), "a refused entry names the kind");
    }
    const QString name = item->GetName();
    QStringList values;
    GetParamValues(item, &values);

    QByteArray saved;
    FUZZ_CHECK(fuzz::savePage(page, fuzz::kProgramOptions, saved),
               "a page with a component of an accepted kind saves: " + page.LastError());
    TWQFFile reopened;
    FUZZ_CHECK(fuzz::loadPage(reopened, saved, fuzz::kProgramOptions),
               "the saved page reopens: " + reopened.LastError() + "\n   page \"" + fuzz::escaped(saved) + '"');
    const QString difference = fuzz::elementDifference(*page.Doc(), *reopened.Doc());
    FUZZ_CHECK(difference.isEmpty(), "the reopened page has the same elements: " + difference);

    const TWQFSection *again = reopened.FindSection(QStringLiteral("preproc"));
    FUZZ_CHECK(again && again->Items().size() == section->Items().size(), "the component reopens");
    const TWQFItem *copy = again->Items().back().get();
    FUZZ_CHECK(copy->GetName() == name, "the component keeps its name");
    QStringList reread;
    GetParamValues(copy, &reread);
    FUZZ_CHECK(reread == asReread(values),
               "the catalogue recognises the same values: " + joined(values) + "then " + joined(reread));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray bytes = input.bytes();
    // Named as a kind of its own, so that it does not take the defaults of a real one.
    const QString path = fuzz::scratchDir() + QStringLiteral("FUZZKIND.ini");
    fuzz::writeFile(path, bytes);
    auto kind = std::make_unique<TComponentDescr>();
    try {
        kind->LoadFromIni(path);
    } catch (const Exception &e) {
        FUZZ_CHECK(!fuzz::isUtf8Text(bytes), "only a file that is no UTF-8 text is refused: " + e.message());
        return 0;
    }
    FUZZ_CHECK(!kind->Name.isEmpty(), "a kind has a name");
    const TComponentDescr &added = *kind;
    ComponentDescrs().push_back(std::move(kind));
    checkKind(added);
    clearComponentDescrs();
    return 0;
}
