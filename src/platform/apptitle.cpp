// The application's title shown for the open page.
#include "apptitle.h"

#include <QCoreApplication>
#include <optional>

namespace {
std::optional<QString> g_title;
} // namespace

namespace platform {
QString applicationTitle() { return g_title ? *g_title : QCoreApplication::applicationName(); }

void setApplicationTitle(const QString &title) { g_title = title; }
} // namespace platform
