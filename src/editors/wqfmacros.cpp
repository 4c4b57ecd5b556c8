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

QString baseName(const QString &path) { return platform::withoutExtension(QFileInfo(path).fileName()); }

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
    if (!isXmlText(text))
        throw Exception(
            QStringLiteral("The file \"%1\" gives %2 a character that a page cannot hold").arg(fileName, what));
}
} // namespace

void TPascalMacro::InitValues(StringList &values) const
{
    for (qsizetype i = 0; i < ParamTypes.count(); ++i) {
        const QString name = ParamTypes.name(i);
        values.setValue(name, ParamDefaults.value(name));
    }
}

void TPascalMacro::Generate(const StringList &values, QString &code) const
{
    StringList quoted = values;
    for (qsizetype i = 0; i < ParamTypes.count(); ++i) {
        if (!isStringType(ParamTypes.valueFromIndex(i)))
            continue;
        const QString name = ParamTypes.name(i);
        quoted.setValue(name, quoted.value(name).replace(u'\'', QStringLiteral("''")));
    }
    RenderTemplate(Template.get(), quoted, code);
}

bool TPascalMacro::ParseValues(const QString &code, StringList &values, QString &error) const
{
    if (!MatchTemplate(code, Template.get(), values, error))
        return false;
    for (qsizetype i = 0; i < ParamTypes.count(); ++i) {
        if (!isStringType(ParamTypes.valueFromIndex(i)))
            continue;
        const QString name = ParamTypes.name(i);
        const QString value = values.value(name);
        if (value.contains(QStringLiteral("''")))
            values.setValue(name, QString(value).replace(QStringLiteral("''"), QStringLiteral("'")));
    }
    return true;
}

void TWQFPasMacro::Generate(QString &code) const
{
    if (Macro)
        Macro->Generate(Values, code);
    else
        code.clear();
}

bool TWQFPasMacro::ParseCode(const QString &code, QString &error)
{
    return Macro && Macro->ParseValues(code, Values, error);
}

int MacroList::indexOf(const QString &name) const
{
    for (size_t i = 0; i < m_macros.size(); ++i)
        if (sameTextAscii(m_macros[i]->Name, name))
            return int(i);
    return -1;
}

TPascalMacro *MacroList::find(const QString &name) const
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

void RegisterMacro(std::unique_ptr<TPascalMacro> macro) { Macros().add(std::move(macro)); }

void ClearMacros() { Macros().clear(); }

QStringList LoadMacros(const QString &dir)
{
    return loadDescriptionFolder(
        dir, QStringLiteral("Macro skipped: "), [](const QString &folder, const QString &file) {
            RegisterMacro(LoadMacro(folder + file, folder + platform::withoutExtension(file) + ".pas"));
        });
}

bool IsCodeComponent(const TWQFItem *item)
{
    if (!item)
        return false;
    const QString type = item->GetType();
    return type == u"DELPHI" || type == u"SCRIPT";
}

QString GetCode(const TWQFItem *item) { return item ? item->GetValue(QStringLiteral("v")) : QString(); }

void SetCode(TWQFItem *item, const QString &code)
{
    if (item)
        item->SetValue(QStringLiteral("v"), code, true);
}

TWQFPasMacro *itemPasMacro(const TWQFItem *item)
{
    return item ? dynamic_cast<TWQFPasMacro *>(item->Macro()) : nullptr;
}

bool HasMacro(const TWQFItem *item) { return itemPasMacro(item) != nullptr; }

void NormalizeLineBreaks(const QString &s, QString &r) { r = trim(withLfBreaks(s)); }

bool ParseMacroHeader(const QString &code, QString &name, QString &body)
{
    name.clear();
    body.clear();
    if (!code.startsWith(kHeader))
        return false;
    qsizetype end = kHeader.size();
    while (end < code.size() && code[end] != u'\r' && code[end] != u'\n')
        ++end;
    name = code.mid(kHeader.size(), end - kHeader.size());
    NormalizeLineBreaks(code, body);
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
    TPascalMacro *macro = Macros().find(name);
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

void ApplyMacros(const WQFItemList &items, const QString &prefix)
{
    for (const auto &item : items)
        applyMacro(item.get(), prefix);
}

void ApplyMacros(const std::vector<TWQFItem *> &items, const QString &prefix)
{
    for (TWQFItem *item : items)
        applyMacro(item, prefix);
}

void SetGrayValue(StringList &values, const TWQFFile *file, const TWQFSection *section, const TWQFItem *item)
{
    if (!file || !section || !item)
        return;
    QString gray;
    const QString exit1 = item->GetJump(1);
    if (item->JumpCount() >= 2 && !exit1.isEmpty()) {
        QString sectionName = section->GetName();
        const qsizetype proc = lowerCaseAscii(sectionName).indexOf(QStringLiteral("proc"));
        if (proc >= 0)
            sectionName.remove(proc, 4);
        gray = file->GetFunctionName() + u'_' + sectionName + u'_' + exit1 + u';';
    }
    values.setValue(kGray, gray);
}

void SetItemGrayValue(StringList &values, const TWQFItem *item)
{
    if (!item || !item->Section())
        return;
    SetGrayValue(values, item->Section()->Owner(), item->Section(), item);
}

bool regenerateMacroCode(TWQFItem *item)
{
    TWQFPasMacro *macro = itemPasMacro(item);
    if (!macro)
        return false;
    // The values the user set stay; only the call of exit 1's target follows the exits.
    SetItemGrayValue(macro->Values, item);
    QString code;
    macro->Generate(code);
    SetCode(item, code);
    return true;
}
