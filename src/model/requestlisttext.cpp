// A pasted platform answer turned into readable request lines.
#include "requestlisttext.h"

#include "base/stringlist.h"
#include "xmlread.h"

std::unique_ptr<XmlDocument> ParsePlatformAnswer(const QString &text)
{
    static const QString startTag = QStringLiteral("<morivane>");
    static const QString endTag = QStringLiteral("</morivane>");
    const qsizetype start = text.indexOf(startTag);
    if (start < 0)
        return nullptr;
    const qsizetype end = text.indexOf(endTag, start);
    const qsizetype length = end < 0 ? startTag.size() : end + endTag.size() - start;
    try {
        return readXMLBytes(QStringView(text).mid(start, length).toUtf8(), false);
    } catch (const Exception &) {
        return nullptr;
    }
}

bool FillRequestList(const QString &text, QStringList *lines)
{
    static const QString crlf = QStringLiteral("\r\n");
    if (!lines || text.isEmpty())
        return false;
    QString working;
    if (const std::unique_ptr<XmlDocument> doc = ParsePlatformAnswer(text)) {
        const XmlElement *root = doc->firstChildElement(QStringLiteral("morivane"));
        const XmlElement *list = root ? root->firstChildElement(QStringLiteral("reqlist")) : nullptr;
        if (!list)
            return false;
        working = list->textContent().replace(QStringLiteral("||"), crlf);
    } else if (text.contains(QStringLiteral("||"))) {
        working = QString(text).replace(QStringLiteral("||"), crlf);
    } else {
        working = QString(text).replace(QStringLiteral("  "), crlf);
    }
    working.replace(QStringLiteral("<br>"), crlf);
    *lines = splitLines(working);
    return true;
}
