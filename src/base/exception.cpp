#include "exception.h"

QString currentExceptionMessage()
{
    try {
        throw;
    } catch (const Exception &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("unknown exception");
    }
}
