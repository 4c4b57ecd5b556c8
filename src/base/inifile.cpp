// INI files as people and other programs write them: case-blind keys, file order and unknown
// entries kept.
#include "inifile.h"

#include "atomicfile.h"
#include "textutils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {
const QByteArray kBom("\xEF\xBB\xBF");

bool hasLineBreak(const QString &s) { return s.contains(u'\n') || s.contains(u'\r'); }

bool validSection(const QString &s) { return !s.isEmpty() && trim(s) == s && !hasLineBreak(s) && !s.contains(u']'); }

bool validKey(const QString &k)
{
    return !k.isEmpty() && trim(k) == k && !hasLineBreak(k) && !k.contains(u'=') && !k.startsWith(u'[') &&
           !k.startsWith(u';');
}
} // namespace

IniFile::IniFile(const QString &fileName) : m_fileName(fileName)
{
    QFile file(fileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_readOk = false;
        return;
    }
    parse(file.readAll());
}

IniFile IniFile::fromText(const QString &text) { return fromBytes(text.toUtf8()); }

IniFile IniFile::fromBytes(const QByteArray &bytes)
{
    IniFile ini;
    ini.parse(bytes);
    return ini;
}

void IniFile::parse(const QByteArray &input)
{
    m_lines.clear();
    QByteArray bytes = input;
    m_bom = bytes.startsWith(kBom);
    if (m_bom)
        bytes.remove(0, kBom.size());
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        qsizetype next = end;
        if (next < n && bytes[next] == '\r')
            ++next;
        if (next < n && bytes[next] == '\n' && (next == end || bytes[end] == '\r'))
            ++next;
        m_lines.push_back(makeLine(bytes.mid(start, end - start), bytes.mid(end, next - end)));
        start = next;
    }
}

IniFile::Line IniFile::makeLine(QByteArray text, QByteArray eol)
{
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    const QString decoded = QString::fromUtf8(line.text);
    const QString trimmed = trim(decoded);
    if (trimmed.isEmpty() || trimmed.startsWith(u';'))
        return line;
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.lastIndexOf(u']');
        line.kind = LineKind::Section;
        line.name = trim(close > 0 ? QStringView(trimmed).mid(1, close - 1) : QStringView(trimmed).mid(1));
        return line;
    }
    const qsizetype eq = line.text.indexOf('=');
    if (eq < 0)
        return line;
    const QString name = trim(QString::fromUtf8(line.text.left(eq)));
    if (name.isEmpty())
        return line;
    line.kind = LineKind::Key;
    line.name = name;
    line.valueStart = eq + 1;
    return line;
}

QByteArray IniFile::toBytes() const
{
    QByteArray out;
    if (m_bom)
        out += kBom;
    for (const Line &line : m_lines) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

bool IniFile::updateFile()
{
    if (m_fileName.isEmpty() || !m_readOk)
        return false;
    const QString folder = QFileInfo(m_fileName).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    if (!writeFileAtomically(m_fileName, toBytes(), nullptr, m_access))
        return false;
    m_unwritten = false;
    return true;
}

template <class F> void IniFile::forEachKey(const QString &section, F f) const
{
    bool inSection = false;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == LineKind::Section)
            inSection = sameTextAscii(line.name, section);
        else if (inSection && line.kind == LineKind::Key && !f(qsizetype(i), line))
            return;
    }
}

qsizetype IniFile::findKey(const QString &section, const QString &key) const
{
    qsizetype found = -1;
    forEachKey(section, [&](qsizetype i, const Line &line) {
        if (!sameTextAscii(line.name, key))
            return true;
        found = i;
        return false;
    });
    return found;
}

bool IniFile::sectionExists(const QString &section) const
{
    for (const Line &line : m_lines)
        if (line.kind == LineKind::Section && sameTextAscii(line.name, section))
            return true;
    return false;
}

bool IniFile::valueExists(const QString &section, const QString &key) const { return findKey(section, key) >= 0; }

QStringList IniFile::sections() const
{
    QStringList names;
    QSet<QString> known; // lower-cased
    for (const Line &line : m_lines) {
        if (line.kind != LineKind::Section)
            continue;
        const QString key = lowerCaseAscii(line.name);
        if (!known.contains(key)) {
            known.insert(key);
            names.append(line.name);
        }
    }
    return names;
}

QList<IniFile::NameValue> IniFile::sectionValues(const QString &section) const
{
    QList<NameValue> values;
    QSet<QString> known; // lower-cased
    forEachKey(section, [&](qsizetype, const Line &line) {
        const QString key = lowerCaseAscii(line.name);
        if (!known.contains(key)) {
            known.insert(key);
            values.append({line.name, QString::fromUtf8(line.text.mid(line.valueStart))});
        }
        return true;
    });
    return values;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList names;
    for (const NameValue &v : sectionValues(section))
        names.append(v.first);
    return names;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const qsizetype i = findKey(section, key);
    return i < 0 ? defaultValue : QString::fromUtf8(m_lines[size_t(i)].text.mid(m_lines[size_t(i)].valueStart));
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    return strToIntDef(readString(section, key), defaultValue);
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    const QString value = readString(section, key);
    return value.isEmpty() ? defaultValue : value.startsWith(u'1');
}

QByteArray IniFile::newLineBreak() const
{
    for (const Line &line : m_lines)
        if (!line.eol.isEmpty())
            return line.eol;
    return QByteArrayLiteral("\n");
}

void IniFile::insertLine(qsizetype at, const QByteArray &text)
{
    QByteArray eol = newLineBreak();
    // A file without a final line break keeps that form: the break goes to the line before.
    if (at == qsizetype(m_lines.size()) && at > 0 && m_lines.back().eol.isEmpty()) {
        m_lines.back().eol = eol;
        eol.clear();
    }
    m_lines.insert(m_lines.begin() + at, makeLine(text, eol));
}

void IniFile::inOneWrite(const std::function<void()> &writes)
{
    const bool autoUpdate = m_autoUpdate;
    m_autoUpdate = false;
    writes();
    m_autoUpdate = autoUpdate;
    if (autoUpdate && m_unwritten)
        updateFile();
}

bool IniFile::changed()
{
    m_unwritten = true;
    return !m_autoUpdate || updateFile();
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    if (!validSection(section) || !validKey(key) || hasLineBreak(value))
        return false;
    const qsizetype existing = findKey(section, key);
    if (existing >= 0) {
        Line &line = m_lines[size_t(existing)];
        line.text = line.text.left(line.valueStart) + value.toUtf8();
        return changed();
    }
    const QByteArray keyLine = key.toUtf8() + '=' + value.toUtf8();
    // After the last key of the section's first block, else right after its header.
    qsizetype after = -1;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == LineKind::Section) {
            if (after >= 0)
                break;
            if (sameTextAscii(line.name, section))
                after = qsizetype(i);
        } else if (after >= 0 && line.kind == LineKind::Key) {
            after = qsizetype(i);
        }
    }
    if (after >= 0) {
        insertLine(after + 1, keyLine);
    } else {
        insertLine(qsizetype(m_lines.size()), '[' + section.toUtf8() + ']');
        insertLine(qsizetype(m_lines.size()), keyLine);
    }
    return changed();
}

bool IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::eraseSection(const QString &section)
{
    bool inSection = false, erased = false;
    std::vector<Line> kept;
    for (Line &line : m_lines) {
        if (line.kind == LineKind::Section)
            inSection = sameTextAscii(line.name, section);
        if (inSection)
            erased = true;
        else
            kept.push_back(std::move(line));
    }
    m_lines = std::move(kept);
    return erased && changed();
}

bool IniFile::deleteKey(const QString &section, const QString &key)
{
    std::vector<size_t> doomed;
    forEachKey(section, [&](qsizetype i, const Line &line) {
        if (sameTextAscii(line.name, key))
            doomed.push_back(size_t(i));
        return true;
    });
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        m_lines.erase(m_lines.begin() + qsizetype(*it));
    return !doomed.empty() && changed();
}
