// Components as the XML text of their elements on the clipboard, with the depth and size limits of
// a paste.
#include "clipboardxml.h"

#include "xmlread.h"
#include "xmlwrite2.h"

#include <QClipboard>
#include <QGuiApplication>

QString SystemClipboardText::text() const { return QGuiApplication::clipboard()->text(); }

void SystemClipboardText::setText(const QString &text) { QGuiApplication::clipboard()->setText(text); }

void WriteClipboardXML(const std::vector<TWQFItem *> &items, ClipboardText &clipboard)
{
    QByteArray bytes;
    for (const TWQFItem *item : items) {
        if (!item || !item->Node())
            continue;
        // A component too deep to indent goes as the page holds it: a paste takes any layout.
        if (indentationTooLarge(measureIndentation(*item->Node())))
            bytes += "\r\n" + writeXMLToBytes(*item->Node(), wfNoIndent);
        else
            bytes += writeXMLToBytes(*item->Node(), {});
    }
    if (!bytes.isEmpty())
        clipboard.setText(QString::fromUtf8(bytes));
}

std::unique_ptr<XmlDocument> ReadClipboardXML(const ClipboardText &clipboard)
{
    // No encoding is named, so the text is read as UTF-8.
    const QByteArray wrapped = "<?xml version=\"1.0\"?><clip>" + clipboard.text().toUtf8() + "</clip>";
    try {
        return readXMLBytes(wrapped, false);
    } catch (const Exception &) {
        return nullptr;
    }
}

std::unique_ptr<XmlDocument> ReadClipboardRoot(const ClipboardText &clipboard, const QString &name)
{
    std::unique_ptr<XmlDocument> doc = ReadClipboardXML(clipboard);
    if (!doc || !doc->firstChild() || doc->firstChild()->nodeName() != name)
        return nullptr;
    return doc;
}
