#include "common/pagefixture.h"
#include "common/testmain.h"
#include "editors/morivanecomponents.h"
#include "editors/pascompiler.h"
#include "editors/wqfmacros.h"
#include "model/wqftypes.h"

#include <QDir>
#include <QImage>
#include <QTest>

using namespace pellorin_test;

namespace {
// The description folders as shipped beside the program, from the source tree.
QString shipped(const QString &folder)
{
    return QDir(QStringLiteral(PELLORIN_TEST_DATA "/../../resources/") + folder).absolutePath();
}

// The texts of the elements below values that hold no element, in document order: what the
// property panel edits.
void leafTexts(const XmlNode *node, QStringList &texts)
{
    for (const auto &child : node->childNodes()) {
        if (!child->isElement())
            continue;
        const bool leaf = std::none_of(child->childNodes().begin(), child->childNodes().end(),
                                       [](const auto &n) { return n->isElement(); });
        if (leaf)
            texts << child->textContent();
        else
            leafTexts(child.get(), texts);
    }
}

QStringList paramValues(const TWQFItem *item)
{
    QStringList values;
    GetParamValues(item, &values);
    return values;
}
} // namespace

// The component kinds, macros and Pascal sources the program ships with.
class TestShippedDescriptions : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QCOMPARE(LoadComponentDescrs(shipped("components")), QStringList());
        QCOMPARE(LoadMacros(shipped("macros")), QStringList());
    }
    void cleanup()
    {
        clearComponentDescrs();
        ClearMacros();
    }

    void kinds()
    {
        QStringList names;
        for (const auto &kind : ComponentDescrs()) {
            names << kind->Name;
            QVERIFY2(!kind->UserName.isEmpty(), qPrintable(kind->Name));
            QVERIFY2(kind->FieldCount() > 0, qPrintable(kind->Name));
            QCOMPARE(kind->paramNodesError(), QString());
            QCOMPARE(kind->variableParamNodesError(), QString());
            // A picture for the palette and the diagram, of the diagram's box size.
            const QImage picture(shipped("images") + "/rule" + kind->Name + ".png");
            QVERIFY2(!picture.isNull(), qPrintable(kind->Name));
            QCOMPARE(picture.size(), QSize(32, 32));
        }
        QCOMPARE(names, QStringList({"DELPHI", "EXTERNAL", "IF", "INSERTUPDATEQUERY", "SCRIPT", "SELECTQUERY", "SET",
                                     "TEMPLATE"}));
        QCOMPARE(QImage(shipped("images") + "/comment.png").size(), QSize(32, 32));
    }

    // Every value the sample page holds belongs to a field of its kind, so the property
    // panel shows and edits all of them.
    void samplePageValues()
    {
        TWQFFile page;
        QVERIFY(page.LoadFromFile(shipped("samples") + "/customer_orders.wqf", {}));
        int components = 0;
        for (const auto &section : page.Sections())
            for (const auto &item : section->Items()) {
                QVERIFY2(FindComponentDescr(item->GetType()), qPrintable(item->GetType()));
                QStringList leaves;
                leafTexts(item->ValuesNode(), leaves);
                QVERIFY(!leaves.isEmpty());
                QCOMPARE(paramValues(item.get()), leaves);
                ++components;
            }
        QCOMPARE(components, 10);
    }

    // A component placed from the palette, with one "Add" where the kind has entries: the
    // kind recognises every element it made.
    void newComponents()
    {
        auto page = pageWith("");
        TWQFSection *section = page->FindSection("preproc");
        for (const auto &kind : ComponentDescrs()) {
            TWQFItem *item = section->AddItem(kind->Name);
            kind->CreateParamNodes(item, true);
            kind->AddVariableParamNodes(item);
            QStringList leaves;
            leafTexts(item->ValuesNode(), leaves);
            QVERIFY2(!leaves.isEmpty(), qPrintable(kind->Name));
            QCOMPARE(paramValues(item), leaves);
        }
        QCOMPARE(written(section->Items()[6]->ValuesNode()), QByteArray("<values><n/><v/><n/><v/></values>"));
        QCOMPARE(written(section->Items()[5]->ValuesNode()),
                 QByteArray("<values><query/><param><n/><t/><v/></param></values>"));
    }

    // Each macro makes code from its defaults that it reads back after a save, with and
    // without the grey exit.
    void macros()
    {
        QStringList names;
        for (int i = 0; i < Macros().count(); ++i) {
            const TPascalMacro *macro = Macros().at(i);
            names << macro->Name + ": " + macro->Caption;
            QCOMPARE(QImage(shipped("images") + "/macro" + macro->Name + ".png").size(), QSize(32, 32));
            for (const QString gray : {"", "orders_pre_4;"}) {
                StringList values;
                macro->InitValues(values);
                values.setValue("_GRAY", gray);
                QString code;
                macro->Generate(values, code);
                QVERIFY(code.startsWith("// Macro:" + macro->Name + "\n"));
                QString name, body;
                QVERIFY(ParseMacroHeader(code + "\r\n", name, body));
                StringList back;
                QString error;
                QVERIFY2(macro->ParseValues(body, back, error), qPrintable(macro->Name + ": " + error));
                for (qsizetype p = 0; p < macro->ParamTypes.count(); ++p) {
                    const QString param = macro->ParamTypes.name(p);
                    QCOMPARE(back.value(param), values.value(param));
                }
            }
        }
        QCOMPARE(names, QStringList({"looplimit: Loop limit", "requiredvalue: Required", "sharepercent: Share in %"}));
        // The untyped parameter is an integer with the default 0.
        const TPascalMacro *share = Macros().find("sharepercent");
        QCOMPARE(share->ParamTypes.lines(), QStringList({"Part=STRING", "Whole=STRING", "Digits=INTEGER"}));
        QCOMPARE(share->ParamDefaults.value(u"Digits"), QString("0"));
    }

    void pascalSources()
    {
        LoadUnits(shipped("pascal"));
        QStringList names;
        for (const auto &unit : PascalUnits())
            names << unit->Name;
        QCOMPARE(names, QStringList({"pagetexts", "percent.pasfn"}));
    }
};

PELLORIN_TEST_CLASS(TestShippedDescriptions)
#include "test_shippeddescriptions.moc"
