#pragma once
// Text templates: a text with placeholders (a name between two "%") turned into a chain of
// sections, filled from name=value entries, and matched against a text made from it to get
// the values back.
#include "base/stringlist.h"

#include <QString>
#include <memory>

// One section of a parsed template; the first stands for the whole chain, which it owns.
class TTmplSection {
public:
    // Text is derived from raw: a literal's "%%" become "%", a variable's name is raw without
    // its first and last character.
    TTmplSection(const QString &raw, bool isVariable);
    ~TTmplSection();
    TTmplSection(const TTmplSection &) = delete;
    TTmplSection &operator=(const TTmplSection &) = delete;

    QString Text;
    QString Raw;
    std::unique_ptr<TTmplSection> Next;
    bool IsVariable;
};

// None for a template that yields no section. "%%" is a literal "%", a "%" at the very end is
// literal, and a name without its closing "%" runs to the end of the template.
std::unique_ptr<TTmplSection> ParseTemplate(const QString &pattern);
// Literals as they are, variables by their values ('' for a missing name), values unchanged.
void RenderTemplate(const TTmplSection *first, const StringList &values, QString &text);
// Stores the value of each variable in values (an empty one as an entry with an empty value).
// False, with error "failed to find the text section: " and the literal, when a literal is not
// where the template puts it; values found before stay.
bool MatchTemplate(const QString &text, const TTmplSection *first, StringList &values, QString &error);
