#include "base/inifile.h"
#include "common/testmain.h"
#include "common/testutil.h"
#include "model/scriptcontainer.h"
#include "model/wqftypes.h"
#include "platform/appdirs.h"
#include "platform/folderlist.h"

#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTest>

using pellorin_test::readBytes;

namespace {
const QString kResources = QStringLiteral(PELLORIN_RESOURCES);

QStringList componentFiles()
{
    return platform::listFolderEntries(kResources + "/components", "*.ini", platform::faAnyFile);
}

QString childText(const XmlNode *node, const QString &name)
{
    const XmlElement *child = node ? node->firstChildElement(name) : nullptr;
    return child ? child->textContent() : QString();
}
} // namespace

// The description folders and the sample page the program ships with.
class TestResources : public QObject {
    Q_OBJECT
private slots:
    void catalogue()
    {
        const QStringList files = componentFiles();
        QCOMPARE(files, QStringList({"DELPHI.ini", "EXTERNAL.ini", "IF.ini", "INSERTUPDATEQUERY.ini", "SCRIPT.ini",
                                     "SELECTQUERY.ini", "SET.ini", "TEMPLATE.ini"}));
        for (const QString &file : files) {
            const QString path = kResources + "/components/" + file;
            const IniFile ini(path);
            QVERIFY2(ini.readOk(), qPrintable(file));
            const QString kind = QFileInfo(file).completeBaseName();
            QCOMPARE(ini.readString("MAIN", "Name"), kind);
            QVERIFY(!ini.readString("MAIN", "UserName").isEmpty());
            for (const QString &section : ini.sections()) {
                if (section == "MAIN")
                    continue;
                // Every field names its value element; a repeatable one its name element too.
                QVERIFY2(!ini.readString(section, "tag").isEmpty(), qPrintable(file + ": " + section));
                if (ini.readString(section, "variable") == "1")
                    QVERIFY2(!ini.readString(section, "nametag").isEmpty(), qPrintable(file + ": " + section));
            }
            const QImage picture(kResources + "/images/rule" + kind + ".png");
            QCOMPARE(picture.size(), QSize(32, 32));
            // Copied beside the program.
            QCOMPARE(readBytes(platform::programFolder() + "components/" + file), readBytes(path));
            QVERIFY(QFile::exists(platform::programFolder() + "images/rule" + kind + ".png"));
        }
        QCOMPARE(QImage(kResources + "/images/comment.png").size(), QSize(32, 32));
    }

    // The macros and the Pascal sources are copied beside the program too.
    void macrosAndPascal()
    {
        for (const char *folder : {"macros", "pascal"}) {
            const QStringList files = platform::listFolderEntries(kResources + "/" + folder, "*", platform::faAnyFile);
            QVERIFY(!files.isEmpty());
            for (const QString &file : files)
                QCOMPARE(readBytes(platform::programFolder() + folder + "/" + file),
                         readBytes(kResources + "/" + folder + "/" + file));
        }
    }

    void samplePage()
    {
        const QString path = kResources + "/samples/customer_orders.wqf";
        QVERIFY(IsWQFFile(path));
        TWQFFile page;
        QVERIFY2(page.LoadFromFile(path, poForceHeader), qPrintable(page.LastError()));
        QCOMPARE(page.GetFunctionName(), QString("customer_orders"));
        QCOMPARE(page.GetEditorNotes().count("[[@@rect "), 2);
        const QString script = QString::fromUtf8(GetScript(page.GetHtml().toUtf8()));
        QVERIFY(script.startsWith("function checkNote(form) {\n"));
        QVERIFY(script.contains("note.length > 500 && !confirm("));

        QSet<QString> kinds;
        for (const QString &file : componentFiles())
            kinds << QFileInfo(file).completeBaseName();
        for (const char *name : {"preproc", "postproc"}) {
            const TWQFSection *section = page.FindSection(name);
            QVERIFY(section);
            QSet<QString> names;
            for (const auto &item : section->Items())
                names << NodeTextDef(item->NNode(), "");
            QCOMPARE(names.size(), qsizetype(section->Items().size()));
            for (const auto &item : section->Items()) {
                QVERIFY(kinds.contains(NodeTextDef(item->TNode(), "")));
                // Every exit leads to a component of the same section.
                for (const auto &child : item->Node()->childNodes())
                    if (child->nodeName() == "j" && !child->textContent().isEmpty())
                        QVERIFY2(names.contains(child->textContent()), qPrintable(child->textContent()));
                if (NodeTextDef(item->TNode(), "") == "TEMPLATE")
                    QCOMPARE(childText(item->Node()->firstChildElement("values"), "n"), page.GetFunctionName());
            }
        }
        QCOMPARE(page.FindSection("preproc")->Items().size(), size_t(6));
        QCOMPARE(page.FindSection("postproc")->Items().size(), size_t(4));
    }
};

PELLORIN_TEST_CLASS(TestResources)
#include "test_resources.moc"
