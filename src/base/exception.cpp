// The program's exception types and the message of the one being handled.
#include "exception.h"

#include <new>
#include <stdexcept>

QString currentExceptionMessage()
{
    try {
        throw;
    } catch (const Exception &e) {
        return e.message();
    } catch (const std::bad_alloc &) {
        // The run-time library names these by their class; the user gets a sentence.
        return QStringLiteral("There is not enough memory to finish this");
    } catch (const std::length_error &) {
        return QStringLiteral("The data are too large to be held in memory");
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("unknown exception");
    }
}
