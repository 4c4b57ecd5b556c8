// The Pascal fragments list read from a folder. The input is the folder: files separated by
// NUL, each its name, a line break and its bytes (names are kept to letters, digits and ".-_").
// The list holds every unit (".pas") and then every fragment (".pascls", then ".pasfn") whose
// text is not blank, each once, by name without case within its group, named in lower case
// (a unit without its extension), with the file's whole text.
#include "base/textutils.h"
#include "editors/pascompiler.h"
#include "fuzzcheck.h"

#include <QDir>
#include <QMap>
#include <cctype>

namespace {

bool usableName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > 64 || name == "." || name == "..")
        return false;
    for (const char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            return false;
    return true;
}

// 0 for a unit, 1 and 2 for the two kinds of fragment, -1 for anything else.
int groupOf(const QString &name)
{
    const QString lower = lowerCaseAscii(name);
    if (lower.endsWith(u".pas"))
        return 0;
    if (lower.endsWith(u".pascls"))
        return 1;
    if (lower.endsWith(u".pasfn"))
        return 2;
    return -1;
}

QString listed(const UnitFileList &list)
{
    QString text;
    for (const auto &unit : list)
        text += unit->Name + (unit->IsFragment ? QStringLiteral(" (fragment) ") : QStringLiteral(" ")) +
                fuzz::escaped(unit->Source) + u'\n';
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QString folder = fuzz::scratchDir() + QStringLiteral("pascal");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    // The files as the list should give them: group, then name without case.
    QMap<QString, QString> written; // file name -> text
    for (const QByteArray &record : input.bytes().split('\0')) {
        const qsizetype eol = record.indexOf('\n');
        const QByteArray name = record.left(eol < 0 ? record.size() : eol);
        if (!usableName(name))
            continue;
        const QByteArray bytes = eol < 0 ? QByteArray() : record.mid(eol + 1);
        fuzz::writeFile(folder + u'/' + QString::fromLatin1(name), bytes);
        written.insert(QString::fromLatin1(name), QString::fromUtf8(bytes));
    }
    LoadUnits(folder);
    const UnitFileList &list = PascalUnits();

    int lastGroup = 0;
    QString lastFile;
    QMap<QString, int> seen;
    for (const auto &unit : list) {
        const int group = unit->IsFragment ? groupOf(unit->Name) : 0;
        FUZZ_CHECK(!unit->IsFragment || group > 0, "a fragment is one by its extension: " + listed(list));
        FUZZ_CHECK(unit->Name == lowerCaseAscii(unit->Name), "names are in lower case");
        // Listed by the file's name, the extension included.
        const QString file = unit->IsFragment ? unit->Name : unit->Name + QStringLiteral(".pas");
        FUZZ_CHECK(group > lastGroup || (group == lastGroup && file.compare(lastFile, Qt::CaseInsensitive) >= 0),
                   "units come first, then each kind of fragment, by name: " + listed(list));
        FUZZ_CHECK(!trim(unit->Source).isEmpty(), "a blank file is left out");
        lastGroup = group;
        lastFile = file;
        seen[file] += 1;
    }
    // Every file that should be listed is, as often as its lower-case name is written.
    QMap<QString, int> expected;
    for (auto it = written.cbegin(); it != written.cend(); ++it)
        if (groupOf(it.key()) >= 0 && !trim(it.value()).isEmpty())
            expected[lowerCaseAscii(it.key())] += 1;
    FUZZ_CHECK(seen == expected, "every unit and fragment is listed once: " + listed(list));
    for (const auto &unit : list) {
        // The text of some file of that name, compared without case.
        bool found = false;
        for (auto it = written.cbegin(); it != written.cend() && !found; ++it)
            found = lowerCaseAscii(it.key()) == (unit->IsFragment ? unit->Name : unit->Name + QStringLiteral(".pas")) &&
                    it.value() == unit->Source;
        FUZZ_CHECK(found, "a source is its file's whole text: " + unit->Name);
    }
    PascalUnits().clear();
    return 0;
}
