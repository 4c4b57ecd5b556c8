#include "fuzzpage.h"

#include "fuzzcheck.h"
#include "model/xmldom.h"

#include <QBuffer>
#include <algorithm>
#include <utility>
#include <vector>

namespace fuzz {

const QByteArray kSmallPage = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                              "<wqf><function><fn>fuzz</fn></function>"
                              "<preproc><c><n>0</n><t>SET</t><x>0</x><y>0</y><j/><j/></c></preproc>"
                              "<postproc/></wqf>\r\n";

bool loadPage(TWQFFile &file, const QByteArray &bytes, PageOptions options)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return file.LoadFromStream(buffer, options);
}

bool savePage(TWQFFile &file, PageOptions options, QByteArray &bytes)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool saved = file.SaveToStream(buffer, options);
    bytes = buffer.data();
    return saved;
}

QString lineEnds(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n'); }

namespace {

// The element children of node, and its own text: its text and CDATA children joined.
struct Parts {
    std::vector<const XmlElement *> elements;
    QString text;
};

bool allBlank(const QString &text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; });
}

Parts partsOf(const XmlNode &node)
{
    Parts parts;
    // Adjacent text nodes come back as one, judged whole.
    QString run;
    const auto flush = [&] {
        if (!allBlank(run))
            parts.text += run;
        run.clear();
    };
    for (const auto &child : node.childNodes()) {
        if (child->isText()) {
            run += child->data();
            continue;
        }
        flush();
        if (child->isElement())
            parts.elements.push_back(child->toElement());
        else if (child->isCData())
            parts.text += child->data();
    }
    flush();
    parts.text = lineEnds(parts.text);
    return parts;
}

QString pathOf(const XmlNode *node)
{
    QString path;
    for (; node && node->isElement(); node = node->parentNode())
        path.prepend(u'/' + node->name());
    return path.isEmpty() ? QStringLiteral("/") : path;
}

QString attributesText(const XmlElement *element)
{
    QString text;
    for (const XmlAttribute &a : element->attributes())
        text += u' ' + a.name + QStringLiteral("=\"") + escaped(a.value) + u'"';
    return text;
}

} // namespace

QString elementDifference(const XmlNode &a, const XmlNode &b)
{
    // Without recursion: a fuzzed tree may be nested deeper than the stack allows.
    std::vector<std::pair<const XmlNode *, const XmlNode *>> pending{{&a, &b}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        const Parts px = partsOf(*x), py = partsOf(*y);
        if (px.text != py.text)
            return pathOf(x) + QStringLiteral(": the text \"") + escaped(px.text) + QStringLiteral("\" became \"") +
                   escaped(py.text) + u'"';
        if (px.elements.size() != py.elements.size())
            return pathOf(x) +
                   QStringLiteral(": %1 child elements became %2").arg(px.elements.size()).arg(py.elements.size());
        for (size_t i = 0; i < px.elements.size(); ++i) {
            const XmlElement *ex = px.elements[i], *ey = py.elements[i];
            if (ex->name() != ey->name())
                return pathOf(x) + QStringLiteral(": the element <%1> became <%2>").arg(ex->name(), ey->name());
            if (attributesText(ex) != attributesText(ey))
                return pathOf(ex) +
                       QStringLiteral(": the attributes%1 became%2").arg(attributesText(ex), attributesText(ey));
            pending.emplace_back(ex, ey);
        }
    }
    return {};
}

} // namespace fuzz
