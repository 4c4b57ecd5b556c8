#pragma once
// INI files as the program's description and settings files are written by hand and by other
// tools: names match without case (ASCII), file order is kept, the first of duplicate keys
// wins, lines starting with ";" are comments, and a value is the text after the first "=" as
// it stands. Lines the program never changes are written back byte for byte.
#include "atomicfile.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class IniFile {
public:
    using NameValue = QPair<QString, QString>;

    IniFile() = default;
    // Reads the file when it exists; a missing file is an empty one.
    explicit IniFile(const QString &fileName);
    static IniFile fromText(const QString &text);
    static IniFile fromBytes(const QByteArray &bytes);

    const QString &fileName() const { return m_fileName; }
    // False when the file existed but could not be read; such a file is never overwritten.
    bool readOk() const { return m_readOk; }

    // With auto-update on, every change is written to the file at once.
    bool autoUpdate() const { return m_autoUpdate; }
    void setAutoUpdate(bool on) { m_autoUpdate = on; }
    // A change is not in the file yet: made without auto-update, or its write failed.
    bool hasUnwrittenChanges() const { return m_unwritten; }
    // Runs writes with auto-update held off; with it on, the file is then written once.
    void inOneWrite(const std::function<void()> &writes);
    // Writes the whole file (missing folders created) by way of a temporary file, so a
    // failed write leaves the old file as it was.
    bool updateFile();
    // OwnerOnly for a file that holds secrets.
    void setFileAccess(FileAccess access) { m_access = access; }

    QByteArray toBytes() const;
    QString text() const { return QString::fromUtf8(toBytes()); }

    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;
    // Distinct names in file order, as first written.
    QStringList sections() const;
    QStringList keys(const QString &section) const;
    // Every distinct key of the section with its value (the first of duplicates).
    QList<NameValue> sectionValues(const QString &section) const;

    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    // The integer rules of strToIntDef; a value that is no number gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // True when the value starts with "1", False for any other text, the default when the
    // value is empty or missing.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    // An existing key keeps its place and its spelling; a new key goes after the last key of
    // its section, a new section at the end. Refused (false, nothing changed) for names and
    // values that could not be read back as written: line breaks, an empty or padded name,
    // "=" in a key or "]" in a section name. With auto-update, false also when the file
    // could not be written.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);
    // Removes every block of that name with its lines; false when there was none.
    bool eraseSection(const QString &section);
    // Removes every line of the key in the section; false when there was none.
    bool deleteKey(const QString &section, const QString &key);

private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        QByteArray text; // without its line break
        QByteArray eol;
        LineKind kind = LineKind::Other;
        QString name; // section or key name, trimmed
        qsizetype valueStart = 0; // byte offset of the value in text
    };

    void parse(const QByteArray &bytes);
    static Line makeLine(QByteArray text, QByteArray eol);
    // Index of the first line of the key in a block of the section, or -1.
    qsizetype findKey(const QString &section, const QString &key) const;
    template <class F> void forEachKey(const QString &section, F f) const;
    QByteArray newLineBreak() const;
    void insertLine(qsizetype at, const QByteArray &text);
    bool changed();

    std::vector<Line> m_lines;
    QString m_fileName;
    bool m_bom = false;
    bool m_readOk = true;
    bool m_autoUpdate = false;
    bool m_unwritten = false;
    FileAccess m_access = FileAccess::Default;
};
