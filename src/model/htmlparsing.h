#pragma once
// A forgiving tokenizer for the HTML part of a page: runs of text, opening, closing and
// self-closed tags with their attributes, comments as opening tags named "!--", and the raw
// text of a script element. It works on the UTF-8 bytes, so every position counts bytes.
// Problems become error texts of the current token; only four of them end tokenizing.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

// One attribute, as written: the value keeps its quotes and is empty when there is none.
struct TTagAttributes {
    QString Name;
    QString Value;
    bool HasValue = false; // an '=' followed the name

    friend bool operator==(const TTagAttributes &, const TTagAttributes &) = default;
};

enum TMarkupTokenKind : uint8_t { mtText = 0, mtOpenTag = 1, mtCloseTag = 2, mtSelfClosed = 3 };

class TMarkupParser {
public:
    // The parser serves one text: Init once, then Next until it returns false.
    void Init(const QByteArray &source, qsizetype startPos = 1);
    void Init(const QString &source, qsizetype startPos = 1) { Init(source.toUtf8(), startPos); }
    // False when nothing is left or a fatal error ended the token (the fields then hold what
    // was read of it).
    bool Next();

    const QByteArray &Source() const { return m_source; }
    TMarkupTokenKind Kind() const { return m_kind; }
    // Texts of the current token, converted on request; the *Bytes forms are views into Source.
    QString TagName() const { return QString::fromUtf8(tagNameBytes()); }
    QByteArrayView tagNameBytes() const { return span(m_tagName); }
    // The tag name of the previous token when that one was an opening tag, else ''.
    QString PrevOpenTag() const { return QString::fromUtf8(span(m_prevOpenTag)); }
    // The text of a text token, or the body of a comment.
    QString Text() const { return QString::fromUtf8(textBytes()); }
    QByteArrayView textBytes() const { return span(m_text); }

    // The attributes of the last tag read; a text token keeps those of the tag before it.
    int AttrCount() const { return m_attrCount; }
    TTagAttributes attribute(int i) const;
    QByteArrayView attributeNameBytes(int i) const { return span(m_attrs.at(i).name); }
    QByteArrayView attributeValueBytes(int i) const { return span(m_attrs.at(i).value); }
    bool attributeHasValue(int i) const { return m_attrs.at(i).hasValue; }
    // Room for attributes; it only grows, by doubling, and serves every tag of the text.
    int attrCapacity() const { return int(m_attrs.size()); }

    // 1-based position and length of the current token, and where the next one starts.
    qsizetype TokenStart() const { return m_tokenStart; }
    qsizetype TokenLength() const { return m_tokenLength; }
    qsizetype Pos() const { return m_pos; }
    // The error texts of the current token, joined by CR LF.
    const QString &Errors() const { return m_errors; }

private:
    struct Span {
        qsizetype start = 0; // 0-based
        qsizetype length = 0;
    };
    struct AttrSpans {
        Span name;
        Span value;
        bool hasValue = false;
    };

    QByteArrayView span(Span s) const { return QByteArrayView(m_source.constData() + s.start, s.length); }
    Span spanTo(qsizetype start, qsizetype endPos) const { return Span{start - 1, endPos - start}; }
    bool atEnd() const { return m_pos > m_source.size(); }
    char current() const { return m_source.at(m_pos - 1); }

    bool ParseTag();
    bool ParseComment(qsizetype bodyStart);
    void ReadText();
    bool isRawText() const;
    void AddAttribute(Span name, Span value, bool hasValue);
    void SetError(const QString &text, bool replace = false);
    void SetErrorFmt(const char *tmpl, QByteArrayView argument, bool replace = false);
    static bool IsValidTagName(QByteArrayView name) { return !name.isEmpty(); }
    static bool IsValidAttrName(QByteArrayView name) { return !name.isEmpty(); }

    QByteArray m_source;
    Span m_prevOpenTag;
    Span m_tagName;
    TMarkupTokenKind m_kind = mtText;
    std::vector<AttrSpans> m_attrs;
    Span m_text;
    int m_attrCount = 0;
    qsizetype m_tokenStart = 0;
    qsizetype m_tokenLength = 0;
    qsizetype m_pos = 0;
    QString m_errors;
};
