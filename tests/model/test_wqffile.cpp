#include "common/pagefixture.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "common/tmpfsmount.h"
#include "model/pagefile.h"
#include "model/wqftypes.h"
#include "model/xmlwrite2.h"
#include "platform/fileattr.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <sys/stat.h>

using namespace pellorin_test;

namespace {
QByteArray saveBytes(TWQFFile &file, PageOptions options)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!file.SaveToStream(buffer, options))
        qWarning() << "save failed:" << file.LastError();
    return buffer.data();
}

const QByteArray kPage = "<wqf><function><fn>p</fn></function><preproc/><postproc/><html/></wqf>";
} // namespace

class TestWQFFile : public QObject {
    Q_OBJECT
private slots:
    // Every fixture under every page option, against files checked once by hand.
    void golden_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("options");
        for (const char *name : {"own", "hand", "doctype", "version11", "nodecl"})
            for (int options = 0; options < 8; ++options)
                QTest::newRow(qPrintable(QString("%1 options %2").arg(name).arg(options))) << QString(name) << options;
    }
    void golden()
    {
        QFETCH(QString, fixture);
        QFETCH(int, options);
        TWQFFile file;
        QVERIFY2(file.LoadFromFile(dataPath("xml/" + fixture + ".wqf"), PageOptions::fromInt(options)),
                 qPrintable(file.LastError()));
        const QByteArray got = saveBytes(file, PageOptions::fromInt(options));
        const QString golden = dataPath(QString("xml/golden/%1.o%2.wqf").arg(fixture).arg(options));
        if (qEnvironmentVariableIsSet("PELLORIN_UPDATE_GOLDEN")) {
            QDir().mkpath(dataPath("xml/golden"));
            writeBytes(golden, got);
        }
        const QByteArray expected = readBytes(golden);
        if (got != expected)
            qWarning().noquote() << "got:\n" << visible(got);
        QCOMPARE(got, expected);
    }

    void ownLayoutIsKeptWithDefaultOptions()
    {
        const QByteArray in = readBytes(dataPath("xml/own.wqf"));
        auto file = loadPage(in, poForceHeader);
        QCOMPARE(saveBytes(*file, poForceHeader), in);
    }

    // Read with whitespace kept and written with 1|2|4: the input comes back but for the
    // declaration, CR LF in texts, escaping and the whitespace outside the root.
    void whitespaceKeptComesBackAsRead()
    {
        const QByteArray in = readBytes(dataPath("xml/hand.wqf"));
        auto file = loadPage(in, poWhitespace);
        const QByteArray out = saveBytes(*file, poWhitespace | poForceHeader | poClearEol);
        QByteArray expected = in;
        const std::pair<QByteArray, QByteArray> changes[] = {
            {"?>\r\n<!-- exported by hand -->\r\n<?editor keep=\"1\"?>\n<wqf>",
             "?>\r\n<!-- exported by hand --><?editor keep=\"1\"?><wqf>"},
            {"<fn>hand</fn>\r\t\t", "<fn>hand</fn>\r\n\t\t"},
            {"<![CDATA[first line\r\nsecond]]>", "<![CDATA[first line\nsecond]]>"},
            {"<DenyAjaxExecution>1 </DenyAjaxExecution>\n", "<DenyAjaxExecution>1 </DenyAjaxExecution>\r\n"},
            {"other='it&apos;s'", "other=\"it's\""},
            {"tabs=\"a&#9;b&#10;c&#13;d\"", "tabs=\"a&#x9;b&#xA;c&#xD;d\""},
            {"line two\rline three", "line two\r\nline three"},
            {"</wqf>\r\n<!-- trailer -->\r\n", "</wqf><!-- trailer -->"},
        };
        for (const auto &[from, to] : changes) {
            QVERIFY2(expected.contains(from), from.constData());
            expected.replace(from, to);
        }
        if (out != expected)
            qWarning().noquote() << "got:\n" << visible(out);
        QCOMPARE(out, expected);
    }

    // A document type is written back as it was read, whatever the options: the page opens
    // again, means the same and does not grow from save to save.
    void documentTypeSurvivesSaves_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("kept");
        QTest::addColumn<int>("options");
        const std::pair<const char *, const char *> pages[] = {
            {"<!DOCTYPE wqf [<!ATTLIST wqf a CDATA \"x&amp;y\">]><wqf/>", "[<!ATTLIST wqf a CDATA \"x&amp;y\">]>"},
            {"<!DOCTYPE wqf [<!ENTITY e \"a&#38;#60;b\">]><wqf>&e;</wqf>", "[<!ENTITY e \"a&#38;#60;b\">]>"},
            {"<!DOCTYPE wqf [<!-- c -->]><wqf/>", "<!DOCTYPE wqf [<!-- c -->]>"},
        };
        for (const auto &[in, kept] : pages)
            for (int options = 0; options < 8; ++options)
                QTest::newRow(qPrintable(QString("%1 options %2").arg(in).arg(options)))
                    << QByteArray(in) << QByteArray(kept) << options;
    }
    void documentTypeSurvivesSaves()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, kept);
        QFETCH(int, options);
        auto file = loadPage(in, PageOptions::fromInt(options));
        const QByteArray first = saveBytes(*file, PageOptions::fromInt(options));
        QVERIFY2(first.contains(kept), first.constData());
        QCOMPARE(first.count("<!--"), in.count("<!--"));
        auto again = loadPage(first, PageOptions::fromInt(options));
        QCOMPARE(saveBytes(*again, PageOptions::fromInt(options)), first);
        QCOMPARE(again->Doc()->documentElement()->textContent(), file->Doc()->documentElement()->textContent());
    }

    // A text between child elements keeps its own whitespace: the writer's blanks are never
    // written next to it, so the second save equals the first.
    void mixedContentSettles_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("options");
        const std::pair<const char *, const char *> pages[] = {
            {"<wqf><preproc><c><n>0</n> ~ <t>SET</t></c></preproc></wqf>", "0 ~ SET"},
            {"<wqf><preproc><c><n>0</n> a<!--c-->b<?p?>c<![CDATA[d]]><e/></c></preproc></wqf>", "0 abcd"},
            {"<wqf><c><n/>x</c></wqf>", "x"},
        };
        for (const auto &[in, text] : pages)
            for (int options = 0; options < 8; ++options)
                QTest::newRow(qPrintable(QString("%1 options %2").arg(in).arg(options)))
                    << QByteArray(in) << QString(text) << options;
    }
    void mixedContentSettles()
    {
        QFETCH(QByteArray, in);
        QFETCH(int, options);
        auto file = loadPage(in, PageOptions::fromInt(options));
        const QByteArray first = saveBytes(*file, PageOptions::fromInt(options));
        auto again = loadPage(first, PageOptions::fromInt(options));
        QCOMPARE(saveBytes(*again, PageOptions::fromInt(options)), first);
        if (!(options & poWhitespace))
            QTEST(again->Doc()->documentElement()->textContent(), "text");
    }

    void rootEdgeCases_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<bool>("isPage");
        QTest::newRow("plain") << kPage << true << true;
        QTest::newRow("root in capitals") << QByteArray("<WQF><function><fn>p</fn></function></WQF>") << false << false;
        QTest::newRow("comment before root") << QByteArray("<!--x-->") + kPage << true << false;
        QTest::newRow("pi before root") << QByteArray("<?x y?>") + kPage << true << false;
        QTest::newRow("doctype before root") << QByteArray("<!DOCTYPE wqf>") + kPage << true << false;
        QTest::newRow("declaration is no node") << QByteArray("<?xml version=\"1.0\"?>\n") + kPage << true << true;
        QTest::newRow("not xml") << QByteArray("hello") << false << false;
        QTest::newRow("doctype inside root") << QByteArray("<wqf><!DOCTYPE x><function/></wqf>") << false << false;
        QTest::newRow("doctype after root") << QByteArray("<wqf/><!DOCTYPE x>") << false << false;
        QTest::newRow("second doctype") << QByteArray("<!DOCTYPE x><!DOCTYPE y>") + kPage << false << false;
    }
    void rootEdgeCases()
    {
        QFETCH(QByteArray, in);
        QFETCH(bool, loads);
        QFETCH(bool, isPage);
        TWQFFile file;
        QBuffer buffer(&in);
        buffer.open(QIODevice::ReadOnly);
        QCOMPARE(file.LoadFromStream(buffer, {}), loads);
        if (!loads)
            QVERIFY(!file.LastError().isEmpty());
        QBuffer again(&in);
        again.open(QIODevice::ReadOnly);
        QCOMPARE(IsWQFStream(again), isPage);
    }

    void missingRootIsNamed()
    {
        TWQFFile file;
        QByteArray in = "<page/>";
        QBuffer buffer(&in);
        buffer.open(QIODevice::ReadOnly);
        QVERIFY(!file.LoadFromStream(buffer, {}));
        QCOMPARE(file.LastError(), QString("The document has no root element \"wqf\""));
        QVERIFY(file.Sections().empty());
    }

    void sections()
    {
        const QByteArray in = "<wqf>\n  <function><fn>a</fn></function>\n  <function><fn>b</fn></function>\n"
                              "  <!--note-->\n  <preproc><c><n>0</n></c><x/><c><n>1</n></c></preproc>\n"
                              "  <postproc/>\n  <html><![CDATA[one]]></html>\n  <html><![CDATA[two]]></html>\n</wqf>";
        auto plain = loadPage(in, {});
        QStringList names;
        for (const auto &s : plain->Sections())
            names << s->GetName() + "/" + QString::number(s->Items().size());
        QCOMPARE(names, (QStringList{"#comment/0", "preproc/2", "postproc/0"}));
        // The last function and html elements are the ones read and written.
        QCOMPARE(plain->GetFunctionName(), QString("b"));
        QCOMPARE(plain->GetHtml(), QString("two"));
        plain->SetFunctionName("c");
        QCOMPARE(plain->FunctionNode()->previousSibling()->textContent(), QString("a"));
        QCOMPARE(plain->FindSection("PREPROC"), plain->Sections()[1].get());
        QCOMPARE(plain->FindSection("PreProc")->Items()[1]->NNode()->textContent(), QString("1"));
        QVERIFY(!plain->FindSection("pre"));

        auto kept = loadPage(in, poWhitespace);
        names.clear();
        for (const auto &s : kept->Sections())
            names << s->GetName();
        QCOMPARE(names, (QStringList{"#text", "#text", "#text", "#comment", "#text", "preproc", "#text", "postproc",
                                     "#text", "#text", "#text"}));
        QVERIFY(kept->FindSection("postproc"));
    }

    void reloadClearsSections()
    {
        TWQFFile file;
        for (int i = 0; i < 2; ++i) {
            QByteArray in = kPage;
            QBuffer buffer(&in);
            buffer.open(QIODevice::ReadOnly);
            QVERIFY(file.LoadFromStream(buffer, {}));
            QCOMPARE(file.Sections().size(), size_t(2));
            QCOMPARE(file.Sections()[0]->Node()->parentNode(), file.Doc()->documentElement());
        }
    }

    void flags_data()
    {
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QByteArray>("afterSetTrue");
        QTest::newRow("one") << QByteArray("<function><fn/><DenyAjaxExecution>1</DenyAjaxExecution></function>") << true
                             << QByteArray("<function><fn/><DenyAjaxExecution>1</DenyAjaxExecution></function>");
        QTest::newRow("one and blank")
            << QByteArray("<function><DenyAjaxExecution>1 </DenyAjaxExecution><fn/></function>") << false
            << QByteArray("<function><DenyAjaxExecution>1</DenyAjaxExecution><fn/></function>");
        QTest::newRow("leading zero") << QByteArray("<function><DenyAjaxExecution>01</DenyAjaxExecution></function>")
                                      << false
                                      << QByteArray("<function><DenyAjaxExecution>1</DenyAjaxExecution></function>");
        QTest::newRow("word") << QByteArray("<function><DenyAjaxExecution>true</DenyAjaxExecution></function>") << false
                              << QByteArray("<function><DenyAjaxExecution>1</DenyAjaxExecution></function>");
        QTest::newRow("missing is appended")
            << QByteArray("<function><fn>x</fn></function>") << false
            << QByteArray("<function><fn>x</fn><DenyAjaxExecution>1</DenyAjaxExecution></function>");
        QTest::newRow("cdata one") << QByteArray(
                                          "<function><DenyAjaxExecution><![CDATA[1]]></DenyAjaxExecution></function>")
                                   << true
                                   << QByteArray("<function><DenyAjaxExecution>1</DenyAjaxExecution></function>");
    }
    void flags()
    {
        QFETCH(QByteArray, function);
        QFETCH(bool, read);
        QFETCH(QByteArray, afterSetTrue);
        auto file = loadPage("<wqf>" + function + "</wqf>");
        QCOMPARE(file->GetFlag("DenyAjaxExecution"), read);
        QVERIFY(!file->GetFlag("DenyURLExecution"));
        file->SetFlag("DenyAjaxExecution", true);
        QCOMPARE(written(file->FunctionNode()), afterSetTrue);
        QVERIFY(file->GetFlag("DenyAjaxExecution"));
        file->SetFlag("DenyAjaxExecution", false);
        QVERIFY(!file->GetFlag("DenyAjaxExecution"));
    }

    void noFunctionElement()
    {
        auto file = loadPage("<wqf><preproc/></wqf>");
        QVERIFY(!file->GetFlag("DenyAjaxExecution"));
        file->SetFlag("DenyAjaxExecution", true);
        file->SetEditorNotes("n");
        file->SetFunctionName("f");
        file->SetPreHeight(5);
        QCOMPARE(file->GetEditorNotes(), QString());
        QCOMPARE(file->GetFunctionName(), QString());
        QVERIFY(!file->FindFunctionChild(""));
        QCOMPARE(saveBytes(*file, poWhitespace | poClearEol), QByteArray("<wqf><preproc/></wqf>"));
    }

    void functionBlock_data()
    {
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty notes create nothing") << QByteArray("<function><fn>a</fn></function>") << QString()
                                                    << QByteArray("<function><fn>a</fn></function>");
        QTest::newRow("notes create a cdata element")
            << QByteArray("<function><fn>a</fn></function>") << "x <y>"
            << QByteArray("<function><fn>a</fn><editorNotes><![CDATA[x <y>]]></editorNotes></function>");
        QTest::newRow("element without children gets cdata")
            << QByteArray("<function><editorNotes/><fn>a</fn></function>") << "n"
            << QByteArray("<function><editorNotes><![CDATA[n]]></editorNotes><fn>a</fn></function>");
        QTest::newRow("existing cdata is reused")
            << QByteArray("<function><editorNotes><![CDATA[old]]></editorNotes></function>") << "new"
            << QByteArray("<function><editorNotes><![CDATA[new]]></editorNotes></function>");
        QTest::newRow("plain text stays plain")
            << QByteArray("<function><editorNotes>old</editorNotes></function>") << "a&b"
            << QByteArray("<function><editorNotes>a&amp;b</editorNotes></function>");
        QTest::newRow("comment first keeps the comment")
            << QByteArray("<function><editorNotes><!--c--></editorNotes></function>") << "n"
            << QByteArray("<function><editorNotes><!--c--><![CDATA[n]]></editorNotes></function>");
    }
    void functionBlock()
    {
        QFETCH(QByteArray, function);
        QFETCH(QString, notes);
        QFETCH(QByteArray, expected);
        auto file = loadPage("<wqf>" + function + "</wqf>");
        file->SetEditorNotes(notes);
        QCOMPARE(written(file->FunctionNode()), expected);
        QCOMPARE(file->GetEditorNotes(), notes);
    }

    // A hand-formatted notes element: the text goes into its CDATA section, not into the
    // layout around it, so it reads back without that layout.
    void notesKeepTheirCDataWithWhitespaceKept()
    {
        auto file = loadPage("<wqf><function>\n  <editorNotes>\n    <![CDATA[]]>\n  </editorNotes>\n</function></wqf>",
                             poWhitespace);
        file->SetEditorNotes("a\nb");
        auto again = loadPage(saveBytes(*file, poWhitespace), poWhitespace);
        QCOMPARE(again->GetEditorNotes(), QString("a\nb"));
        QCOMPARE(
            written(again->FunctionNode()),
            QByteArray("<function>\r\n  <editorNotes>\r\n    <![CDATA[a\nb]]>\r\n  </editorNotes>\r\n</function>"));
    }

    void heightsAndName()
    {
        auto file = loadPage("<wqf><function><fn><![CDATA[old]]></fn><preHeight>1</preHeight></function></wqf>");
        file->SetPreHeight(-40);
        file->SetPostHeight(70); // no postHeight element: nothing is created
        file->SetFunctionName("a<b");
        QCOMPARE(written(file->FunctionNode()),
                 QByteArray("<function><fn>a&lt;b</fn><preHeight>-40</preHeight></function>"));
        QCOMPARE(NodeIntDef(file->FindFunctionChild("preHeight"), 9), -40);
        QCOMPARE(NodeIntDef(file->FindFunctionChild("fn"), 9), 9);
        QCOMPARE(NodeIntDef(nullptr, 9), 9);
        QCOMPARE(NodeTextDef(nullptr, "d"), QString("d"));
        SetNodeInt(nullptr, 1);
    }

    // The HTML goes into the text child that holds it, whatever stands before it, and
    // reading it back gives exactly what was written, save after save.
    void html_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<int>("options");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("usual cdata") << QByteArray("<html><![CDATA[old]]></html>") << 0
                                     << QByteArray("<html><![CDATA[<b>new</b>]]></html>");
        QTest::newRow("no child") << QByteArray("<html/>") << 0 << QByteArray("<html><![CDATA[<b>new</b>]]></html>");
        QTest::newRow("comment first") << QByteArray("<html><!--c--><![CDATA[old]]></html>") << 0
                                       << QByteArray("<html><!--c--><![CDATA[<b>new</b>]]></html>");
        QTest::newRow("pi first") << QByteArray("<html><?p?>old</html>") << 0
                                  << QByteArray("<html><?p?>&lt;b&gt;new&lt;/b&gt;</html>");
        QTest::newRow("element first") << QByteArray("<html><e/><![CDATA[old]]></html>") << 0
                                       << QByteArray("<html><e/><![CDATA[<b>new</b>]]></html>");
        QTest::newRow("comment only") << QByteArray("<html><!--c--></html>") << 0
                                      << QByteArray("<html><!--c--><![CDATA[<b>new</b>]]></html>");
        QTest::newRow("whitespace kept around cdata")
            << QByteArray("<html>\n  <![CDATA[old]]>\n</html>") << int(poWhitespace)
            << QByteArray("<html>\r\n  <![CDATA[<b>new</b>]]>\r\n</html>");
        QTest::newRow("whitespace kept around an empty cdata")
            << QByteArray("<html>\n  <![CDATA[]]>\n</html>") << int(poWhitespace)
            << QByteArray("<html>\r\n  <![CDATA[<b>new</b>]]>\r\n</html>");
        QTest::newRow("layout whitespace beside the text taking the value")
            << QByteArray("<html>x\n  <![CDATA[y]]>\n</html>") << int(poWhitespace)
            << QByteArray("<html>&lt;b&gt;new&lt;/b&gt;</html>");
        QTest::newRow("cdata split by the writer") << QByteArray("<html><![CDATA[a]]]]><![CDATA[>b]]></html>") << 0
                                                   << QByteArray("<html><![CDATA[<b>new</b>]]></html>");
    }
    void html()
    {
        QFETCH(QByteArray, html);
        QFETCH(int, options);
        QFETCH(QByteArray, expected);
        auto file = loadPage("<wqf>" + html + "</wqf>", PageOptions::fromInt(options));
        file->SetHtml("<b>new</b>");
        QCOMPARE(written(file->HtmlNode()), expected);
        for (int pass = 0; pass < 2; ++pass) {
            auto again = loadPage(saveBytes(*file, PageOptions::fromInt(options)), PageOptions::fromInt(options));
            QCOMPARE(again->GetHtml(), QString("<b>new</b>"));
            again->SetHtml(again->GetHtml());
            file = std::move(again);
        }
        QCOMPARE(written(file->HtmlNode()), expected);
    }

    void htmlSplitCDataReadsWhole()
    {
        auto file = loadPage("<wqf><html><![CDATA[a]]]]><![CDATA[>b]]></html></wqf>");
        QCOMPARE(file->GetHtml(), QString("a]]>b"));
        auto none = loadPage("<wqf><function><fn/></function></wqf>");
        none->SetHtml("dropped");
        QCOMPARE(none->GetHtml(), QString());
    }

    void saveReadOnly_data()
    {
        QTest::addColumn<bool>("allow"); // the hook's answer when it does not throw
        QTest::addColumn<bool>("hookThrows");
        QTest::addColumn<bool>("written");
        QTest::newRow("hook allows") << true << false << true;
        QTest::newRow("hook refuses") << false << false << false;
        // A hook that could not answer gives no consent to overwrite.
        QTest::newRow("hook throws") << true << true << false;
    }
    void saveReadOnly()
    {
        QFETCH(bool, allow);
        QFETCH(bool, hookThrows);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.wqf");
        writeBytes(path, kPage);
        QVERIFY(platform::setFileMode(path, 0444));
        auto file = loadPage(kPage);
        file->SetFunctionName("changed");
        file->setLastError("earlier");
        QString asked;
        file->OnReadOnly = [&](const QString &name) {
            asked = name;
            if (hookThrows)
                throw std::runtime_error("hook failed");
            return allow;
        };
        QCOMPARE(file->SaveToFile(path, {}), written);
        QCOMPARE(asked, path);
        QCOMPARE(*platform::fileMode(path), 0444u);
        QCOMPARE(readBytes(path).contains("changed"), written);
        QCOMPARE(file->LastError(), QString("earlier"));
    }

    void saveKeepsModeAndReplacesAtomically()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.wqf");
        writeBytes(path, kPage);
        QVERIFY(platform::setFileMode(path, 0640));
        auto file = loadPage(kPage);
        QVERIFY(file->SaveToFile(path, poForceHeader));
        QCOMPARE(*platform::fileMode(path), 0640u);
        QVERIFY(readBytes(path).startsWith("<?xml"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"p.wqf"});
    }

    void failedSaveLeavesOldFile_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("error");
        QTest::newRow("control character") << QString(QChar(1)) << "Illegal character";
        QTest::newRow("U+FFFF") << QString(QChar(0xffff)) << "Illegal character";
        QTest::newRow("lone surrogate") << QString(QChar(0xdc00)) << "Low surrogate without high one";
    }
    void failedSaveLeavesOldFile()
    {
        QFETCH(QString, bad);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.wqf");
        const QByteArray old = readBytes(dataPath("xml/own.wqf"));
        writeBytes(path, old);
        QVERIFY(platform::setFileMode(path, 0444));
        TWQFFile file;
        QVERIFY(file.LoadFromFile(path, poForceHeader));
        file.SetFunctionName("x" + bad);
        QVERIFY(!file.SaveToFile(path, poForceHeader));
        QCOMPARE(file.LastError(), error);
        QCOMPARE(readBytes(path), old);
        QCOMPARE(*platform::fileMode(path), 0444u);
    }

    // The page is written in one go, so a full disk shows only where the new bytes are
    // flushed: the save answers false with the system's reason and the old page stays.
    void saveOnAFullDisk()
    {
        TmpfsMount disk(64);
        PELLORIN_REQUIRE_MOUNT(disk);
        const QString path = disk.path("p.wqf");
        writeBytes(path, kPage);
        QVERIFY(platform::setFileMode(path, 0640));
        QVERIFY(disk.fill());
        auto file = loadPage(kPage);
        file->SetFunctionName("changed");
        QVERIFY(!file->SaveToFile(path, poForceHeader));
        QCOMPARE(file->LastError(), "Unable to write file \"" + path + "\": No space left on device");
        QCOMPARE(readBytes(path), kPage);
        QCOMPARE(*platform::fileMode(path), 0640u);
        QCOMPARE(disk.entries(), (QStringList{"filler", "p.wqf"}));
    }

    void tooDeepToIndentKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.wqf");
        writeBytes(path, kPage);
        const int depth = 10000;
        auto file = loadPage("<wqf><preproc>" + QByteArray("<e>").repeated(depth) + QByteArray("</e>").repeated(depth) +
                             "</preproc></wqf>");
        QVERIFY(!file->SaveToFile(path, poForceHeader));
        QVERIFY2(file->LastError().startsWith("The page is too deeply nested to write indented; turn on \"Preserve "
                                              "XML whitespaces\" in Preferences"),
                 qPrintable(file->LastError()));
        QCOMPARE(readBytes(path), kPage);
        QVERIFY(file->SaveToFile(path, poWhitespace));
        QVERIFY(loadPage(readBytes(path))->FindSection("preproc"));
    }

    // Whatever a stream raises, the last error is a sentence, never the name of an exception.
    void lastErrorIsWorded_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("out of memory") << 0 << "There is not enough memory to finish this";
        QTest::newRow("length error") << 1 << "The data are too large to be held in memory";
    }
    void lastErrorIsWorded()
    {
        QFETCH(int, kind);
        QFETCH(QString, error);
        class FailingDevice : public QIODevice {
        public:
            explicit FailingDevice(int kind) : m_kind(kind) {}

        protected:
            qint64 readData(char *, qint64) override { fail(); }
            qint64 writeData(const char *, qint64) override { fail(); }

        private:
            [[noreturn]] void fail()
            {
                if (m_kind == 0)
                    throw std::bad_alloc();
                throw std::length_error("basic_string::_M_create");
            }
            int m_kind;
        };
        FailingDevice device(kind);
        device.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
        auto file = loadPage(kPage);
        QVERIFY(!file->SaveToStream(device, PageOptions()));
        QCOMPARE(file->LastError(), error);
        TWQFFile other;
        QVERIFY(!other.LoadFromStream(device, PageOptions()));
        QCOMPARE(other.LastError(), error);
    }

    void unwritableTargetAnswersFalse()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("plain"), "x");
        auto file = loadPage(kPage);
        // A folder that is a file cannot hold the page.
        const QString path = dir.filePath("plain/p.wqf");
        QVERIFY(!file->SaveToFile(path, {}));
        QVERIFY2(file->LastError().startsWith("Unable to write file \"" + path + "\": "),
                 qPrintable(file->LastError()));
        QCOMPARE(file->FileName(), path);
        QVERIFY(!file->SaveToFile(dir.path(), {})); // a folder is not a file either
    }

    void failedLoad_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("error");
        QTest::newRow("not xml") << QByteArray("plain text") << "In 'stream:' (line 1 pos 1): Start tag expected.";
        QTest::newRow("unclosed element") << QByteArray("<wqf>\n<preproc>\n</wqf>")
                                          << "In 'stream:' (line 3 pos 6): Opening and ending tag mismatch.";
        QTest::newRow("lone ampersand") << QByteArray("<wqf>&</wqf>")
                                        << "In 'stream:' (line 1 pos 7): Expected '#' or '[a-zA-Z]', but got '<'.";
    }
    void failedLoad()
    {
        QFETCH(QByteArray, in);
        QFETCH(QString, error);
        TWQFFile file;
        QBuffer buffer(&in);
        buffer.open(QIODevice::ReadOnly);
        QVERIFY(!file.LoadFromStream(buffer, poWhitespace));
        QCOMPARE(file.LastError(), error);
        QVERIFY(!file.Doc());
        QVERIFY(file.Sections().empty());
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QVERIFY(!file.SaveToStream(out, {}));
        QVERIFY(out.data().isEmpty());

        QTemporaryDir dir;
        const QString path = dir.filePath("p.wqf");
        writeBytes(path, "old");
        QVERIFY(!file.SaveToFile(path, {}));
        QCOMPARE(readBytes(path), QByteArray("old"));
    }

    // The page is read through its place: a file renamed over its name after the place looked
    // at it is not read, and neither a pipe nor a folder at the name makes the read wait.
    void readsOnlyThePlacesFile_data()
    {
        QTest::addColumn<QString>("there"); // what has the page's name when it is read
        QTest::newRow("another file") << "file";
        QTest::newRow("a pipe") << "pipe";
        QTest::newRow("a folder") << "folder";
    }
    void readsOnlyThePlacesFile()
    {
        QFETCH(QString, there);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.wqf");
        writeBytes(path, kPage);
        const PageFile place(path);
        if (there == "file") {
            // Made while the page's file still holds its inode, so that it gets another.
            writeBytes(dir.filePath("other"), "<wqf><function><fn>other</fn></function><preproc/><postproc/></wqf>");
            QCOMPARE(std::rename(qPrintable(dir.filePath("other")), qPrintable(path)), 0);
        } else {
            QVERIFY(QFile::remove(path));
            if (there == "pipe")
                QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            else
                QVERIFY(QDir(dir.path()).mkdir("p.wqf"));
        }
        TWQFFile file;
        QVERIFY(!file.LoadFromFile(path, {}, place));
        QVERIFY2(file.LastError().startsWith("Unable to open file \"" + path + "\": "), qPrintable(file.LastError()));
        QVERIFY(!file.Doc());
        if (there != "file") {
            // Looked at afresh, the name holds no page either.
            QVERIFY(!file.LoadFromFile(path, {}));
            QVERIFY(file.LastError().startsWith("Unable to open file \"" + path + "\": "));
        }
    }

    void missingFile()
    {
        TWQFFile file;
        QVERIFY(!file.LoadFromFile("/nonexistent/p.wqf", {}));
        QCOMPARE(file.FileName(), QString("/nonexistent/p.wqf"));
        QVERIFY(file.LastError().startsWith("Unable to open file \"/nonexistent/p.wqf\""));
        QVERIFY(!IsWQFFile("/nonexistent/p.wqf"));
        QVERIFY(IsWQFFile(dataPath("xml/own.wqf")));
        QVERIFY(!IsWQFFile(dataPath("xml/doctype.wqf")));
    }

    // ---- the revision ----

    void revisionCountsChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("counts");
        QTest::newRow("function name") << "function name" << true;
        QTest::newRow("the same function name") << "same function name" << false;
        QTest::newRow("a flag") << "flag" << true;
        QTest::newRow("the HTML") << "html" << true;
        QTest::newRow("a component added") << "add" << true;
        QTest::newRow("a component moved") << "move" << true;
        QTest::newRow("a component put where it is") << "stay" << false;
        QTest::newRow("a height the page has no element for") << "height" << false;
        QTest::newRow("a save") << "save" << false;
    }
    void revisionCountsChanges()
    {
        QFETCH(QString, change);
        QFETCH(bool, counts);
        auto file = loadPage("<wqf><function><fn>p</fn></function><preproc><c><n>1</n><t>SET</t><x>64</x><y>52</y>"
                             "</c></preproc><postproc/><html/></wqf>");
        TWQFItem *item = file->FindSection("preproc")->Items().front().get();
        const uint64_t before = file->revision();
        int told = 0;
        file->notifyNextChange([&] { ++told; });
        if (change == "function name")
            file->SetFunctionName("q");
        else if (change == "same function name")
            file->SetFunctionName("p");
        else if (change == "flag")
            file->SetFlag("DenyURLExecution", true);
        else if (change == "html")
            file->SetHtml("<p>x</p>");
        else if (change == "add")
            file->FindSection("postproc")->AddItem("SET");
        else if (change == "move")
            item->SetX(96);
        else if (change == "stay")
            item->SetX(64);
        else if (change == "height")
            file->SetPreHeight(1000);
        else if (change == "save")
            saveBytes(*file, {});
        QCOMPARE(file->revision() != before, counts);
        QCOMPARE(told, counts ? 1 : 0);
    }

    // A load puts a new tree in the old one's place: the revision still only grows, and the
    // notice is told once the page is whole again.
    void revisionGrowsAcrossLoads()
    {
        auto file = loadPage(kPage);
        file->SetFunctionName("changed");
        uint64_t last = file->revision();
        QStringList told;
        const auto notice = [&] { told << file->GetFunctionName() + (file->FindSection("preproc") ? "+preproc" : ""); };
        file->notifyNextChange(notice);
        QByteArray other = "<wqf><function><fn>other</fn></function><preproc/><postproc/></wqf>";
        QBuffer buffer(&other);
        buffer.open(QIODevice::ReadOnly);
        QVERIFY(file->LoadFromStream(buffer, {}));
        QVERIFY(file->revision() > last);
        QCOMPARE(told, QStringList{"other+preproc"});

        last = file->revision();
        file->notifyNextChange(notice);
        QVERIFY(!file->LoadFromFile("/nonexistent/p.wqf", {}));
        QVERIFY(file->revision() > last);
        QCOMPARE(told, QStringList({"other+preproc", ""}));
    }

    void noticeNotToldOfThePagesEnd()
    {
        int told = 0;
        {
            auto file = loadPage("<wqf><function><fn>p</fn></function><preproc/><postproc/><html>x</html></wqf>");
            file->notifyNextChange([&] { ++told; });
        }
        QCOMPARE(told, 0);
    }

    void writerFlagMapping()
    {
        QCOMPARE(writerFlagsFromOptions(poWhitespace), WriterFlags(wfNoIndent));
        QCOMPARE(writerFlagsFromOptions(poForceHeader), WriterFlags(wfForceHeader));
        QCOMPARE(writerFlagsFromOptions(poClearEol), WriterFlags(wfNoFinalEol));
        QCOMPARE(writerFlagsFromOptions(PageOptions::fromInt(0xF8)), WriterFlags());
    }
};

PELLORIN_TEST_CLASS(TestWQFFile)
#include "test_wqffile.moc"
