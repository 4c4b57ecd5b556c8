#include "common/testmain.h"
#include "model/scriptcontainer.h"

#include <QTest>

class TestScriptContainer : public QObject {
    Q_OBJECT
private slots:
    void entities_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("nothing special, quotes stay") << QByteArray("say \"hi\" 'x'") << QByteArray("say \"hi\" 'x'");
        QTest::newRow("all three") << QByteArray("a<b>&c") << QByteArray("a&lt;b&gt;&amp;c");
        QTest::newRow("only specials") << QByteArray("&&&") << QByteArray("&amp;&amp;&amp;");
        QTest::newRow("an entity as text") << QByteArray("&lt;") << QByteArray("&amp;lt;");
        QTest::newRow("double escaped") << QByteArray("&amp;lt;") << QByteArray("&amp;amp;lt;");
        QTest::newRow("utf-8 bytes") << QByteArray("\xc3\xa9<\xe2\x82\xac") << QByteArray("\xc3\xa9&lt;\xe2\x82\xac");
    }
    void entities()
    {
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, escaped);
        QCOMPARE(HtmlEscape(plain), escaped);
        QCOMPARE(HtmlUnescape(escaped), plain);
    }

    void unescape_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("mixed case") << QByteArray("&LT;&Gt;&AMP;") << QByteArray("<>&");
        QTest::newRow("unknown entities stay") << QByteArray("&quot;&nbsp;&#60;") << QByteArray("&quot;&nbsp;&#60;");
        QTest::newRow("incomplete") << QByteArray("&lt &am &") << QByteArray("&lt &am &");
        QTest::newRow("decoded & not read again") << QByteArray("&amp;gt;") << QByteArray("&gt;");
        QTest::newRow("lone & before entity") << QByteArray("&&lt;") << QByteArray("&<");
    }
    void unescape()
    {
        QFETCH(QByteArray, text);
        QTEST(HtmlUnescape(text), "plain");
    }

    void entityTable()
    {
        QCOMPARE(EntityFor('&'), QByteArray("&amp;"));
        QCOMPARE(EntityFor('>'), QByteArray("&gt;"));
        QCOMPARE(EntityFor('"'), QByteArray());
    }

    void block_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<qsizetype>("start");
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<QByteArray>("script");
        const QByteArray head = "<div ref=\"scriptingcontainer\"><pre class=js>";
        QTest::newRow("found") << head + "a &lt; b</pre></div>" << qsizetype(head.size() + 1) << qsizetype(8)
                               << QByteArray("a < b");
        QTest::newRow("capitals") << QByteArray("<DIV REF=\"ScriptingContainer\"><PRE>x</PRE>") << qsizetype(36)
                                  << qsizetype(1) << QByteArray("x");
        QTest::newRow("empty pre") << QByteArray("<i ref=\"scriptingcontainer\"><pre></pre>") << qsizetype(34)
                                   << qsizetype(0) << QByteArray();
        QTest::newRow("escaped close tag") << head + "s = '&lt;/pre&gt;';</pre>" << qsizetype(head.size() + 1)
                                           << qsizetype(19) << QByteArray("s = '</pre>';");
        QTest::newRow("no marker") << QByteArray("<pre>x</pre>") << qsizetype(-1) << qsizetype(-1) << QByteArray();
        QTest::newRow("marker without quotes")
            << QByteArray("<div ref=scriptingcontainer><pre>x</pre>") << qsizetype(-1) << qsizetype(-1) << QByteArray();
        QTest::newRow("pre before marker") << QByteArray("<pre>x</pre><div ref=\"scriptingcontainer\">")
                                           << qsizetype(-1) << qsizetype(-1) << QByteArray();
        QTest::newRow("no pre") << QByteArray("<div ref=\"scriptingcontainer\">x</div>") << qsizetype(-1)
                                << qsizetype(-1) << QByteArray();
        QTest::newRow("pre tag not ended")
            << QByteArray("<div ref=\"scriptingcontainer\"><pre") << qsizetype(-1) << qsizetype(-1) << QByteArray();
        QTest::newRow("pre never closed") << head + "x" << qsizetype(-1) << qsizetype(-1) << QByteArray();
        QTest::newRow("first pre after marker")
            << head + "1</pre><pre>2</pre>" << qsizetype(head.size() + 1) << qsizetype(1) << QByteArray("1");
        QTest::newRow("multi-byte positions") << "\xc3\xa9" + head + "\xe2\x82\xac</pre>" << qsizetype(head.size() + 3)
                                              << qsizetype(3) << QByteArray("\xe2\x82\xac");
    }
    void block()
    {
        QFETCH(QByteArray, html);
        const ScriptBlock b = FindScriptBlock(html);
        QTEST(b.start, "start");
        QTEST(b.length, "length");
        QTEST(GetScript(html), "script");
        if (!b.found())
            QCOMPARE(SetScript(html, "new & <script>"), html);
    }

    void setScript()
    {
        const QByteArray before = "<body><div class=s ref=\"scriptingcontainer\"><pre class=js>";
        const QByteArray after = "</pre></div></body>";
        const QByteArray html = before + "a &lt; b" + after;
        QCOMPARE(SetScript(html, "x && y"), before + "x &amp;&amp; y" + after);
        const QByteArray empty = before + after;
        QCOMPARE(SetScript(empty, "if (a<b) {}"), before + "if (a&lt;b) {}" + after);
        // A script holding an entity as text survives the round trip.
        const QByteArray stored = SetScript(html, "&lt;");
        QCOMPARE(stored, before + "&amp;lt;" + after);
        QCOMPARE(GetScript(stored), QByteArray("&lt;"));
        QCOMPARE(SetScript(html, ""), empty);
    }

    void scriptTexts()
    {
        // Positions are bytes of UTF-8: characters of two and four bytes before the block and
        // in the script must not shift it.
        const QString before =
            QString::fromUtf8("<p>\xc3\xa9\xf0\x9f\x98\x80</p><div ref=\"scriptingcontainer\"><pre>");
        const QString after = QStringLiteral("</pre></div>");
        const QString html = before + QString::fromUtf8("a &lt; \xe2\x82\xac") + after;
        QCOMPARE(scriptOfHtml(html), QString::fromUtf8("a < \xe2\x82\xac"));
        const std::optional<QString> changed = htmlWithScript(html, QString::fromUtf8("\xf0\x9f\x98\x80 && b"));
        QVERIFY(changed);
        QCOMPARE(*changed, before + QString::fromUtf8("\xf0\x9f\x98\x80 &amp;&amp; b") + after);
        QCOMPARE(scriptOfHtml(*changed), QString::fromUtf8("\xf0\x9f\x98\x80 && b"));
        // Without a block nothing is rewritten and the script is empty.
        QCOMPARE(htmlWithScript(QStringLiteral("<pre>x</pre>"), QStringLiteral("y")), std::nullopt);
        QCOMPARE(scriptOfHtml(QStringLiteral("<pre>x</pre>")), QString());
    }
};

PELLORIN_TEST_CLASS(TestScriptContainer)
#include "test_scriptcontainer.moc"
