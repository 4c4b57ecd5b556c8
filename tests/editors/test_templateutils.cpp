#include "common/testmain.h"
#include "editors/templateutils.h"

#include <QTest>

namespace {
// Each section as L(raw) or V(raw), joined by blanks.
QString chain(const TTmplSection *first)
{
    QStringList parts;
    for (const TTmplSection *s = first; s; s = s->Next.get())
        parts << (s->IsVariable ? "V(" : "L(") + s->Raw + ")";
    return parts.join(' ');
}

} // namespace

class TestTemplateUtils : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("tmpl");
        QTest::addColumn<QString>("sections");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("empty") << ""
                               << "" << QStringList();
        QTest::newRow("no placeholder") << "begin end;"
                                        << "L(begin end;)" << QStringList{"begin end;"};
        QTest::newRow("literal, variable, literal") << "a %x% b"
                                                    << "L(a ) V(%x%) L( b)" << QStringList{"a ", "x", " b"};
        QTest::newRow("escaped percent") << "100%% of %n%"
                                         << "L(100%% of ) V(%n%)" << QStringList{"100% of ", "n"};
        QTest::newRow("escape only") << "%%"
                                     << "L(%%)" << QStringList{"%"};
        QTest::newRow("trailing percent is literal") << "a%"
                                                     << "L(a%)" << QStringList{"a%"};
        QTest::newRow("lone percent") << "%"
                                      << "L(%)" << QStringList{"%"};
        QTest::newRow("escape then trailing percent") << "a%%%"
                                                      << "L(a%%%)" << QStringList{"a%%"};
        QTest::newRow("unclosed name runs to the end") << "x = %value"
                                                       << "L(x = ) V(%value%)" << QStringList{"x = ", "value"};
        QTest::newRow("two variables in a row") << "%a%%b%"
                                                << "V(%a%) V(%b%)" << QStringList{"a", "b"};
        QTest::newRow("variable after an escape") << "%%%a%"
                                                  << "L(%%) V(%a%)" << QStringList{"%", "a"};
        QTest::newRow("name holding blanks") << "%a b%!"
                                             << "V(%a b%) L(!)" << QStringList{"a b", "!"};
        QTest::newRow("percent before the end of a name") << "%a%%"
                                                          << "V(%a%) L(%)" << QStringList{"a", "%"};
    }
    void parse()
    {
        QFETCH(QString, tmpl);
        QFETCH(QStringList, texts);
        const std::unique_ptr<TTmplSection> first = ParseTemplate(tmpl);
        QTEST(chain(first.get()), "sections");
        QStringList got;
        for (const TTmplSection *s = first.get(); s; s = s->Next.get())
            got << s->Text;
        QCOMPARE(got, texts);
    }

    void render_data()
    {
        QTest::addColumn<QString>("tmpl");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("text");
        QTest::newRow("no placeholder: the template back") << "if a then b;" << QStringList() << "if a then b;";
        QTest::newRow("names without case") << "x := %Count%;" << QStringList{"COUNT=5"} << "x := 5;";
        QTest::newRow("missing name renders empty") << "[%a%][%b%]" << QStringList{"a=1"} << "[1][]";
        QTest::newRow("values unchanged") << "%v%" << QStringList{"v=it's %x% 100%%"} << "it's %x% 100%%";
        QTest::newRow("escaped percent renders single") << "50%% %p%" << QStringList{"p=off"} << "50% off";
        QTest::newRow("empty template") << "" << QStringList{"a=1"} << "";
    }
    void render()
    {
        QFETCH(QString, tmpl);
        QFETCH(QStringList, values);
        const auto first = ParseTemplate(tmpl);
        QString text = "old";
        RenderTemplate(first.get(), StringList(values), text);
        QTEST(text, "text");
    }

    void match_data()
    {
        QTest::addColumn<QString>("tmpl");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("error");
        QTest::newRow("literal, variable, literal") << "a := %x%;"
                                                    << "a := 12;" << true << QStringList{"x=12"} << "";
        QTest::newRow("value up to the first occurrence of the next literal")
            << "<%x%>"
            << "<a>b>" << true << QStringList{"x=a"} << "";
        QTest::newRow("the next variable goes on from that occurrence")
            << "(%x%) %y%"
            << "(a) b) c" << true << QStringList{"x=a", "y=b) c"} << "";
        QTest::newRow("variable at the end takes the rest, trailing text included")
            << "n = %n%"
            << "n = 5 \n " << true << QStringList{"n=5 \n "} << "";
        QTest::newRow("two variables in a row both take the rest") << "%a%%b%"
                                                                   << "xy" << true << QStringList{"a=xy", "b=xy"} << "";
        QTest::newRow("variables in a row before a literal") << "%a%%b%;"
                                                             << "xy;" << true << QStringList{"a=xy", "b="} << "";
        QTest::newRow("empty value is an entry") << "[%a%]"
                                                 << "[]" << true << QStringList{"a="} << "";
        QTest::newRow("text not starting with the first literal")
            << "begin %x% end"
            << "start 1 end" << false << QStringList() << "failed to find the text section: begin ";
        QTest::newRow("missing literal after a variable")
            << "(%x%)"
            << "(1" << false << QStringList() << "failed to find the text section: )";
        QTest::newRow("escaped percent matches a single one") << "%p%%% done"
                                                              << "40% done" << true << QStringList{"p=40"} << "";
        QTest::newRow("escaped percent does not match two")
            << "a%%b"
            << "a%%b" << false << QStringList() << "failed to find the text section: a%b";
        QTest::newRow("text left after the last literal is ignored") << "x=%x%;"
                                                                     << "x=1;rest" << true << QStringList{"x=1"} << "";
        QTest::newRow("a name seen twice keeps the later value") << "%a%,%a%."
                                                                 << "1,2." << true << QStringList{"a=2"} << "";
        QTest::newRow("empty template matches anything") << ""
                                                         << "abc" << true << QStringList() << "";
    }
    void match()
    {
        QFETCH(QString, tmpl);
        QFETCH(QString, text);
        const auto first = ParseTemplate(tmpl);
        StringList found;
        QString got = "untouched";
        QTEST(MatchTemplate(text, first.get(), found, got), "ok");
        QTEST(found.lines(), "values");
        QFETCH(QString, error);
        // Written only on failure.
        QCOMPARE(got, error.isEmpty() ? QString("untouched") : error);
    }

    void matchReplacesValuesAndError()
    {
        const auto first = ParseTemplate("v=%V%;");
        StringList found(QStringList{"keep=1", "v=old"});
        QString error = "earlier";
        QVERIFY(MatchTemplate("v=;", first.get(), found, error));
        // Replaced in place, written with the template's spelling of the name.
        QCOMPARE(found.lines(), QStringList({"keep=1", "V="}));
        QCOMPARE(error, QString("earlier"));
        QVERIFY(!MatchTemplate("w=1;", first.get(), found, error));
        QCOMPARE(error, QString("failed to find the text section: v="));
    }

    // Rendering and matching are inverse as long as no value holds the literal after it.
    void roundTrip()
    {
        const auto first = ParseTemplate("// %title%\nif %a% > %b% then\n  %call%\n100%%");
        const StringList in(QStringList{"title=Limit", "a=x", "b=10", "call=f_pre_3;"});
        QString text;
        RenderTemplate(first.get(), in, text);
        QCOMPARE(text, QString("// Limit\nif x > 10 then\n  f_pre_3;\n100%"));
        StringList out;
        QString error;
        QVERIFY(MatchTemplate(text, first.get(), out, error));
        QCOMPARE(out, in);
    }

    void longChainIsFreed()
    {
        QString tmpl;
        for (int i = 0; i < 200000; ++i)
            tmpl += "%v%.";
        auto first = ParseTemplate(tmpl);
        QVERIFY(first);
        first.reset();
    }
};

PELLORIN_TEST_CLASS(TestTemplateUtils)
#include "test_templateutils.moc"
