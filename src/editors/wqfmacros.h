#pragma once
// Script macros: server-side code with named parameters, generated from a template. A macro
// component is recognised again by the header line of its code and by its comment, so the
// page file needs nothing of its own for it.
#include "templateutils.h"

#include "base/stringlist.h"
#include "model/wqftypes.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// One macro of the macro list.
class TPascalMacro {
public:
    TPascalMacro() = default;
    TPascalMacro(const TPascalMacro &) = delete;
    TPascalMacro &operator=(const TPascalMacro &) = delete;

    StringList ParamTypes; // name=TYPE per parameter, in the order of the INI sections
    StringList ParamDefaults; // name=default
    QString Name; // key of the list, name in the code header, picture key
    QString Caption;
    std::unique_ptr<TTmplSection> Template; // "// Macro:" + Name, LF, the .pas text

    // Values[name] := default for every parameter; other entries stay.
    void InitValues(StringList &values) const;
    // The template filled from values, STRING values with their apostrophes doubled; values
    // itself is not changed.
    void Generate(const StringList &values, QString &code) const;
    // The values read back out of generated code, STRING values undoubled. False with the
    // template's message when the code does not fit; values read before the failure stay.
    bool ParseValues(const QString &code, StringList &values, QString &error) const;
};

// A macro bound to one code component, which owns it.
class TWQFPasMacro : public ItemMacro {
public:
    explicit TWQFPasMacro(TPascalMacro *macro) : Macro(macro) {}

    StringList Values; // the parameters' current values and _GRAY
    TPascalMacro *Macro; // not owned

    void Generate(QString &code) const;
    bool ParseCode(const QString &code, QString &error);
};

// The program's macros in load order; names are looked up without ASCII case, the first of
// two of one name is found. The list owns its macros.
class MacroList {
public:
    int count() const { return int(m_macros.size()); }
    TPascalMacro *at(int index) const { return m_macros.at(size_t(index)).get(); }
    // -1 when there is none.
    int indexOf(const QString &name) const;
    TPascalMacro *find(const QString &name) const;
    // Nothing for none.
    void add(std::unique_ptr<TPascalMacro> macro);
    void clear() { m_macros.clear(); }

private:
    std::vector<std::unique_ptr<TPascalMacro>> m_macros;
};

MacroList &Macros();

// None when either file is missing or the .pas file is empty. Raises Exception naming the
// file when one cannot be read or is no UTF-8 text, or when the caption, a default or the
// template holds a character that a page cannot hold.
std::unique_ptr<TPascalMacro> LoadMacro(const QString &iniFileName, const QString &pasFileName);
// Appended under its name, also when the list already holds one of that name.
void RegisterMacro(std::unique_ptr<TPascalMacro> macro);
void ClearMacros();
// Registers the macro of every "*.ini" file of dir and the ".pas" file of the same name, in
// the sorted order of the folder listing. A file that cannot be read is skipped; the result
// has one line per skipped macro naming the file and the reason.
QStringList LoadMacros(const QString &dir);

// A component typed exactly "DELPHI" or "SCRIPT".
bool IsCodeComponent(const TWQFItem *item);
// The code: the value "v".
QString GetCode(const TWQFItem *item);
// Writes the code as plain text, creating "v" when missing.
void SetCode(TWQFItem *item, const QString &code);
bool HasMacro(const TWQFItem *item);
// The component's macro, or none.
TWQFPasMacro *itemPasMacro(const TWQFItem *item);

// Every LF CR, CR LF and lone CR becomes LF; then blanks and control characters are removed
// from both ends.
void NormalizeLineBreaks(const QString &s, QString &r);
// False, with name and body empty, unless code begins with "// Macro:". Name is the rest of
// that line, not trimmed; body is the whole code normalised, header included.
bool ParseMacroHeader(const QString &code, QString &name, QString &body);
// Binds every code component whose code has the header of a known macro, and whose comment
// begins with prefix (without case) when prefix is set, to that macro again and reads its
// values back. A component whose code no longer fits loses its macro; its code stays.
void ApplyMacros(const WQFItemList &items, const QString &prefix);
// The same over pasted components, which arrive without their macros.
void ApplyMacros(const std::vector<TWQFItem *> &items, const QString &prefix);

// Values[_GRAY] := the call of exit 1's target: function name, "_", the section's name
// without its first "proc", "_", exit 1 and ";"; '' unless the component has two exits and
// exit 1 is set. Nothing when an argument is missing.
void SetGrayValue(StringList &values, const TWQFFile *file, const TWQFSection *section, const TWQFItem *item);
// SetGrayValue with the component's own section and page.
void SetItemGrayValue(StringList &values, const TWQFItem *item);
// A macro component's code generated again from its current values and the exits it has now
// (SetItemGrayValue, Generate, SetCode); false, changing nothing, for a component without a
// macro.
bool regenerateMacroCode(TWQFItem *item);
