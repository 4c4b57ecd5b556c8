#include "base/exception.h"
#include "common/pagefixture.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "editors/wqfmacros.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace pellorin_test;

namespace {
// A macro with a STRING, an INTEGER and an untyped parameter and the grey exit's call.
const QByteArray kLimitIni = "[main]\nname=limit\nusername=Loop limit\n"
                             "[Counter]\ntype=string\ndefault=count\n"
                             "[Limit]\ntype=INTEGER\ndefault=100\n"
                             "[Step]\n";
const QByteArray kLimitPas = "\r\n\r\nif StrToIntDef('#S%Counter%#', 0) + %Step% >= %Limit% then\r\n"
                             "begin\r\n  %_GRAY%\r\nend;\r\n\r\n";

class MacroFolder {
public:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const { writeBytes(path(name), bytes); }
    std::unique_ptr<TPascalMacro> load(const QString &name) const
    {
        return LoadMacro(path(name + ".ini"), path(name + ".pas"));
    }

private:
    QTemporaryDir m_dir;
};

std::unique_ptr<TPascalMacro> limitMacro()
{
    MacroFolder folder;
    folder.write("limit.ini", kLimitIni);
    folder.write("limit.pas", kLimitPas);
    return folder.load("limit");
}

QString generated(const TPascalMacro &macro, const QStringList &values)
{
    QString code;
    macro.Generate(StringList(values), code);
    return code;
}

QByteArray codeComponent(const char *name, const char *type, const char *comment, const QByteArray &code,
                         const char *exit1 = "")
{
    return QByteArray("<c><n>") + name + "</n><t>" + type + "</t><c>" + comment + "</c><j/><j>" + exit1 +
           "</j><x>0</x><y>0</y><values><v><![CDATA[" + code + "]]></v></values></c>";
}

TWQFItem *item(TWQFFile &page, int index) { return page.FindSection("preproc")->Items().at(size_t(index)).get(); }
} // namespace

class TestWQFMacros : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ClearMacros(); }

    // The main section, a parameter without keys and one whose type is written in lower case.
    void loadMacroParameters()
    {
        MacroFolder folder;
        folder.write("m.ini", "[Main]\n[count]\n[label]\ntype=string\n[ratio]\ntype=Float\n[day]\ntype=date\n"
                              "[quoted]\ntype=STRING\ndefault='a b' \n");
        folder.write("m.pas", "x");
        const auto macro = folder.load("m");
        QVERIFY(macro);
        QCOMPARE(macro->Name, QString("m"));
        QCOMPARE(macro->Caption, QString("m"));
        QCOMPARE(macro->ParamTypes.lines(),
                 QStringList({"count=INTEGER", "label=STRING", "ratio=FLOAT", "day=DATE", "quoted=STRING"}));
        QCOMPARE(macro->ParamDefaults.lines(), QStringList({"count=0", "label=", "ratio=0", "day=", "quoted='a b' "}));
    }

    void loadMacroNamesAndTemplate()
    {
        const auto macro = limitMacro();
        QVERIFY(macro);
        QCOMPARE(macro->Name, QString("limit"));
        QCOMPARE(macro->Caption, QString("Loop limit"));
        // Header, LF line breaks, no blank lines around the template's own text.
        QCOMPARE(generated(*macro, {}),
                 QString("// Macro:limit\nif StrToIntDef('#S#', 0) +  >=  then\nbegin\n  \nend;"));
        // The .pas file's name is the name unless the INI gives one.
        MacroFolder folder;
        folder.write("Other.Name.ini", "[main]\nusername=Shown\n");
        folder.write("Other.Name.pas", "begin end;");
        const auto other = folder.load("Other.Name");
        QCOMPARE(other->Name, QString("Other.Name"));
        QCOMPARE(other->Caption, QString("Shown"));
        QCOMPARE(generated(*other, {}), QString("// Macro:Other.Name\nbegin end;"));
    }

    void loadMacroNone()
    {
        MacroFolder folder;
        folder.write("a.ini", "[main]\n");
        QVERIFY(!folder.load("a")); // no .pas
        folder.write("b.pas", "x");
        QVERIFY(!folder.load("b")); // no .ini
        folder.write("a.pas", "");
        QVERIFY(!folder.load("a")); // empty template file
    }

    void loadMacroFailures()
    {
        MacroFolder folder;
        folder.write("a.ini", "[main]\n");
        QVERIFY(QDir(folder.path("")).mkdir("a.pas"));
        try {
            folder.load("a");
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.message(), "Cannot read the file \"" + folder.path("a.pas") + "\": file to open is a directory");
        }
        folder.write("b.ini", "[main]\nname=\xc0\n");
        folder.write("b.pas", "x");
        try {
            folder.load("b");
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.message(), "The file \"" + folder.path("b.ini") + "\" is not UTF-8 text");
        }
    }

    // What a macro puts into a page (the caption into the comment, the defaults and the template
    // into the code) must be text a page can hold, or every later save of the page would fail.
    void loadMacroTextsAPageCannotHold_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QByteArray>("pas");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("what");
        QTest::newRow("caption") << QByteArray("[main]\nusername=Loop\x04limit\n") << QByteArray("x") << "m.ini"
                                 << "the caption";
        QTest::newRow("default") << QByteArray("[main]\n[Limit]\ndefault=1\x01\n") << QByteArray("x") << "m.ini"
                                 << "the default of \"Limit\"";
        QTest::newRow("template") << QByteArray("[main]\n") << QByteArray("x := '\x1b';") << "m.pas"
                                  << "the code";
        QTest::newRow("not a character") << QByteArray("[main]\n") << QByteArray("x := '\xef\xbf\xbe';") << "m.pas"
                                         << "the code";
    }
    void loadMacroTextsAPageCannotHold()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, pas);
        QFETCH(QString, file);
        QFETCH(QString, what);
        MacroFolder folder;
        folder.write("m.ini", ini);
        folder.write("m.pas", pas);
        try {
            folder.load("m");
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.message(),
                     "The file \"" + folder.path(file) + "\" gives " + what + " a character that a page cannot hold");
        }
    }

    // The code's header names the macro as the description does, so that the macro is found
    // again when the page is opened.
    void headerNamesTheMacro_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QByteArray>("pas");
        QTest::addColumn<QString>("code");
        QTest::newRow("percent signs") << QByteArray("[main]\nname=ab%cd%\n") << QByteArray("x := 1;")
                                       << "// Macro:ab%cd%\nx := 1;";
        QTest::newRow("blank after the name, blank template")
            << QByteArray("[main]\nname=m \n") << QByteArray(" \r\n") << "// Macro:m ";
    }
    void headerNamesTheMacro()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, pas);
        MacroFolder folder;
        folder.write("m.ini", ini);
        folder.write("m.pas", pas);
        RegisterMacro(folder.load("m"));
        const QString code = generated(*Macros().at(0), {});
        QTEST(code, "code");
        auto page = pageWith(codeComponent("0", "DELPHI", "macro: m", code.toUtf8()));
        ApplyMacros(page->FindSection("preproc")->Items(), "macro:");
        QVERIFY(HasMacro(item(*page, 0)));
    }

    void initValues()
    {
        const auto macro = limitMacro();
        StringList values(QStringList{"other=1", "limit=5"});
        macro->InitValues(values);
        // Step has the default "0" of an untyped parameter.
        QCOMPARE(values.lines(), QStringList({"other=1", "Limit=100", "Counter=count", "Step=0"}));
    }

    // Parameters to code and back: a STRING value keeps its apostrophe, INTEGER and untyped
    // values go in unchanged, and Values is not changed by generating.
    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("back");
        QTest::newRow("plain")
            << QStringList{"Counter=count", "Limit=10", "Step=1", "_GRAY=f_pre_4;"}
            << "// Macro:limit\nif StrToIntDef('#Scount#', 0) + 1 >= 10 then\nbegin\n  f_pre_4;\nend;"
            << QStringList{"Counter=count", "Step=1", "Limit=10", "_GRAY=f_pre_4;"};
        QTest::newRow("apostrophe in a STRING value")
            << QStringList{"Counter=it's", "Limit=1'2", "Step=0"}
            << "// Macro:limit\nif StrToIntDef('#Sit''s#', 0) + 0 >= 1'2 then\nbegin\n  \nend;"
            << QStringList{"Counter=it's", "Step=0", "Limit=1'2", "_GRAY="};
        QTest::newRow("doubled apostrophes in a STRING value")
            << QStringList{"Counter=''", "Step=x", "Limit=y"}
            << "// Macro:limit\nif StrToIntDef('#S''''#', 0) + x >= y then\nbegin\n  \nend;"
            << QStringList{"Counter=''", "Step=x", "Limit=y", "_GRAY="};
    }
    void roundTrip()
    {
        QFETCH(QStringList, values);
        const auto macro = limitMacro();
        const StringList before(values);
        StringList in(values);
        QString code;
        macro->Generate(in, code);
        QTEST(code, "code");
        QCOMPARE(in, before);
        // Read back from the code as a page stores it and hands it over again.
        QString name, body;
        QVERIFY(ParseMacroHeader(code, name, body));
        QCOMPARE(name, QString("limit"));
        StringList out;
        QString error;
        QVERIFY2(macro->ParseValues(body, out, error), qPrintable(error));
        QTEST(out.lines(), "back");
    }

    // A value at the end of the template loses its trailing blanks through a save and a
    // reopening: the code is normalised when it is read back.
    void trailingBlanksOfTheLastValue()
    {
        MacroFolder folder;
        folder.write("t.ini", "[main]\n[Text]\ntype=STRING\n");
        folder.write("t.pas", "Result := %Text%");
        const auto macro = folder.load("t");
        const QString code = generated(*macro, {"Text=a  "});
        QCOMPARE(code, QString("// Macro:t\nResult := a  "));
        QString name, body;
        QVERIFY(ParseMacroHeader(code, name, body));
        StringList out;
        QString error;
        QVERIFY(macro->ParseValues(body, out, error));
        QCOMPARE(out.value(u"Text"), QString("a"));
    }

    // An empty value at the end leaves the template's blank before it at the end of the code,
    // which the normalised code has lost: the component stays bound when the page is opened.
    void emptyLastValueAfterABlank()
    {
        MacroFolder folder;
        folder.write("t.ini", "[main]\nusername=T\n[Text]\ntype=STRING\n");
        folder.write("t.pas", "Result := %Text%");
        RegisterMacro(folder.load("t"));
        auto page = pageWith(codeComponent("0", "DELPHI", "macro: T", "// Macro:t\r\nResult := "));
        ApplyMacros(page->FindSection("preproc")->Items(), "macro:");
        const TWQFPasMacro *bound = itemPasMacro(item(*page, 0));
        QVERIFY(bound);
        QCOMPARE(bound->Values.lines(), QStringList({"Text="}));
        QVERIFY(regenerateMacroCode(item(*page, 0)));
        QCOMPARE(GetCode(item(*page, 0)), QString("// Macro:t\nResult := "));
    }

    void parseValuesFailure()
    {
        const auto macro = limitMacro();
        StringList out(QStringList{"Limit=5"});
        QString error;
        QVERIFY(!macro->ParseValues("// Macro:limit\nif StrToIntDef('#Sx#', 0) + 1 < 2 then", out, error));
        QCOMPARE(error, QString("failed to find the text section:  >= "));
        QCOMPARE(out.lines(), QStringList({"Limit=5", "Counter=x"}));
    }

    void normalizeLineBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("normal");
        QTest::newRow("CR LF") << "a\r\nb"
                               << "a\nb";
        QTest::newRow("LF CR") << "a\n\rb"
                               << "a\nb";
        QTest::newRow("lone CR") << "a\rb"
                                 << "a\nb";
        QTest::newRow("blank line kept") << "a\r\n\r\nb"
                                         << "a\n\nb";
        QTest::newRow("LF CR LF") << "a\n\r\nb"
                                  << "a\n\nb";
        QTest::newRow("trimmed") << " \t\r\n a \n\x01"
                                 << "a";
        QTest::newRow("inner blanks kept") << "a  \n  b"
                                           << "a  \n  b";
    }
    void normalizeLineBreaks()
    {
        QFETCH(QString, text);
        QString normal = "old";
        NormalizeLineBreaks(text, normal);
        QTEST(normal, "normal");
    }

    void parseMacroHeader_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("body");
        QTest::newRow("header and body") << "// Macro:limit\r\nx;\r\n"
                                         << true << "limit"
                                         << "// Macro:limit\nx;";
        QTest::newRow("name not trimmed") << "// Macro: limit \nx" << true << " limit "
                                          << "// Macro: limit \nx";
        QTest::newRow("header only") << "// Macro:m" << true << "m"
                                     << "// Macro:m";
        QTest::newRow("name ends at CR") << "// Macro:m\rx" << true << "m"
                                         << "// Macro:m\nx";
        QTest::newRow("case counts") << "// macro:m\nx" << false << ""
                                     << "";
        QTest::newRow("blank before") << " // Macro:m" << false << ""
                                      << "";
        QTest::newRow("no blank after the slashes") << "//Macro:m" << false << ""
                                                    << "";
    }
    void parseMacroHeader()
    {
        QFETCH(QString, code);
        QString name = "old", body = "old";
        QTEST(ParseMacroHeader(code, name, body), "ok");
        QTEST(name, "name");
        QTEST(body, "body");
    }

    void codeComponents()
    {
        auto page = pageWith(codeComponent("0", "DELPHI", "", "a") + codeComponent("1", "SCRIPT", "", "b") +
                             codeComponent("2", "delphi", "", "c") + "<c><n>3</n><t>IF</t><values/></c>");
        QVERIFY(IsCodeComponent(item(*page, 0)));
        QVERIFY(IsCodeComponent(item(*page, 1)));
        QVERIFY(!IsCodeComponent(item(*page, 2)));
        QVERIFY(!IsCodeComponent(item(*page, 3)));
        QVERIFY(!IsCodeComponent(nullptr));
        QCOMPARE(GetCode(item(*page, 1)), QString("b"));
        QCOMPARE(GetCode(nullptr), QString());
        // Written as plain text, the element made when missing.
        SetCode(item(*page, 0), "x < 1");
        SetCode(item(*page, 3), "y");
        SetCode(nullptr, "z");
        QCOMPARE(written(item(*page, 0)->ValuesNode()), QByteArray("<values><v>x &lt; 1</v></values>"));
        QCOMPARE(written(item(*page, 3)->ValuesNode()), QByteArray("<values><v>y</v></values>"));
    }

    void applyMacros()
    {
        RegisterMacro(limitMacro());
        const QByteArray code = "// Macro:limit\nif StrToIntDef('#Sn#', 0) + 2 >= 9 then\nbegin\n  f_pre_1;\nend;";
        auto page = pageWith(codeComponent("0", "DELPHI", "macro: Loop limit", code, "1") +
                             codeComponent("1", "delphi", "macro: Loop limit", code) +
                             codeComponent("2", "SCRIPT", "MACRO:shouting", code) +
                             codeComponent("3", "DELPHI", "see macro: x", code) +
                             codeComponent("4", "DELPHI", "macro: edited", "// Macro:limit\nbegin end;") +
                             codeComponent("5", "DELPHI", "macro: unknown", "// Macro:other\nx") +
                             codeComponent("6", "DELPHI", "macro: no header", "if x then") +
                             codeComponent("7", "DELPHI", "macro: name case", "// Macro:LIMIT\r\n" + code.mid(15)));
        const WQFItemList &items = page->FindSection("preproc")->Items();
        ApplyMacros(items, "macro:");
        QStringList bound;
        for (const auto &i : items)
            if (HasMacro(i.get()))
                bound << i->GetName();
        // The header's name finds its macro without case, but the code must fit the template as
        // generated, header included.
        QCOMPARE(bound, QStringList({"0", "2"}));
        TWQFPasMacro *macro = itemPasMacro(items[0].get());
        QCOMPARE(macro->Macro, Macros().find("limit"));
        QCOMPARE(macro->Values.lines(), QStringList({"Counter=n", "Step=2", "Limit=9", "_GRAY=f_pre_1;"}));
        // The code of a component left unbound is not touched.
        QCOMPARE(GetCode(items[4].get()), QString("// Macro:limit\nbegin end;"));

        // Without a prefix the comment does not count.
        ApplyMacros(items, "");
        QVERIFY(HasMacro(items[3].get()));
        QVERIFY(!HasMacro(items[1].get()));
    }

    // A bound component keeps its attachment when its code still fits, and loses it when not.
    void applyMacrosAgain()
    {
        RegisterMacro(limitMacro());
        auto page = pageWith(codeComponent("0", "DELPHI", "macro: x",
                                           "// Macro:limit\nif StrToIntDef('#Sa#', 0) + 1 >= 2 then\nbegin\n  \nend;"));
        const WQFItemList &items = page->FindSection("preproc")->Items();
        ApplyMacros(items, "macro:");
        TWQFPasMacro *first = itemPasMacro(items[0].get());
        QVERIFY(first);
        SetCode(items[0].get(), "// Macro:limit\nif StrToIntDef('#Sb#', 0) + 1 >= 2 then\nbegin\n  g;\nend;");
        ApplyMacros(items, "macro:");
        QCOMPARE(itemPasMacro(items[0].get()), first);
        QCOMPARE(first->Values.value(u"Counter"), QString("b"));
        QCOMPARE(first->Values.value(u"_GRAY"), QString("g;"));
        // A macro name no longer known changes nothing.
        SetCode(items[0].get(), "// Macro:gone\nx");
        ApplyMacros(items, "macro:");
        QCOMPARE(itemPasMacro(items[0].get()), first);
        SetCode(items[0].get(), "// Macro:limit\nwhile true do");
        ApplyMacros(items, "macro:");
        QVERIFY(!HasMacro(items[0].get()));
        QCOMPARE(GetCode(items[0].get()), QString("// Macro:limit\nwhile true do"));
    }

    void grayValue_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("exits");
        QTest::addColumn<QString>("gray");
        QTest::newRow("postproc") << QByteArray("postproc") << QByteArray("<j>1</j><j>4</j>") << "orders_post_4;";
        QTest::newRow("preproc") << QByteArray("preproc") << QByteArray("<j/><j>x</j>") << "orders_pre_x;";
        QTest::newRow("first proc only, without case")
            << QByteArray("myProcproc") << QByteArray("<j/><j>2</j>") << "orders_myproc_2;";
        QTest::newRow("no proc") << QByteArray("extra") << QByteArray("<j/><j>2</j>") << "orders_extra_2;";
        QTest::newRow("second exit empty") << QByteArray("postproc") << QByteArray("<j>1</j><j/>") << "";
        QTest::newRow("one exit") << QByteArray("postproc") << QByteArray("<j>1</j>") << "";
        QTest::newRow("exit 1 is the second j")
            << QByteArray("postproc") << QByteArray("<j/><x>0</x><j>7</j><j>8</j>") << "orders_post_7;";
    }
    void grayValue()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, exits);
        auto page = loadPage("<wqf><function><fn>orders</fn></function><" + section + "><c><n>0</n><t>DELPHI</t>" +
                             exits + "<values/></c></" + section + "></wqf>");
        const TWQFSection *found = page->FindSection(QString::fromUtf8(section));
        QVERIFY(found);
        TWQFItem *component = found->Items().at(0).get();
        StringList values(QStringList{"_GRAY=old", "a=1"});
        SetItemGrayValue(values, component);
        QFETCH(QString, gray);
        QCOMPARE(values.value(u"_gray"), gray);
        QCOMPARE(values.value(u"a"), QString("1"));
        StringList direct;
        SetGrayValue(direct, page.get(), found, component);
        QCOMPARE(direct.value(u"_GRAY"), gray);
    }

    void grayValueNothing()
    {
        auto page = pageWith(codeComponent("0", "DELPHI", "", "", "1"));
        TWQFItem *component = item(*page, 0);
        StringList values(QStringList{"_GRAY=old"});
        SetGrayValue(values, nullptr, component->Section(), component);
        SetGrayValue(values, page.get(), nullptr, component);
        SetGrayValue(values, page.get(), component->Section(), nullptr);
        SetItemGrayValue(values, nullptr);
        QCOMPARE(values.lines(), QStringList({"_GRAY=old"}));
    }

    // The values of a new macro component, then its code after an exit change.
    void generateForComponent()
    {
        RegisterMacro(limitMacro());
        auto page = pageWith(codeComponent("0", "DELPHI", "", ""));
        TWQFItem *component = item(*page, 0);
        auto made = std::make_unique<TWQFPasMacro>(Macros().find("LIMIT"));
        TWQFPasMacro *macro = made.get();
        component->setMacro(std::move(made));
        macro->Macro->InitValues(macro->Values);
        SetItemGrayValue(macro->Values, component);
        QString code;
        macro->Generate(code);
        SetCode(component, code);
        QCOMPARE(GetCode(component),
                 QString("// Macro:limit\nif StrToIntDef('#Scount#', 0) + 0 >= 100 then\nbegin\n  \nend;"));
        component->SetJump(1, "3");
        SetItemGrayValue(macro->Values, component);
        macro->Generate(code);
        QCOMPARE(code,
                 QString("// Macro:limit\nif StrToIntDef('#Scount#', 0) + 0 >= 100 then\nbegin\n  f_pre_3;\nend;"));
        QString error;
        QVERIFY(macro->ParseCode(code, error));
    }

    // Generated, saved as the page file holds it, opened again and bound: the STRING value
    // comes back with its single apostrophe.
    void saveAndReopen()
    {
        RegisterMacro(limitMacro());
        auto page = pageWith(codeComponent("0", "DELPHI", "macro: Loop limit", "", "2"));
        TWQFItem *component = item(*page, 0);
        auto made = std::make_unique<TWQFPasMacro>(Macros().at(0));
        TWQFPasMacro *macro = made.get();
        component->setMacro(std::move(made));
        macro->Macro->InitValues(macro->Values);
        macro->Values.setValue("Counter", "o'clock");
        SetItemGrayValue(macro->Values, component);
        QString code;
        macro->Generate(code);
        SetCode(component, code);

        QBuffer saved;
        saved.open(QIODevice::WriteOnly);
        QVERIFY(page->SaveToStream(saved, {}));
        QVERIFY(saved.data().contains("<v>// Macro:limit\r\nif StrToIntDef('#So''clock#', 0) + 0 &gt;= 100 then\r\n"
                                      "begin\r\n  f_pre_2;\r\nend;</v>"));
        auto reopened = loadPage(saved.data());
        ApplyMacros(reopened->FindSection("preproc")->Items(), "macro:");
        const TWQFPasMacro *bound = itemPasMacro(item(*reopened, 0));
        QVERIFY(bound);
        QCOMPARE(bound->Values.lines(), QStringList({"Counter=o'clock", "Step=0", "Limit=100", "_GRAY=f_pre_2;"}));
    }

    void macroList()
    {
        for (const char *name : {"a", "B", "b"}) {
            auto macro = std::make_unique<TPascalMacro>();
            macro->Name = name;
            macro->Caption = QString(name) + "!";
            RegisterMacro(std::move(macro));
        }
        RegisterMacro(nullptr);
        QCOMPARE(Macros().count(), 3);
        QCOMPARE(Macros().indexOf("b"), 1);
        QCOMPARE(Macros().find("A")->Caption, QString("a!"));
        QCOMPARE(Macros().find("c"), nullptr);
        ClearMacros();
        QCOMPARE(Macros().count(), 0);
    }

    // An unreadable file skips its macro with a line naming it; the others load in the
    // order of the folder listing, and a macro without its .pas file is left out silently.
    void loadMacros()
    {
        MacroFolder folder;
        folder.write("b.ini", "[main]\nusername=Second\n");
        folder.write("b.pas", "two");
        folder.write("A.ini", "[main]\nusername=First\n");
        folder.write("A.pas", "one");
        folder.write("c.ini", "[main]\n");
        QVERIFY(QDir(folder.path("")).mkdir("c.pas"));
        folder.write("d.ini", "[main]\n");
        folder.write("e.ini", "\xff");
        folder.write("e.pas", "x");
        folder.write("f.pas", "no ini");
        const QStringList messages = LoadMacros(folder.path(""));
        QCOMPARE(messages, QStringList({"Macro skipped: Cannot read the file \"" + folder.path("c.pas") +
                                            "\": file to open is a directory",
                                        "Macro skipped: The file \"" + folder.path("e.ini") + "\" is not UTF-8 text"}));
        QStringList captions;
        for (int i = 0; i < Macros().count(); ++i)
            captions << Macros().at(i)->Caption;
        QCOMPARE(captions, QStringList({"First", "Second"}));
    }

    void componentOwnsItsMacro()
    {
        auto page = pageWith(codeComponent("0", "DELPHI", "", ""));
        TWQFItem *component = item(*page, 0);
        QVERIFY(!HasMacro(component));
        QVERIFY(!HasMacro(nullptr));
        auto macro = std::make_unique<TPascalMacro>();
        component->setMacro(std::make_unique<TWQFPasMacro>(macro.get()));
        QVERIFY(HasMacro(component));
        QCOMPARE(itemPasMacro(component)->Macro, macro.get());
        // Freed with the page: the sanitizer build sees a leak otherwise.
        page.reset();
    }
};

PELLORIN_TEST_CLASS(TestWQFMacros)
#include "test_wqfmacros.moc"
