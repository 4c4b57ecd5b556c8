#pragma once
// Lines of text with the name=value rules of the run-time library's string lists: a line's
// name is the text before its first "=", names compare without ASCII case (unless the list
// is case-sensitive), and setting an empty value removes the line. Each line may carry an
// object that the list does not own.
#include <QString>
#include <QStringList>
#include <any>
#include <utility>
#include <vector>

class StringList {
public:
    StringList() = default;
    explicit StringList(QStringList lines) : m_lines(std::move(lines)), m_objects(size_t(m_lines.size())) {}
    explicit StringList(bool caseSensitive) : m_caseSensitive(caseSensitive) {}

    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool value) { m_caseSensitive = value; }

    // Indexes out of range raise "Range check error".
    qsizetype count() const { return m_lines.size(); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    const QString &operator[](qsizetype i) const { return m_lines[check(i)]; }
    const QStringList &lines() const { return m_lines; }
    // Replaces the text; the line keeps its object.
    void setString(qsizetype i, const QString &line) { m_lines[check(i)] = line; }
    qsizetype add(const QString &line);
    void insert(qsizetype i, const QString &line);
    void removeAt(qsizetype i);
    void clear();

    // object<T> answers the pointer only when it was attached as a T*, otherwise none.
    template <class T> qsizetype addObject(const QString &line, T *object)
    {
        const qsizetype i = add(line);
        m_objects.back() = object;
        return i;
    }
    template <class T> void setObject(qsizetype i, T *object) { m_objects[size_t(check(i))] = object; }
    template <class T> T *object(qsizetype i) const
    {
        T *const *p = std::any_cast<T *>(&m_objects[size_t(check(i))]);
        return p ? *p : nullptr;
    }

    // Index of the first line equal to line, -1 when none.
    qsizetype indexOf(QStringView line) const;
    // Index of the first line with that name, -1 when none; a line without "=" has no name.
    qsizetype indexOfName(QStringView name) const;
    // The text before the line's first "=", '' when it has none.
    QString name(qsizetype i) const;
    // The text after the line's first "=", the whole line when it has none.
    QString valueFromIndex(qsizetype i) const;
    // The value of the first line with that name, '' when there is none.
    QString value(QStringView name) const;
    // Replaces the line of that name in place (written with this spelling of the name), else
    // appends one; an empty value removes the line and adds nothing.
    void setValue(const QString &name, const QString &value);
    // setValue for each pair in order, with the same result, in time linear in the lines and
    // pairs together.
    void setValues(const std::vector<std::pair<QString, QString>> &pairs);

    // The lines alone.
    friend bool operator==(const StringList &a, const StringList &b) { return a.m_lines == b.m_lines; }

private:
    qsizetype check(qsizetype i) const;
    bool same(QStringView a, QStringView b) const;

    QStringList m_lines;
    std::vector<std::any> m_objects; // one per line
    bool m_caseSensitive = false;
};

// A text split into lines at CR LF, LF or a lone CR; a final line break adds no empty line.
QStringList splitLines(QStringView text);

// The items of a comma text, the list notation of description files: items are separated by
// commas, and blanks and control characters around and between items also separate them. An
// item in double quotes keeps its commas and blanks, two double quotes inside it stand for
// one, and an unclosed one runs to the end. A comma at the very end adds an empty item; the
// text ends at a character 0.
QStringList splitCommaText(QStringView text);
