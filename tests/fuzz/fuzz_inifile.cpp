// INI files: what is read is written back byte for byte, a written key reads back (also after
// the file is read again), and the other keys keep their values.
#include "base/inifile.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray bytes = input.bytes();
    IniFile ini = IniFile::fromBytes(bytes);
    FUZZ_CHECK(ini.toBytes() == bytes, "the bytes come back unchanged: \"" + fuzz::escaped(ini.toBytes()) + '"');

    // Every listed key reads as listed.
    QList<QPair<QString, QList<IniFile::NameValue>>> before;
    for (const QString &section : ini.sections()) {
        FUZZ_CHECK(ini.sectionExists(section), "a listed section exists: " + section);
        const QList<IniFile::NameValue> values = ini.sectionValues(section);
        FUZZ_CHECK(ini.keys(section).size() == values.size(), "keys and values agree");
        for (const IniFile::NameValue &v : values)
            FUZZ_CHECK(ini.readString(section, v.first) == v.second, "a listed key reads its value: " + v.first);
        before.append({section, values});
        (void)ini.readInteger(section, QStringLiteral("x"), 7);
        (void)ini.readBool(section, QStringLiteral("x"), true);
    }

    // A new key in a new section, and a new value for the first key listed.
    FUZZ_CHECK(ini.writeString(QStringLiteral("Fuzz Section"), QStringLiteral("Written"), QStringLiteral("a=b;c")),
               "a plain key can be written");
    QString changedSection, changedKey;
    if (!before.isEmpty() && !before.front().second.isEmpty()) {
        changedSection = before.front().first;
        changedKey = before.front().second.front().first;
        if (ini.writeString(changedSection, changedKey, QStringLiteral("changed")))
            FUZZ_CHECK(ini.readString(changedSection, changedKey) == u"changed", "a changed key reads back");
        else
            changedKey.clear();
    }
    const IniFile reread = IniFile::fromBytes(ini.toBytes());
    for (const IniFile *file : {static_cast<const IniFile *>(&ini), &reread}) {
        FUZZ_CHECK(file->readString(QStringLiteral("fuzz section"), QStringLiteral("WRITTEN")) == u"a=b;c",
                   "a written key reads back: \"" + fuzz::escaped(file->toBytes()) + '"');
        for (const auto &[section, values] : before)
            for (const IniFile::NameValue &v : values) {
                if (section.compare(u"fuzz section", Qt::CaseInsensitive) == 0 &&
                    v.first.compare(u"written", Qt::CaseInsensitive) == 0)
                    continue;
                const bool changed = section == changedSection && v.first == changedKey;
                FUZZ_CHECK(file->readString(section, v.first) == (changed ? QStringLiteral("changed") : v.second),
                           "the other keys keep their values: [" + section + "] " + v.first);
            }
    }
    if (!before.isEmpty())
        ini.eraseSection(before.back().first);
    return 0;
}
