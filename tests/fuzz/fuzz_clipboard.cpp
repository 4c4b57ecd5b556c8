// Clipboard text pasted into a section: every pasted component gets a fresh number that no
// other component of the section has, its exits lead only to components of the same paste,
// and copying the pasted group and pasting it again gives the same names and exits.
#include "fuzzcheck.h"
#include "model/clipboardxml.h"

#include <QBuffer>
#include <QSet>

namespace {

std::unique_ptr<TWQFFile> page(const QByteArray &components)
{
    auto file = std::make_unique<TWQFFile>();
    QByteArray xml = "<wqf><function><fn>f</fn></function><preproc>" + components + "</preproc></wqf>";
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    if (!file->LoadFromStream(buffer, PageOptions()))
        std::abort();
    return file;
}

QStringList namesAndExits(const std::vector<TWQFItem *> &items)
{
    QStringList out;
    for (const TWQFItem *item : items)
        out << item->GetName() + u':' + item->GetJump(0) + u':' + item->GetJump(1);
    return out;
}

// Pastes the text into the section and checks what every paste promises.
std::vector<TWQFItem *> paste(const QString &text, TWQFSection *section)
{
    std::vector<TWQFItem *> pasted;
    const MemoryClipboardText clipboard(text);
    const std::unique_ptr<XmlDocument> doc = ReadClipboardXML(clipboard);
    if (!doc)
        return pasted;
    FUZZ_CHECK(doc->firstChild() && doc->firstChild()->name() == u"clip", "the clipboard text is read inside clip");
    QSet<QString> before;
    for (const auto &item : section->Items())
        before.insert(item->GetName());
    const size_t count = section->Items().size();
    PasteItems(doc->firstChild()->firstChild(), section, pasted);
    FUZZ_CHECK(section->Items().size() == count + pasted.size(), "every pasted component joins the section");
    QSet<QString> fresh;
    for (const TWQFItem *item : pasted) {
        const QString name = item->GetName();
        bool number = false;
        const int value = name.toInt(&number);
        FUZZ_CHECK(number && value >= 0 && QString::number(value) == name, "a pasted name is a number: " + name);
        FUZZ_CHECK(!before.contains(name) && !fresh.contains(name), "a pasted name is unique: " + name);
        fresh.insert(name);
    }
    for (const TWQFItem *item : pasted)
        for (int exit = 0; exit < 2; ++exit) {
            const QString target = item->GetJump(exit);
            FUZZ_CHECK(target.isEmpty() || fresh.contains(target), "an exit stays inside the group: " + target);
        }
    return pasted;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    auto file = page("<c><n>0</n><t>SET</t><j>1</j><j/></c><c><n>2</n><t>IF</t><j>0</j><j>7</j></c>"
                     "<c><n>a=b</n><t>SET</t><j/><j/></c>");
    const std::vector<TWQFItem *> pasted = paste(input.text(), file->Sections()[0].get());
    if (pasted.empty())
        return 0;

    // Copied and pasted into empty sections twice: the group's shape settles at once.
    MemoryClipboardText copied;
    WriteClipboardXML(pasted, copied);
    auto once = page("");
    const std::vector<TWQFItem *> first = paste(copied.text(), once->Sections()[0].get());
    FUZZ_CHECK(first.size() == pasted.size(), "a copied group pastes whole: " + fuzz::escaped(copied.text()));
    WriteClipboardXML(first, copied);
    auto twice = page("");
    const std::vector<TWQFItem *> second = paste(copied.text(), twice->Sections()[0].get());
    FUZZ_CHECK(namesAndExits(second) == namesAndExits(first),
               "pasting a pasted group again gives its names and exits: " + namesAndExits(first).join(u' ') + " then " +
                   namesAndExits(second).join(u' '));
    return 0;
}
