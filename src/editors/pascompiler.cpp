// The Pascal fragments beside the program and compiler messages about a component.
#include "pascompiler.h"

#include "base/textutils.h"
#include "model/filehelpers.h"
#include "platform/folderlist.h"
#include "platform/paths.h"

namespace {
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The run of digits from pos as a number (0 when none or too large); pos moves past it.
int takeNumber(const QString &text, qsizetype &pos)
{
    const qsizetype start = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    int value = 0;
    if (!tryDecimalToInt(QStringView(text).mid(start, pos - start), value))
        value = 0;
    return value;
}
void appendSources(const QString &dir, const QString &mask, bool fragments, UnitFileList &list)
{
    QStringList names;
    ListFolder(dir, mask, platform::faAnyFile, &names);
    const QString folder = platform::withTrailingSlash(dir);
    for (const QString &name : names) {
        const QString lower = lowerCaseAscii(name);
        const qsizetype dot = lower.lastIndexOf(u'.');
        const QString extension = dot < 0 ? QString() : lower.mid(dot);
        // Only units: the mask may also give names with a longer extension.
        if (!fragments && extension != u".pas")
            continue;
        const QString source = QString::fromUtf8(LoadFileToString(folder + name));
        if (trim(source).isEmpty())
            continue;
        auto unit = std::make_unique<TUnitFile>();
        unit->Name = fragments ? lower : lower.left(dot);
        unit->Source = source;
        unit->IsFragment = fragments;
        list.push_back(std::move(unit));
    }
}
} // namespace

UnitFileList &PascalUnits()
{
    static UnitFileList list;
    return list;
}

void LoadUnits(const QString &dir)
{
    UnitFileList &list = PascalUnits();
    list.clear();
    appendSources(dir, QStringLiteral("*.pas"), false, list);
    appendSources(dir, QStringLiteral("*.pascls"), true, list);
    appendSources(dir, QStringLiteral("*.pasfn"), true, list);
}

bool ParseErrorLine(const QString &line, int &col, int &row)
{
    col = 0;
    row = 0;
    static const QString marker = QStringLiteral("[Error]");
    const qsizetype at = line.indexOf(marker);
    if (at < 0)
        return false;
    const qsizetype open = line.indexOf(u'(');
    // Without a "(" after the marker the line names no place.
    if (open < at + marker.size())
        return false;
    for (qsizetype i = at + marker.size(); i < open; ++i)
        if (line[i].unicode() > 0x20)
            return false;
    qsizetype pos = open + 1;
    const int number = takeNumber(line, pos);
    while (pos < line.size() && !isDigit(line[pos]))
        ++pos;
    col = takeNumber(line, pos);
    row = number;
    return true;
}
