// What an external program prints, as check messages. The bytes are UTF-8 text in lines split
// at CR LF, CR or LF. A line without a colon counts for nothing. From the first line with a key
// on, every line with a colon gives one record: its key is the text before the first colon,
// trimmed, or the key before it when that is empty, and its text is all after that colon as it
// stands; the keyless lines before the first key are joined to the first record's text, one
// blank between (empty ones before any text leave none). Each record becomes one message: the
// kind its key's first letter says, a blank and the text, tagged with a component exactly when
// the rest of the key is "<section> <component>" naming one of the page. The same output gives
// the same messages.
#include "base/textutils.h"
#include "checks/extappplugin.h"
#include "fuzzcheck.h"
#include "model/wqftypes.h"

#include <QBuffer>

namespace {

using Records = QList<QPair<QString, QString>>;

QString esc(const QString &text) { return QString::fromUtf8(fuzz::escaped(text)); }

// Section names differ in more than case, so at most one section answers to a name; one
// component name holds a blank, one is not ASCII.
std::unique_ptr<TWQFFile> page()
{
    QByteArray xml = "<wqf><function><fn>orders</fn></function><preproc>"
                     "<c><n>12</n><t>SET</t></c><c><n>0</n><t>IF</t></c><c><n>a b</n><t>SET</t></c>"
                     "<c><n>\xc3\xa9</n><t>SET</t></c></preproc><postproc><c><n>3</n><t>IF</t></c></postproc></wqf>";
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    auto file = std::make_unique<TWQFFile>();
    if (!file->LoadFromStream(buffer, PageOptions()) || !FindItemByName(file->Sections()[0]->Items(), "a b"))
        std::abort();
    return file;
}

bool isTrimmed(const QString &s) { return s.isEmpty() || (s.front() > u' ' && s.back() > u' '); }

QString recordsText(const Records &records)
{
    QString out;
    for (const auto &[key, text] : records)
        out += u'[' + esc(key) + QStringLiteral("] [") + esc(text) + QStringLiteral("]\n");
    return out;
}

// The component Key names in Doc, found by walking the page.
const TWQFItem *namedItem(const TWQFFile &doc, const QString &key)
{
    const QString rest = trim(QStringView(key).mid(1));
    const qsizetype blank = rest.indexOf(u' ');
    if (blank < 0)
        return nullptr;
    const QString section = trim(QStringView(rest).left(blank));
    const QString name = trim(QStringView(rest).mid(blank + 1));
    for (const auto &s : doc.Sections()) {
        if (!sameTextAscii(s->GetName(), section))
            continue;
        for (const auto &item : s->Items())
            if (item->GetName() == name)
                return item.get();
    }
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray output = input.bytes();
    static const std::unique_ptr<TWQFFile> doc = page();

    const QString decoded = QString::fromUtf8(output);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        if (decoded[i] != u'\r' && decoded[i] != u'\n')
            continue;
        lines << decoded.mid(start, i - start);
        if (decoded[i] == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    lines << decoded.mid(start);

    const Records records = parsePluginOutput(lines);
    FUZZ_CHECK(parsePluginOutput(lines) == records, "the same lines give the same records");

    QStringList withColon;
    for (const QString &line : lines)
        if (line.contains(u':'))
            withColon << line;
    FUZZ_CHECK(parsePluginOutput(withColon) == records, "lines without a colon count for nothing:\n" +
                                                            recordsText(records) + "then\n" +
                                                            recordsText(parsePluginOutput(withColon)));
    QStringList talk = lines;
    talk.insert(qsizetype(size % (lines.size() + 1)), QStringLiteral("talk without a colon"));
    FUZZ_CHECK(parsePluginOutput(talk) == records, "a line of talk changes nothing");

    auto keyOf = [](const QString &line) { return trim(QStringView(line).left(line.indexOf(u':'))); };
    auto textOf = [](const QString &line) { return line.mid(line.indexOf(u':') + 1); };
    qsizetype first = 0;
    while (first < withColon.size() && keyOf(withColon[first]).isEmpty())
        ++first;
    FUZZ_CHECK(records.size() == withColon.size() - first,
               QStringLiteral("one record for each line with a colon from the first key on: %1 of %2 from %3\n")
                       .arg(records.size())
                       .arg(withColon.size())
                       .arg(first) +
                   recordsText(records));
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QString &line = withColon[first + i];
        const auto &[key, text] = records[i];
        FUZZ_CHECK(!key.isEmpty() && isTrimmed(key) && !key.contains(u':'),
                   "a key is trimmed text without a colon: " + esc(key));
        const QString lineKey = keyOf(line);
        FUZZ_CHECK(key == (lineKey.isEmpty() ? records[i - 1].first : lineKey),
                   "the key is the line's, or the one before when the line has none: " + esc(key));
        if (i > 0) {
            FUZZ_CHECK(text == textOf(line), "the text is all after the first colon: " + esc(text));
            continue;
        }
        QStringList joined;
        for (qsizetype k = 0; k <= first; ++k)
            if (!joined.isEmpty() || !textOf(withColon[k]).isEmpty())
                joined << textOf(withColon[k]);
        FUZZ_CHECK(text == joined.join(u' '), "the keyless lines before the first key join its text: " + esc(text));
    }

    CheckMessageList messages;
    emitPluginOutput(nullptr, doc.get(), messages, output);
    FUZZ_CHECK(messages.size() == records.size(),
               QStringLiteral("one message for each record: %1 for %2").arg(messages.size()).arg(records.size()));
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const auto &[key, text] = records[i];
        const char16_t letter = upCaseAscii(key[0].unicode());
        const QString kind = letter == u'E'   ? QStringLiteral("ERROR")
                             : letter == u'W' ? QStringLiteral("WARN")
                                              : QStringLiteral("HINT");
        FUZZ_CHECK(messages[i].text == kind + u' ' + text,
                   "the kind by the key's first letter, then the text: " + esc(messages[i].text));
        const TWQFItem *named = namedItem(*doc, key);
        FUZZ_CHECK(messages[i].item == named, "tagged exactly with the component the key names: " + esc(key));
    }

    CheckMessageList again, untagged;
    emitPluginOutput(nullptr, doc.get(), again, output);
    emitPluginOutput(nullptr, nullptr, untagged, output);
    FUZZ_CHECK(again.size() == messages.size() && untagged.size() == messages.size(),
               "the same output gives as many messages, with a page or without");
    for (qsizetype i = 0; i < messages.size(); ++i) {
        FUZZ_CHECK(again[i].text == messages[i].text && again[i].item == messages[i].item,
                   "the same output gives the same messages");
        FUZZ_CHECK(untagged[i].text == messages[i].text && !untagged[i].item, "without a page nothing is tagged");
    }
    return 0;
}
