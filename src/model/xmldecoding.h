#pragma once
// The characters Qt's reader parses from a document's bytes, for whatever looks at the bytes
// before it does. The reader guesses an encoding from the first bytes (a byte-order mark, else the
// zero bytes around a first "<", else UTF-8) and reads its declaration in it; then it decodes the
// whole input again in the encoding the declaration names, any its converter knows (UTF-7 and
// the EBCDIC code pages among them), and goes on from the character after the declaration.
// A byte the decoding cannot take becomes U+FFFD; the reader may stop at it (it does with its own
// UTF-8, not with the converters it borrows), so the characters here are those it reads if it
// goes on.
#include <QByteArray>
#include <QString>
#include <QStringConverter>

class XmlDecoding {
public:
    explicit XmlDecoding(const QByteArray &input);

    // Whether the reader's characters are the input's bytes read as UTF-8, so that a look at the
    // bytes sees them as they are.
    bool isUtf8() const;
    // The characters the reader parses; empty when it stops at its declaration or before.
    QString text() const;

private:
    QByteArray m_input;
    QStringConverter::Encoding m_guessed = QStringConverter::Utf8;
    QByteArray m_declared; // the encoding the reader turns to after its declaration; empty for none
    qsizetype m_declarationEnd = 0; // the characters it reads in the guessed encoding
    bool m_readsNothing = false; // it stops at its declaration, or before
};
