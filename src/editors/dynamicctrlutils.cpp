#include "dynamicctrlutils.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

void RebindTabKeys(QsciScintilla *Editor)
{
    if (!Editor)
        return;
    QsciCommandSet *commands = Editor->standardCommands();
    if (QsciCommand *tab = commands->find(QsciCommand::Tab)) {
        tab->setKey(QKeyCombination(Qt::CTRL, Qt::Key_Tab).toCombined());
        tab->setAlternateKey(0);
    }
    if (QsciCommand *backtab = commands->find(QsciCommand::Backtab)) {
        backtab->setKey(QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Tab).toCombined());
        backtab->setAlternateKey(0);
    }
}

QFont ScaleFontToDpi(QFont Font, int Dpi)
{
    if (Dpi > 96)
        Font.setStyleStrategy(QFont::PreferDefault);
    if (Dpi != 96 && Font.pixelSize() > 0)
        Font.setPointSizeF(Font.pixelSize() * 72.0 / 96.0);
    return Font;
}

void ScaleSynEditToDpi(QsciScintilla *Editor)
{
    if (!Editor)
        return;
    const int dpi = Editor->logicalDpiY();
    Editor->setFont(ScaleFontToDpi(Editor->font(), dpi));
    QsciLexer *lexer = Editor->lexer();
    if (!lexer)
        return;
    lexer->setDefaultFont(ScaleFontToDpi(lexer->defaultFont(), dpi));
    for (int style = 0; style <= QsciScintillaBase::STYLE_MAX; ++style)
        if (!lexer->description(style).isEmpty())
            lexer->setFont(ScaleFontToDpi(lexer->font(style), dpi), style);
}
