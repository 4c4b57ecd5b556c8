#include "common/testmain.h"
#include "model/xmldom.h"
#include "model/xmlread.h"

#include <QTest>

namespace {
std::unique_ptr<XmlDocument> readDoc(const QByteArray &xml)
{
    std::unique_ptr<XmlDocument> doc = readXMLBytes(xml, false);
    if (!doc)
        qFatal("fixture does not read");
    return doc;
}

XmlElement *child(const XmlNode *node, const char *name) { return node->firstChildElement(QString::fromLatin1(name)); }
} // namespace

// The document counts every change to its tree, so that whoever keeps a revision knows
// whether anything changed since.
class TestXmlDom : public QObject {
    Q_OBJECT
private slots:
    void everyChangeCountsOnce_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("changes");
        const std::pair<const char *, bool> rows[] = {
            {"append a child", true},
            {"insert a child", true},
            {"remove a child", true},
            {"remove a node that is no child", false},
            {"remove the children", true},
            {"remove the children of an empty element", false},
            {"remove some children in one pass", true},
            {"remove no child in one pass", false},
            {"set other data", true},
            {"set the same data", false},
            {"set another text", true},
            {"set the same text", false},
            {"set a CDATA element's text to its data", true},
            {"empty an empty element", false},
            {"set the text of a character-data node", true},
            {"set a new attribute", true},
            {"set an attribute to another value", true},
            {"set an attribute to its value", false},
            {"append an attribute", true},
            {"remove an attribute", true},
            {"remove a missing attribute", false},
            {"another version", true},
            {"the same version", false},
            {"another encoding", true},
            {"the same encoding", false},
            {"standalone", true},
            {"the same standalone", false},
        };
        for (const auto &[operation, changes] : rows)
            QTest::newRow(operation) << QString(operation) << changes;
    }
    void everyChangeCountsOnce()
    {
        QFETCH(QString, operation);
        QFETCH(bool, changes);
        const auto doc = readDoc("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                 "<r a=\"1\"><e>text</e><c><![CDATA[x]]></c><empty/></r>");
        XmlElement *root = doc->documentElement();
        XmlElement *e = child(root, "e");
        XmlElement *c = child(root, "c");
        XmlElement *empty = child(root, "empty");
        const uint64_t before = doc->revision();
        int told = 0;
        doc->notifyNextChange([&] { ++told; });

        if (operation == "append a child")
            root->appendChild(newElement("n"));
        else if (operation == "insert a child")
            root->insertBefore(newText("t"), e);
        else if (operation == "remove a child")
            QVERIFY(root->removeChild(e));
        else if (operation == "remove a node that is no child")
            QVERIFY(!root->removeChild(e->firstChild()));
        else if (operation == "remove the children")
            e->removeChildren();
        else if (operation == "remove the children of an empty element")
            empty->removeChildren();
        else if (operation == "remove some children in one pass") {
            root->removeChildrenIf([&](const XmlNode &node) { return &node == e; });
            QCOMPARE(root->firstChild(), c); // the rest keep their order and links
            QCOMPARE(c->nextSibling(), empty);
            QCOMPARE(empty->previousSibling(), c);
        } else if (operation == "remove no child in one pass")
            root->removeChildrenIf([](const XmlNode &) { return false; });
        else if (operation == "set other data")
            e->firstChild()->setData("other");
        else if (operation == "set the same data")
            e->firstChild()->setData("text");
        else if (operation == "set another text")
            e->setTextContent("other");
        else if (operation == "set the same text")
            e->setTextContent("text");
        else if (operation == "set a CDATA element's text to its data")
            c->setTextContent("x");
        else if (operation == "empty an empty element")
            empty->setTextContent(QString());
        else if (operation == "set the text of a character-data node")
            c->firstChild()->setTextContent("y");
        else if (operation == "set a new attribute")
            root->setAttribute("b", "2");
        else if (operation == "set an attribute to another value")
            root->setAttribute("a", "2");
        else if (operation == "set an attribute to its value")
            root->setAttribute("a", "1");
        else if (operation == "append an attribute")
            e->appendAttribute("a", "1");
        else if (operation == "remove an attribute")
            root->removeAttribute("a");
        else if (operation == "remove a missing attribute")
            root->removeAttribute("z");
        else if (operation == "another version")
            doc->setXmlVersion("1.1");
        else if (operation == "the same version")
            doc->setXmlVersion("1.0");
        else if (operation == "another encoding")
            doc->setXmlEncoding("utf-8");
        else if (operation == "the same encoding")
            doc->setXmlEncoding("UTF-8");
        else if (operation == "standalone")
            doc->setXmlStandalone(true);
        else if (operation == "the same standalone")
            doc->setXmlStandalone(false);
        else
            QFAIL("unknown operation");

        QCOMPARE(doc->revision(), before + (changes ? 1 : 0));
        QCOMPARE(told, changes ? 1 : 0);
    }

    // A node made on its own, or taken out of a tree, is no part of the document: its changes
    // count from the moment it is put in, and no longer once it is taken out.
    void nodesCountForTheDocumentTheyBelongTo()
    {
        const auto doc = readDoc("<r/>");
        const auto other = readDoc("<o/>");
        QCOMPARE(doc->ownerDocument(), doc.get());
        QCOMPARE(doc->documentElement()->ownerDocument(), doc.get());

        auto made = newElement("n");
        made->appendChild(newText("t"));
        QVERIFY(!made->ownerDocument() && !made->firstChild()->ownerDocument());
        const uint64_t start = doc->revision();
        made->setAttribute("a", "1");
        made->firstChild()->setData("u");
        QCOMPARE(doc->revision(), start);

        XmlNode *node = doc->documentElement()->appendChild(std::move(made));
        QCOMPARE(doc->revision(), start + 1); // the whole subtree in one change
        QCOMPARE(node->firstChild()->ownerDocument(), doc.get());
        node->firstChild()->setData("v");
        QCOMPARE(doc->revision(), start + 2);

        std::unique_ptr<XmlNode> out = doc->documentElement()->removeChild(node);
        QCOMPARE(doc->revision(), start + 3);
        QVERIFY(!out->ownerDocument() && !out->firstChild()->ownerDocument());
        out->firstChild()->setData("w");
        out->toElement()->setAttribute("a", "2");
        QCOMPARE(doc->revision(), start + 3);

        const uint64_t otherStart = other->revision();
        XmlNode *moved = other->documentElement()->appendChild(std::move(out));
        moved->firstChild()->setData("x");
        QCOMPARE(moved->firstChild()->ownerDocument(), other.get());
        QCOMPARE(other->revision(), otherStart + 2);
        QCOMPARE(doc->revision(), start + 3);
    }

    void aCopyIsDetached()
    {
        const auto doc = readDoc("<?xml version=\"1.0\"?><r><e>t</e></r>");
        const std::unique_ptr<XmlNode> element = cloneNode(*doc->documentElement());
        QVERIFY(!element->ownerDocument() && !element->firstChild()->ownerDocument());
        const std::unique_ptr<XmlNode> whole = cloneNode(*doc);
        auto *copy = static_cast<XmlDocument *>(whole.get());
        XmlNode *text = copy->documentElement()->firstChild()->firstChild();
        QCOMPARE(text->ownerDocument(), copy);
        QCOMPARE(copy->xmlVersion(), QString("1.0"));
        const uint64_t source = doc->revision();
        const uint64_t copied = copy->revision();
        text->setData("u");
        QCOMPARE(copy->revision(), copied + 1);
        QCOMPARE(doc->revision(), source);
    }

    // The notice tells the first change only; the many after it cost nothing more.
    void noticeRunsOnceAtTheNextChange()
    {
        const auto doc = readDoc("<r><e>t</e></r>");
        XmlElement *e = child(doc->documentElement(), "e");
        QStringList told;
        doc->notifyNextChange([&] { told << "first " + e->textContent(); });
        doc->notifyNextChange([&] { told << "second " + e->textContent(); }); // replaces the first
        e->setTextContent("t");
        QCOMPARE(told, QStringList());
        e->setTextContent("u"); // told once the change is complete
        e->setTextContent("v");
        QCOMPARE(told, QStringList{"second u"});
        // Asked again while it runs, it tells the change after.
        doc->notifyNextChange([&] {
            told << "again " + e->textContent();
            doc->notifyNextChange([&] { told << "then " + e->textContent(); });
        });
        e->setTextContent("w");
        e->setTextContent("x");
        e->setTextContent("y");
        QCOMPARE(told, QStringList({"second u", "again w", "then x"}));
    }
};

PELLORIN_TEST_CLASS(TestXmlDom)
#include "test_xmldom.moc"
