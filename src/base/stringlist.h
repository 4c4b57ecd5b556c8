#pragma once
// Lines of text with the name=value rules of the run-time library's string lists: a line's
// name is the text before its first "=", names compare without ASCII case, and setting an
// empty value removes the line.
#include <QString>
#include <QStringList>

class StringList {
public:
    StringList() = default;
    explicit StringList(QStringList lines) : m_lines(std::move(lines)) {}

    qsizetype Count() const { return m_lines.size(); }
    const QString &operator[](qsizetype i) const { return m_lines.at(i); }
    const QStringList &Lines() const { return m_lines; }
    void Add(const QString &line) { m_lines.append(line); }
    void Delete(qsizetype i) { m_lines.removeAt(i); }
    void Clear() { m_lines.clear(); }

    // Index of the first line with that name, -1 when none; a line without "=" has no name.
    qsizetype IndexOfName(QStringView name) const;
    // The text before the line's first "=", '' when it has none.
    QString Name(qsizetype i) const;
    QString ValueFromIndex(qsizetype i) const;
    // The value of the first line with that name, '' when there is none.
    QString Value(QStringView name) const;
    // Replaces the line of that name in place (written with this spelling of the name), else
    // appends one; an empty value removes the line and adds nothing.
    void SetValue(const QString &name, const QString &value);

    friend bool operator==(const StringList &, const StringList &) = default;

private:
    QStringList m_lines;
};

// A text split into lines at CR LF, LF or a lone CR; a final line break adds no empty line.
QStringList SplitLines(QStringView text);
