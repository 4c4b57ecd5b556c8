#include "common/testmain.h"
#include "editors/dynamicctrlutils.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QTest>

class TestDynamicCtrlUtils : public QObject {
    Q_OBJECT
private slots:
    void tabKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << "a\n  b\nc";
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "a\n  b\nc";
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << "  a\n    b\nc";
        QTest::newRow("Ctrl+Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                        << "a\nb\nc";
    }
    void tabKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QsciScintilla editor;
        editor.setIndentationWidth(2);
        editor.setTabWidth(2);
        editor.setIndentationsUseTabs(false);
        RebindTabKeys(&editor);
        editor.setText("a\n  b\nc");
        editor.setSelection(0, 0, 1, 3);
        editor.show();
        QApplication::setActiveWindow(&editor);
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QTest::keyClick(editor.viewport(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(editor.text(), "text");
    }

    void fontToDpi_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<double>("pointSize");
        QTest::addColumn<bool>("defaultQuality");
        QFont pixels("Courier New");
        pixels.setPixelSize(16);
        pixels.setStyleStrategy(QFont::NoAntialias);
        QFont points("Courier New", 10);
        points.setStyleStrategy(QFont::NoAntialias);
        QTest::newRow("pixels at 96") << pixels << 96 << 16 << -1.0 << false;
        QTest::newRow("pixels at 144") << pixels << 144 << -1 << 12.0 << true;
        QTest::newRow("pixels at 72") << pixels << 72 << -1 << 12.0 << false;
        QTest::newRow("points at 144") << points << 144 << -1 << 10.0 << true;
        QTest::newRow("points at 96") << points << 96 << -1 << 10.0 << false;
    }
    void fontToDpi()
    {
        QFETCH(QFont, font);
        QFETCH(int, dpi);
        const QFont scaled = ScaleFontToDpi(font, dpi);
        QTEST(scaled.pixelSize(), "pixelSize");
        QTEST(scaled.pointSizeF(), "pointSize");
        QTEST(scaled.styleStrategy() == QFont::PreferDefault, "defaultQuality");
        // Applying it again changes nothing more.
        QCOMPARE(ScaleFontToDpi(scaled, dpi), scaled);
        QCOMPARE(scaled.family(), font.family());
    }

    void editorAndHighlighterFonts()
    {
        QsciScintilla editor;
        auto *lexer = new QsciLexerHTML(&editor);
        QFont font("Courier New");
        font.setPixelSize(14);
        lexer->setFont(font);
        editor.setLexer(lexer);
        ScaleSynEditToDpi(&editor);
        const int dpi = editor.logicalDpiY();
        QCOMPARE(lexer->font(QsciLexerHTML::Tag), ScaleFontToDpi(font, dpi));
        ScaleSynEditToDpi(nullptr);
    }
};

PELLORIN_TEST_CLASS(TestDynamicCtrlUtils)
#include "test_dynamicctrlutils.moc"
