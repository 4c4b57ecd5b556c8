#pragma once
// The program's exceptions carry the fixed texts the user sees.
#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The message of the exception being handled: the program's own text, the library's what(),
// or "unknown exception" for anything else. Call it only inside a catch handler.
QString currentExceptionMessage();

// Ends a command silently; the event loop ignores it.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// Text that cannot be turned into what was asked (encoding, numbers).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The fixed run-time check failures.
class ERunError : public Exception {
public:
    using Exception::Exception;
    static ERunError nilReference() { return ERunError(QStringLiteral("Object reference is Nil")); }
    static ERunError rangeCheck() { return ERunError(QStringLiteral("Range check error")); }
    static ERunError overflow() { return ERunError(QStringLiteral("Arithmetic overflow")); }
    static ERunError invalidCast() { return ERunError(QStringLiteral("Invalid type cast")); }
};
