#pragma once
// Every test class of a folder registers itself here; the folder's one executable runs them all.
#include <QObject>
#include <functional>
#include <memory>

namespace pellorin_test {
using Factory = std::function<std::unique_ptr<QObject>()>;
bool registerTestClass(const char *name, Factory factory);
} // namespace pellorin_test

#define PELLORIN_TEST_CLASS(Class)                                                                                     \
    static const bool registered##Class =                                                                              \
        ::pellorin_test::registerTestClass(#Class, [] { return std::unique_ptr<QObject>(new Class); });
