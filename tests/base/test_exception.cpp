#include "base/exception.h"
#include "common/testmain.h"

#include <QTest>
#include <functional>
#include <new>
#include <stdexcept>

Q_DECLARE_METATYPE(std::function<void()>)

class TestException : public QObject {
    Q_OBJECT
private slots:
    void currentMessage_data()
    {
        QTest::addColumn<std::function<void()>>("raise");
        QTest::addColumn<QString>("message");
        QTest::newRow("own") << std::function<void()>([] { throw Exception("Unable to write file"); })
                             << "Unable to write file";
        QTest::newRow("own subclass") << std::function<void()>([] { throw ERunError::rangeCheck(); })
                                      << "Range check error";
        QTest::newRow("abort") << std::function<void()>([] { throw EAbort(); }) << "Operation aborted";
        QTest::newRow("library") << std::function<void()>([] { throw std::runtime_error("no more processes"); })
                                 << "no more processes";
        QTest::newRow("UTF-8 of the library") << std::function<void()>([] { throw std::runtime_error("f\xc3\xa4hrt"); })
                                              << QString::fromUtf8("f\xc3\xa4hrt");
        // Never the class name the run-time library gives them.
        QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                       << "There is not enough memory to finish this";
        QTest::newRow("too long") << std::function<void()>([] { throw std::length_error("vector::_M_realloc_insert"); })
                                  << "The data are too large to be held in memory";
        QTest::newRow("anything else") << std::function<void()>([] { throw 42; }) << "unknown exception";
    }
    void currentMessage()
    {
        QFETCH(std::function<void()>, raise);
        QString message;
        try {
            raise();
        } catch (...) {
            message = currentExceptionMessage();
        }
        QTEST(message, "message");
    }
};

PELLORIN_TEST_CLASS(TestException)
#include "test_exception.moc"
