// SQL parameter annotations: every occurrence is a span of the SQL starting with a colon and a
// name, and flushing twice changes nothing the first flush did not.
#include "fuzzcheck.h"
#include "model/sqlparams.h"

#include <QBuffer>

namespace {

// The component's subtree as text: kinds, names and data, in document order.
QString dump(const XmlNode *node)
{
    QString out;
    std::vector<std::pair<const XmlNode *, int>> pending{{node, 0}};
    while (!pending.empty()) {
        const auto [n, depth] = pending.back();
        pending.pop_back();
        out += QString(depth, u' ') + QString::number(int(n->nodeType())) + u' ' + n->nodeName() + u'[' + n->data() +
               QStringLiteral("]\n");
        for (auto it = n->childNodes().rbegin(); it != n->childNodes().rend(); ++it)
            pending.emplace_back(it->get(), depth + 1);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Input input(data, size);
    const QByteArray sql = input.bytes();

    SQLParamList occurrences;
    ParseSqlParams(sql, occurrences);
    int previousEnd = 0;
    for (const auto &p : occurrences) {
        FUZZ_CHECK(p->Pos > previousEnd && p->Len >= 2 && p->Pos + p->Len - 1 <= sql.size(),
                   QStringLiteral("an occurrence is a span after the one before: %1 + %2").arg(p->Pos).arg(p->Len));
        FUZZ_CHECK(sql[p->Pos - 1] == ':' && sql.mid(p->Pos, p->Name.size()) == p->Name.toLatin1(),
                   "an occurrence starts with a colon and its name: " + p->Name);
        FUZZ_CHECK(p->Pos < 2 || sql[p->Pos - 2] != ':', "a colon after a colon starts no occurrence");
        previousEnd = p->Pos + p->Len - 1;
    }

    auto file = std::make_unique<TWQFFile>();
    QByteArray xml = "<wqf><preproc><c><n>0</n><t>SELECTQUERY</t><j/><j/><values><query/>"
                     "<param><n>id</n><t>STRING</t><v/></param></values></c></preproc></wqf>";
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    if (!file->LoadFromStream(buffer, PageOptions()))
        std::abort();
    TWQFItem *item = file->Sections()[0]->Items()[0].get();
    const bool forceCDATA = size & 1;
    const QString text = QString::fromUtf8(sql);
    const bool found = FlushParams(item, text, forceCDATA, true);
    FUZZ_CHECK(found == !occurrences.empty(), "the answer tells whether the SQL refers to a parameter");
    const QString once = dump(item->Node());
    const QString stripped = item->GetQuery();
    FlushParams(item, stripped, forceCDATA, true);
    const QString twice = dump(item->Node());
    FUZZ_CHECK(twice == once, "flushing twice equals flushing once:\n" + once + "then\n" + twice);
    return 0;
}
