#pragma once
// A highlighter driven by word lists: C-style comments, quoted strings, numbers, and words
// looked up without case among keywords, constants and objects. Every printable character
// belongs to a word, so words end only at blanks and line ends ("alert(x)" is one word).
#include <Qsci/qscilexercustom.h>

#include <QByteArray>
#include <QSet>
#include <QStringList>
#include <vector>

struct KeywordRun {
    int length; // bytes
    int style;
    friend bool operator==(const KeywordRun &, const KeywordRun &) = default;
};

class KeywordScanner {
public:
    enum Style { Default = 0, Comment, Keyword, Constant, Object, Number, String, StyleCount };

    // The words in any case; they are compared upper-cased.
    void setWords(const QStringList &keywords, const QStringList &constants, const QStringList &objects);
    // Splits UTF-8 text into styled runs covering every byte. inComment carries an open
    // "/*" comment in and out, so text can be scanned line by line.
    std::vector<KeywordRun> scan(const QByteArray &text, bool &inComment) const;
    Style wordStyle(const QByteArray &word) const;

private:
    QSet<QByteArray> m_keywords, m_constants, m_objects;
};

class KeywordLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    explicit KeywordLexer(QObject *parent = nullptr);

    KeywordScanner &scanner() { return m_scanner; }

    const char *language() const override;
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QFont defaultFont(int style) const override;
    void styleText(int start, int end) override;

private:
    KeywordScanner m_scanner;
};
