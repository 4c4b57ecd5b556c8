#include "common/testmain.h"
#include "model/xmldecoding.h"

#include <QStringEncoder>
#include <QTest>
#include <QXmlStreamReader>

namespace {
QByteArray encoded(const char *encoding, const QString &text, QStringConverter::Flags flags = {})
{
    QStringEncoder encoder(encoding, flags);
    return encoder(text);
}

QByteArray declaration(const QByteArray &encoding, const QByteArray &blanks = " ")
{
    return "<?xml version=\"1.0\"" + blanks + "encoding=\"" + encoding + "\"?>";
}
} // namespace

class TestXmlDecoding : public QObject {
    Q_OBJECT
private slots:
    // The characters are the reader's own: those of the page as it was written, and each markup
    // token the reader reports ends at the offset it reports.
    void readerCharacters_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("characters");
        QTest::addColumn<bool>("utf8");
        const QString page = QStringLiteral("<!DOCTYPE wqf [<!ENTITY e \"\u00e9\">]>\n<wqf a=\"\u20ac\">&e;<b/></wqf>");
        // One base64 run: none of its bytes is a character it stands for.
        const QByteArray utf7Page = "+" + encoded("UTF-16BE", page).toBase64(QByteArray::OmitTrailingEquals) + "-";
        auto declared = [&](const QByteArray &declaration) { return QString::fromLatin1(declaration) + page; };
        QTest::newRow("UTF-8") << declaration("UTF-8") + page.toUtf8() << declared(declaration("UTF-8")) << true;
        QTest::newRow("UTF-8 by another name")
            << declaration("utf8") + page.toUtf8() << declared(declaration("utf8")) << true;
        QTest::newRow("UTF-8, no declaration") << page.toUtf8() << page << true;
        QTest::newRow("UTF-16, byte-order mark")
            << encoded("UTF-16LE", declared(declaration("UTF-16")), QStringConverter::Flag::WriteBom)
            << declared(declaration("UTF-16")) << false;
        QTest::newRow("UTF-16 BE, no declaration") << encoded("UTF-16BE", page) << page << false;
        QTest::newRow("ISO-8859-15") << encoded("ISO-8859-15", declared(declaration("ISO-8859-15")))
                                     << declared(declaration("ISO-8859-15")) << false;
        QTest::newRow("UTF-7, markup in base64")
            << declaration("UTF-7") + utf7Page << declared(declaration("UTF-7")) << false;
        const QByteArray longDeclaration = declaration("UTF-7", QByteArray(1000, ' '));
        QTest::newRow("UTF-7, declaration longer than a first look")
            << longDeclaration + utf7Page << declared(longDeclaration) << false;
        QTest::newRow("EBCDIC after the declaration")
            << declaration("IBM01140") + encoded("IBM01140", page) << declared(declaration("IBM01140")) << false;
        // Decoded again as UTF-16, the input goes on from the 40th character, the 79th byte.
        QTest::newRow("UTF-16 after a declaration in ASCII")
            << declaration("UTF-16") + QByteArray(39, ' ') + encoded("UTF-16LE", page)
            << declared(declaration("UTF-16")) << false;
    }
    void readerCharacters()
    {
        QFETCH(QByteArray, in);
        const XmlDecoding decoding(in);
        QTEST(decoding.isUtf8(), "utf8");
        const QString characters = decoding.text();
        QTEST(characters, "characters");
        QXmlStreamReader reader(in);
        int tokens = 0;
        while (!reader.atEnd()) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (token != QXmlStreamReader::DTD && token != QXmlStreamReader::StartElement &&
                token != QXmlStreamReader::EndElement)
                continue;
            ++tokens;
            QVERIFY(reader.characterOffset() <= characters.size());
            QCOMPARE(characters[reader.characterOffset() - 1], u'>');
        }
        QCOMPARE(reader.errorString(), QString());
        QCOMPARE(tokens, 5);
    }

    // What the reader refuses at its declaration, or before it, gives it no characters to read.
    void nothingRead_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::newRow("unsupported encoding") << declaration("x-none") + "<wqf/>";
        QTest::newRow("not an encoding name") << declaration("1x") + "<wqf/>";
        QTest::newRow("declaration without end") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-7\"");
        QTest::newRow("three bytes") << QByteArray("<a>");
    }
    void nothingRead()
    {
        QFETCH(QByteArray, in);
        const XmlDecoding decoding(in);
        QVERIFY(!decoding.isUtf8());
        QCOMPARE(decoding.text(), QString());
    }
};

PELLORIN_TEST_CLASS(TestXmlDecoding)
#include "test_xmldecoding.moc"
