// Script macros and the code generated from them.
#include "wqfmacros.h"

#include "descriptionfiles.h"

#include "base/exception.h"
#include "base/inifile.h"
#include "base/textutils.h"
#include "model/xmlwrite2.h"
#include "platform/appdirs.h"

#include <QFileInfo>

namespace {
const QString kHeader = QStringLiteral("// Macro:");
const QString kGray = QStringLiteral("_GRAY");

bool isStringType(const QString &type) { return type == u"STRING"; }

QString baseName(const QString &path) { return platform::WithoutExtension(QFileInfo(path).fileName()); }

// LF CR, CR LF and a lone CR as LF.
QString withLfBreaks(QString text)
{
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// A macro component's comment holds the caption and its code the template and the values: a
// character the page cannot hold would make every save of the page fail.
void checkWritable(const QString &text, const QString &fileName, const QString &what)
{
    if (!IsXmlText(text))
        throw Exception(
            QStringLiteral("The file \"%1\" gives %2 a character that a page cannot hold").arg(fileName, what));
}
} // namespace

void TPascalMacro::InitValues(StringList &Values) const
{
    for (qsizetype i = 0; i < ParamTypes.Count(); ++i) {
        const QString name = ParamTypes.Name(i);
        Values.SetValue(name, ParamDefaults.Value(name));
    }
}

void TPascalMacro::Generate(const StringList &Values, QString &Code) const
{
    StringList quoted = Values;
    for (qsizetype i = 0; i < ParamTypes.Count(); ++i) {
        if (!isStringType(ParamTypes.valueFromIndex(i)))
            continue;
        const QString name = ParamTypes.Name(i);
        quoted.SetValue(name, quoted.Value(name).replace(u'\'', QStringLiteral("''")));
    }
    RenderTemplate(Template.get(), quoted, Code);
}

bool TPascalMacro::ParseValues(const QString &Code, StringList &Values, QString &Error) const
{
    if (!MatchTemplate(Code, Template.get(), Values, Error))
        return false;
    for (qsizetype i = 0; i < ParamTypes.Count(); ++i) {
        if (!isStringType(ParamTypes.valueFromIndex(i)))
            continue;
        const QString name = ParamTypes.Name(i);
        const QString value = Values.Value(name);
        if (value.contains(QStringLiteral("''")))
            Values.SetValue(name, QString(value).replace(QStringLiteral("''"), QStringLiteral("'")));
    }
    return true;
}

void TWQFPasMacro::Generate(QString &Code) const
{
    if (Macro)
        Macro->Generate(Values, Code);
    else
        Code.clear();
}

bool TWQFPasMacro::ParseCode(const QString &Code, QString &Error)
{
    return Macro && Macro->ParseValues(Code, Values, Error);
}

int MacroList::indexOf(const QString &name) const
{
    for (size_t i = 0; i < m_macros.size(); ++i)
        if (sameTextAscii(m_macros[i]->Name, name))
            return int(i);
    return -1;
}

TPascalMacro *MacroList::Find(const QString &name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : at(i);
}

void MacroList::add(std::unique_ptr<TPascalMacro> macro)
{
    if (macro)
        m_macros.push_back(std::move(macro));
}

MacroList &Macros()
{
    static MacroList list;
    return list;
}

std::unique_ptr<TPascalMacro> LoadMacro(const QString &iniFileName, const QString &pasFileName)
{
    if (!QFileInfo::exists(iniFileName) || !QFileInfo::exists(pasFileName))
        return nullptr;
    auto macro = std::make_unique<TPascalMacro>();
    macro->Name = baseName(pasFileName);

    const IniFile ini = IniFile::fromText(readDescriptionFile(iniFileName));
    const QString main = QStringLiteral("main");
    macro->Name = ini.readString(main, "name", macro->Name);
    macro->Caption = ini.readString(main, "username", macro->Name);
    checkWritable(macro->Caption, iniFileName, QStringLiteral("the caption"));
    for (const QString &section : ini.sections()) {
        if (sameTextAscii(section, main))
            continue;
        const QString type = upperCaseAscii(ini.readString(section, "type", QStringLiteral("INTEGER")));
        const bool number = type == u"INTEGER" || type == u"FLOAT";
        const QString defaultValue = ini.readString(section, "default", number ? "0" : "");
        checkWritable(defaultValue, iniFileName, QStringLiteral("the default of \"%1\"").arg(section));
        macro->ParamTypes.add(section + u'=' + type);
        macro->ParamDefaults.add(section + u'=' + defaultValue);
    }

    qsizetype size = 0;
    const QString body = readDescriptionFile(pasFileName, &size);
    if (size == 0)
        return nullptr;
    // The file's own blank lines at either end go, so the code starts right below the header.
    // The header holds the name as it is, so that the code names its macro: a "%" of it is no
    // placeholder, and a blank after it stays when the template is blank.
    QString content;
    NormalizeLineBreaks(body, content);
    const QString header = kHeader + QString(macro->Name).replace(u'%', QStringLiteral("%%"));
    const QString text = content.isEmpty() ? header : header + u'\n' + content;
    checkWritable(text, pasFileName, QStringLiteral("the code"));
    macro->Template = ParseTemplate(text);
    return macro;
}

void RegisterMacro(std::unique_ptr<TPascalMacro> Macro) { Macros().add(std::move(Macro)); }

void ClearMacros() { Macros().Clear(); }

QStringList LoadMacros(const QString &dir)
{
    return loadDescriptionFolder(
        dir, QStringLiteral("Macro skipped: "), [](const QString &folder, const QString &file) {
            RegisterMacro(LoadMacro(folder + file, folder + platform::WithoutExtension(file) + ".pas"));
        });
}

bool IsCodeComponent(const TWQFItem *Item)
{
    if (!Item)
        return false;
    const QString type = Item->GetType();
    return type == u"DELPHI" || type == u"SCRIPT";
}

QString GetCode(const TWQFItem *Item) { return Item ? Item->GetValue(QStringLiteral("v")) : QString(); }

void SetCode(TWQFItem *Item, const QString &Code)
{
    if (Item)
        Item->SetValue(QStringLiteral("v"), Code, true);
}

TWQFPasMacro *itemPasMacro(const TWQFItem *Item)
{
    return Item ? dynamic_cast<TWQFPasMacro *>(Item->Macro()) : nullptr;
}

bool HasMacro(const TWQFItem *Item) { return itemPasMacro(Item) != nullptr; }

void NormalizeLineBreaks(const QString &S, QString &R) { R = Trim(withLfBreaks(S)); }

bool ParseMacroHeader(const QString &Code, QString &Name, QString &body)
{
    Name.clear();
    body.clear();
    if (!Code.startsWith(kHeader))
        return false;
    qsizetype end = kHeader.size();
    while (end < Code.size() && Code[end] != u'\r' && Code[end] != u'\n')
        ++end;
    Name = Code.mid(kHeader.size(), end - kHeader.size());
    NormalizeLineBreaks(Code, body);
    return true;
}

namespace {
void applyMacro(TWQFItem *item, const QString &prefix)
{
    if (!IsCodeComponent(item))
        return;
    const QString code = GetCode(item);
    QString name, body;
    if (!ParseMacroHeader(code, name, body))
        return;
    if (!prefix.isEmpty() && !sameTextAscii(QStringView(item->GetComment()).left(prefix.size()), prefix))
        return;
    TPascalMacro *macro = Macros().Find(name);
    if (!macro)
        return;
    TWQFPasMacro *bound = itemPasMacro(item);
    if (!bound) {
        auto made = std::make_unique<TWQFPasMacro>(macro);
        bound = made.get();
        item->setMacro(std::move(made));
    }
    QString error;
    // The trimmed body cuts into the template's last text when the values after it are empty
    // and that text ends in a blank; the code as stored then fits.
    if (!bound->ParseCode(body, error) && !bound->ParseCode(withLfBreaks(code), error))
        item->setMacro(nullptr);
}
} // namespace

void ApplyMacros(const WQFItemList &Items, const QString &prefix)
{
    for (const auto &item : Items)
        applyMacro(item.get(), prefix);
}

void ApplyMacros(const std::vector<TWQFItem *> &Items, const QString &prefix)
{
    for (TWQFItem *item : Items)
        applyMacro(item, prefix);
}

void SetGrayValue(StringList &Values, const TWQFFile *File, const TWQFSection *Section, const TWQFItem *Item)
{
    if (!File || !Section || !Item)
        return;
    QString gray;
    const QString exit1 = Item->GetJump(1);
    if (Item->JumpCount() >= 2 && !exit1.isEmpty()) {
        QString section = Section->GetName();
        const qsizetype proc = lowerCaseAscii(section).indexOf(QStringLiteral("proc"));
        if (proc >= 0)
            section.remove(proc, 4);
        gray = File->GetFunctionName() + u'_' + section + u'_' + exit1 + u';';
    }
    Values.SetValue(kGray, gray);
}

void SetItemGrayValue(StringList &Values, const TWQFItem *Item)
{
    if (!Item || !Item->Section())
        return;
    SetGrayValue(Values, Item->Section()->Owner(), Item->Section(), Item);
}

bool regenerateMacroCode(TWQFItem *Item)
{
    TWQFPasMacro *macro = itemPasMacro(Item);
    if (!macro)
        return false;
    // The values the user set stay; only the call of exit 1's target follows the exits.
    SetItemGrayValue(macro->Values, Item);
    QString code;
    macro->Generate(code);
    SetCode(Item, code);
    return true;
}
