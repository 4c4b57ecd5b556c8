// The prober's mask file, as the full check reads it, and the statements it sends. The input is
// the mask file, a NUL, then the names of a component's name/value pairs, one a line. The file
// reads as its text; whether a name is sent does not depend on the letter case of the name or
// of the masks, on the order of the masks or on the file's line breaks, a mask never stops
// another from selecting, every mask selects its own name, and a lone "*" selects every name.
// A statement sent to the prober holds no parameter: every ":" + word is replaced.
#include "base/stringlist.h"
#include "base/textutils.h"
#include "checks/sqlquerycheck.h"
#include "fuzzcheck.h"

#include <algorithm>

namespace {

bool holdsParameter(const QString &sql)
{
    for (qsizetype i = 0; i + 1 < sql.size(); ++i) {
        const QChar c = sql[i + 1];
        if (sql[i] == u':' && c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'_'))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray bytes = input.bytes();
    const auto [maskFile, pairNames, hasPairs] = fuzz::twoFiles(bytes);
    const QString path = fuzz::scratchDir() + QStringLiteral("mask.txt");
    fuzz::writeFile(path, maskFile);
    const QString text = ReadMaskFile(path);
    FUZZ_CHECK(text == QString::fromUtf8(maskFile), "the mask file reads as its text");
    FUZZ_CHECK(ReadMaskFile(path + QStringLiteral(".missing")).isEmpty(), "a missing mask file reads as none");

    const QStringList masks = SetMasks(text);
    QStringList reversed = masks;
    std::reverse(reversed.begin(), reversed.end());
    const QStringList upper = SetMasks(upperCaseAscii(text));
    const QStringList crlf = SetMasks(splitLines(text).join(QStringLiteral("\r\n")));

    QStringList names = splitLines(QString::fromUtf8(pairNames));
    for (const QString &mask : masks)
        names << QString(mask).remove(u'*') << trim(QString(mask).remove(u'*'));
    for (const QString &name : std::as_const(names)) {
        const bool sent = MatchesMask(masks, name);
        FUZZ_CHECK(MatchesMask(masks, upperCaseAscii(name)) == sent && MatchesMask(masks, lowerCaseAscii(name)) == sent,
                   "the name's letter case does not count: " + name);
        FUZZ_CHECK(MatchesMask(upper, name) == sent, "the masks' letter case does not count: " + name);
        FUZZ_CHECK(MatchesMask(reversed, name) == sent, "the masks' order does not count: " + name);
        FUZZ_CHECK(MatchesMask(crlf, name) == sent, "the file's line breaks do not count: " + name);
        FUZZ_CHECK(MatchesMask(masks + QStringList{QStringLiteral("*")}, name), "a lone \"*\" selects every name");
        for (const QString &mask : masks)
            FUZZ_CHECK(!MatchesMask({mask}, name) || sent, "a mask never stops another one from selecting: " + mask);

        // The pair's value as its statement file holds it.
        const QStringList testValues{QStringLiteral("id=:x"), name + QStringLiteral("=:") + name};
        const QString statement =
            PrepareSQL(name + QStringLiteral(" :") + name + QStringLiteral(" #Sid#"), &testValues, nullptr);
        FUZZ_CHECK(!holdsParameter(statement), "a statement holds no parameter: \"" + fuzz::escaped(statement) + '"');
    }
    for (const QString &mask : masks)
        if (!trim(mask).isEmpty())
            FUZZ_CHECK(MatchesMask(masks, QString(mask).remove(u'*')), "a mask selects its own name: " + mask);
    return 0;
}
