#pragma once
// The script block of the HTML part: the content of the first pre element after the marker
// attribute ref="scriptingcontainer", held with its HTML entities encoded. All routines work
// on UTF-8 bytes; markers are found without ASCII case.
#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

struct THtmlEntity {
    const char *Entity;
    char Ch;
};

// The only entities there are; quotes and every other character stay as they are.
inline constexpr std::array<THtmlEntity, 3> htmlEntities{{{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}}};

// The entity text of a character, '' for one that has none.
QByteArray EntityFor(char ch);
QByteArray HtmlEscape(const QByteArray &text);
// Decodes "&lt;", "&gt;" and "&amp;" in any letter case; HtmlUnescape(HtmlEscape(s)) == s.
QByteArray HtmlUnescape(const QByteArray &text);

// Start is the 1-based byte position of the block's first byte; both are -1 without a block.
struct ScriptBlock {
    qsizetype start = -1;
    qsizetype length = -1;
    bool found() const { return start >= 0; }
};
ScriptBlock FindScriptBlock(const QByteArray &html);

// The unescaped content of the block; '' without one.
QByteArray GetScript(const QByteArray &html);
// The HTML with the block's content replaced by the escaped script; unchanged without a block.
QByteArray SetScript(const QByteArray &html, const QByteArray &script);

// The same for the texts the editors hold, converted once here.
QString scriptOfHtml(const QString &html);
// None without a block: there is nothing to rewrite then.
std::optional<QString> htmlWithScript(const QString &html, const QString &script);
