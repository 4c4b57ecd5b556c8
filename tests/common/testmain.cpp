#include "testmain.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace pellorin_test {
namespace {
std::map<std::string, Factory> &registry()
{
    static std::map<std::string, Factory> classes;
    return classes;
}
} // namespace

bool registerTestClass(const char *name, Factory factory)
{
    registry().emplace(name, std::move(factory));
    return true;
}
} // namespace pellorin_test

// Usage: test_<lib> [-class Name] [Qt Test arguments]
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings written by the code under test never reach the real user's folder.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

    std::string only;
    std::vector<char *> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-class") == 0) {
            if (i + 1 == argc) {
                std::fprintf(stderr, "-class needs a test class name\n");
                return 2;
            }
            only = argv[++i];
        } else {
            args.push_back(argv[i]);
        }
    }
    int qtArgc = int(args.size());
    QApplication app(qtArgc, args.data());

    // A filter that matches nothing must not pass: a renamed class would keep a green entry.
    if (!only.empty() && !pellorin_test::registry().count(only)) {
        std::fprintf(stderr, "no test class named %s\n", only.c_str());
        return 2;
    }
    int failed = 0;
    for (const auto &[name, factory] : pellorin_test::registry()) {
        if (!only.empty() && only != name)
            continue;
        std::unique_ptr<QObject> test = factory();
        failed += QTest::qExec(test.get(), qtArgc, args.data()) != 0 ? 1 : 0;
    }
    if (failed)
        std::fprintf(stderr, "%d test class(es) failed\n", failed);
    return failed ? 1 : 0;
}
