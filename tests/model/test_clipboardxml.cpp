#include "base/exception.h"
#include "common/pagefixture.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "model/clipboardxml.h"

#include <QTest>

using namespace pellorin_test;

namespace {
const QByteArray kTwo =
    "<c><n>0</n><t>SELECTQUERY</t><c>first</c><j>1</j><j/><x>10</x><y>20</y><values>"
    "<query><![CDATA[select *\nfrom t]]></query>"
    "<param><n><![CDATA[id]]></n><t>INTEGER</t><v><![CDATA[]]></v></param></values></c>"
    "<c><n>1</n><t>IF</t><c/><j>0</j><j>7</j><x>10</x><y>80</y><values><v>a &lt; b</v></values></c>";

// What the paste command hands to the import: the first "c" inside "clip".
std::vector<TWQFItem *> paste(const ClipboardText &clipboard, TWQFSection *section)
{
    std::vector<TWQFItem *> pasted;
    auto doc = ReadClipboardRoot(clipboard, "clip");
    if (doc)
        PasteItems(doc->firstChild()->firstChildElement("c"), section, pasted);
    return pasted;
}
} // namespace

class TestClipboardXml : public QObject {
    Q_OBJECT
private slots:
    void copyLayout()
    {
        auto page = pageWith(kTwo);
        MemoryClipboardText clipboard;
        WriteClipboardXML(refs(page->FindSection("preproc")->Items()), clipboard);
        const QByteArray expected =
            "\r\n<c>\r\n  <n>0</n>\r\n  <t>SELECTQUERY</t>\r\n  <c>first</c>\r\n  <j>1</j>\r\n"
            "  <j/>\r\n  <x>10</x>\r\n  <y>20</y>\r\n  <values>\r\n"
            "    <query><![CDATA[select *\nfrom t]]></query>\r\n    <param>\r\n"
            "      <n><![CDATA[id]]></n>\r\n      <t>INTEGER</t>\r\n      <v><![CDATA[]]></v>\r\n"
            "    </param>\r\n  </values>\r\n</c>"
            "\r\n<c>\r\n  <n>1</n>\r\n  <t>IF</t>\r\n  <c/>\r\n  <j>0</j>\r\n  <j>7</j>\r\n"
            "  <x>10</x>\r\n  <y>80</y>\r\n  <values>\r\n    <v>a &lt; b</v>\r\n  </values>\r\n</c>";
        QCOMPARE(visible(clipboard.text().toUtf8()), visible(expected));
    }

    void copyKeepsTheLayoutOfAWhitespacePage()
    {
        auto page = pageWith("\n<c>\n  <n>0</n>\n  <t>IF</t>\n</c>\n", poWhitespace);
        MemoryClipboardText clipboard;
        WriteClipboardXML(refs(page->FindSection("preproc")->Items()), clipboard);
        QCOMPARE(visible(clipboard.text().toUtf8()), visible("\r\n<c>\r\n  <n>0</n>\r\n  <t>IF</t>\r\n</c>"));
    }

    // A component too deep to indent (5791 levels, the fewest for which the writer would need
    // more than 64 MB of blanks) is copied as the page holds it after one CR LF, and pastes
    // back whole.
    void copyOfAComponentTooDeepToIndent()
    {
        const int depth = 5791;
        const QByteArray values = "<values>" + QByteArray("<e>").repeated(depth - 1) + "<e/>" +
                                  QByteArray("</e>").repeated(depth - 1) + "</values>";
        auto page = pageWith("<c><n>0</n><t>SET</t>" + values + "</c>");
        MemoryClipboardText clipboard;
        WriteClipboardXML(refs(page->FindSection("preproc")->Items()), clipboard);
        QCOMPARE(clipboard.text().toUtf8(), "\r\n<c><n>0</n><t>SET</t>" + values + "</c>");
        auto other = pageWith("");
        const std::vector<TWQFItem *> pasted = paste(clipboard, other->FindSection("preproc"));
        QCOMPARE(pasted.size(), size_t(1));
        QCOMPARE(written(pasted[0]->ValuesNode()), values);
    }

    void pasteIntoOtherSectionAndPage()
    {
        auto source = loadPage("<wqf><function/><preproc>" + kTwo +
                               "</preproc><postproc><c><n>0</n><t>SET</t></c>"
                               "</postproc></wqf>");
        auto other = pageWith("<c><n>1</n><t>SET</t></c><c><n>0</n><t>SET</t></c>");
        MemoryClipboardText clipboard;
        const std::vector<TWQFItem *> originals = refs(source->FindSection("preproc")->Items());
        WriteClipboardXML(originals, clipboard);

        struct Target {
            TWQFSection *section;
            QStringList result;
        } targets[] = {{source->FindSection("postproc"), {"1:2:", "2:1:"}},
                       {other->FindSection("preproc"), {"2:3:", "3:2:"}}};
        for (const Target &target : targets) {
            const size_t childrenBefore = target.section->Node()->childNodes().size();
            const std::vector<TWQFItem *> pasted = paste(clipboard, target.section);
            QCOMPARE(namesAndExits(pasted), target.result);
            for (size_t i = 0; i < pasted.size(); ++i) {
                QCOMPARE(pasted[i]->GetType(), originals[i]->GetType());
                QCOMPARE(pasted[i]->GetComment(), originals[i]->GetComment());
                QCOMPARE(pasted[i]->GetX(), originals[i]->GetX());
                QCOMPARE(pasted[i]->GetY(), originals[i]->GetY());
                QCOMPARE(written(pasted[i]->ValuesNode()), written(originals[i]->ValuesNode()));
            }
            QCOMPARE(target.section->Node()->childNodes().size(), childrenBefore + 2);
            QCOMPARE(target.section->Node()->lastChild(), pasted.back()->Node());
        }
        QCOMPARE(namesAndExits(originals), QStringList({"0:1:", "1:0:7"}));
    }

    void layoutDoesNotMatter()
    {
        auto page = pageWith(kTwo);
        MemoryClipboardText indented;
        WriteClipboardXML(refs(page->FindSection("preproc")->Items()), indented);
        MemoryClipboardText compact(QString::fromUtf8(kTwo));
        MemoryClipboardText commented("<!-- copied -->\n" + QString::fromUtf8(kTwo));
        QByteArray first;
        for (const ClipboardText *clipboard :
             std::initializer_list<const ClipboardText *>{&indented, &compact, &commented}) {
            auto target = pageWith("");
            TWQFSection *section = target->FindSection("postproc");
            QCOMPARE(paste(*clipboard, section).size(), size_t(2));
            if (first.isEmpty())
                first = written(section->Node());
            QCOMPARE(written(section->Node()), first);
        }
        QVERIFY(first.contains("<query><![CDATA[select *\nfrom t]]></query>"));
    }

    void refusedTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("unclosed element") << "<c><n>1</n>";
        QTest::newRow("own declaration") << "<?xml version=\"1.0\"?><c><n>1</n><t>IF</t></c>";
        QTest::newRow("lone ampersand") << "<c><n>1 & 2</n></c>";
        QTest::newRow("stray end of the wrapper") << "<c/></clip><clip>";
        QTest::newRow("unknown entity") << "<c>&nbsp;</c>";
    }
    void refusedTexts()
    {
        QFETCH(QString, text);
        const MemoryClipboardText clipboard(text);
        QVERIFY(!ReadClipboardXML(clipboard));
        QVERIFY(!ReadClipboardRoot(clipboard, "clip"));
    }

    void emptyTextPastesNothing()
    {
        auto doc = ReadClipboardRoot(MemoryClipboardText(), "clip");
        QVERIFY(doc);
        QCOMPARE(written(doc.get()), QByteArray("<clip/>\r\n"));
        QVERIFY(!doc->firstChild()->firstChildElement("c"));

        auto page = pageWith(kTwo);
        TWQFSection *section = page->FindSection("preproc");
        const QByteArray before = written(section->Node());
        std::vector<TWQFItem *> pasted{section->Items().front().get()};
        PasteItems(nullptr, section, pasted);
        QVERIFY(pasted.empty());
        QCOMPARE(written(section->Node()), before);
        QCOMPARE(section->Items().size(), size_t(2));
    }

    void rootNameIsExact()
    {
        const MemoryClipboardText clipboard("<c/>");
        QVERIFY(ReadClipboardRoot(clipboard, "clip"));
        QVERIFY(!ReadClipboardRoot(clipboard, "Clip"));
        QVERIFY(ReadClipboardXML(clipboard));
    }

    void copyFailuresLeaveTheClipboard()
    {
        auto page = pageWith(kTwo);
        MemoryClipboardText clipboard("kept");
        WriteClipboardXML({}, clipboard);
        QCOMPARE(clipboard.text(), QString("kept"));

        std::vector<TWQFItem *> items = refs(page->FindSection("preproc")->Items());
        items[1]->SetComment(QString(QChar(1)));
        try {
            WriteClipboardXML(items, clipboard);
            QFAIL("no error");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), QString("Illegal character"));
        }
        QCOMPARE(clipboard.text(), QString("kept"));
    }

    void systemClipboard()
    {
        auto page = pageWith(kTwo);
        SystemClipboardText clipboard;
        WriteClipboardXML(refs(page->FindSection("preproc")->Items()), clipboard);
        QVERIFY(clipboard.text().startsWith("\r\n<c>\r\n  <n>0</n>"));
        auto target = pageWith("");
        QCOMPARE(namesAndExits(paste(clipboard, target->FindSection("postproc"))), QStringList({"0:1:", "1:0:"}));
    }
};

PELLORIN_TEST_CLASS(TestClipboardXml)
#include "test_clipboardxml.moc"
