#pragma once
// Pages built from inline XML for the component tests.
#include "model/wqftypes.h"
#include "model/xmlwrite2.h"

#include <QBuffer>
#include <QTest>
#include <memory>

namespace pellorin_test {

inline std::unique_ptr<TWQFFile> loadPage(const QByteArray &xml, PageOptions options = {})
{
    auto page = std::make_unique<TWQFFile>();
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    if (!page->LoadFromStream(buffer, options))
        qFatal("fixture does not load: %s", qPrintable(page->LastError()));
    return page;
}

// A page with one section "preproc" holding the given component elements, and an empty
// "postproc".
inline std::unique_ptr<TWQFFile> pageWith(const QByteArray &components, PageOptions options = {})
{
    return loadPage("<wqf><function><fn>f</fn></function><preproc>" + components + "</preproc><postproc/></wqf>",
                    options);
}

// A component element as the writer puts it without indentation.
inline QByteArray written(const XmlNode *node) { return node ? writeXMLToBytes(*node, wfNoIndent) : QByteArray(); }

// "name:exit0:exit1" of each component.
inline QStringList namesAndExits(const std::vector<TWQFItem *> &items)
{
    QStringList out;
    for (const TWQFItem *item : items)
        out << item->GetName() + u':' + item->GetJump(0) + u':' + item->GetJump(1);
    return out;
}

inline std::vector<TWQFItem *> refs(const WQFItemList &items)
{
    std::vector<TWQFItem *> out;
    for (const auto &item : items)
        out.push_back(item.get());
    return out;
}
} // namespace pellorin_test
