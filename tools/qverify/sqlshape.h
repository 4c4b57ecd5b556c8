#pragma once
// What the prober reads of a statement before a database sees it: where its SQL ends once
// trailing blanks, comments and semicolons are left out, and the word it begins with. Strings,
// quoted names and comments are read as the database reads them, so a "--" or ";" inside a
// string is no comment and no end.
#include <QString>

enum class SqlDialect { SQLite, PostgreSQL };

struct SqlShape {
    // The text up to the end of its last token that is not a comment, a blank or ";"; empty
    // when the text holds nothing else.
    QString body;
    // The first token upper-cased when it is a word, else its first character.
    QString firstWord;
};

SqlShape shapeOf(const QString &text, SqlDialect dialect);
