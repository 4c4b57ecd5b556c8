#pragma once
// Components travel through the clipboard as the plain XML text of their "c" elements, one
// after another, without declaration or enclosing element.
#include "wqftypes.h"

#include <QString>
#include <memory>
#include <vector>

// The clipboard's text, so that tests and the commands need no system clipboard.
class ClipboardText {
public:
    virtual ~ClipboardText() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
};

// The system clipboard; needs the application object.
class SystemClipboardText : public ClipboardText {
public:
    QString text() const override;
    void setText(const QString &text) override;
};

class MemoryClipboardText : public ClipboardText {
public:
    explicit MemoryClipboardText(QString text = {}) : m_text(std::move(text)) {}
    QString text() const override { return m_text; }
    void setText(const QString &text) override { m_text = text; }

private:
    QString m_text;
};

// Each component's element as the writer indents it on its own (CR LF before every tag), or
// after one CR LF without indentation when it is nested too deeply to indent; nothing changes
// for an empty list. The writer's errors leave the clipboard as it was.
void WriteClipboardXML(const std::vector<TWQFItem *> &items, ClipboardText &clipboard);
// The text inside a "clip" element, parsed without whitespace-only text; none when it is not
// well-formed (a declaration of its own included).
std::unique_ptr<XmlDocument> ReadClipboardXML(const ClipboardText &clipboard);
// ReadClipboardXML, kept only when the document's first node is named exactly name.
std::unique_ptr<XmlDocument> ReadClipboardRoot(const ClipboardText &clipboard, const QString &name);
