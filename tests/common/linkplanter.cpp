// The checked build's own wrapper around open would clash with the definition below.
#undef _FORTIFY_SOURCE
#include "linkplanter.h"

#include <QFile>

#include <atomic>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace pellorin_test {
struct Planting {
    QByteArray folder; // with a final slash
    QByteArray target;
    std::atomic<int> count{0};
};
} // namespace pellorin_test

namespace {
using pellorin_test::Planting;
// The planting of the planter that holds, if any; the planter owns it.
std::atomic<Planting *> g_planting{nullptr};

void plantAt(const char *path)
{
    Planting *planting = g_planting.load();
    if (!planting || !QByteArray(path).startsWith(planting->folder))
        return;
    if (::unlink(path) == 0 && ::symlink(planting->target.constData(), path) == 0)
        ++planting->count;
}
} // namespace

// Qt makes a new file either as an unnamed one that linkat then names, or by an exclusive
// open64; the program's own files are made by an exclusive openat. These definitions in the
// executable come before the C library's.
extern "C" int linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags)
{
    using Link = int (*)(int, const char *, int, const char *, int);
    static const auto realLink = reinterpret_cast<Link>(::dlsym(RTLD_NEXT, "linkat"));
    const int result = realLink(fromFolder, from, toFolder, to, flags);
    if (result == 0)
        plantAt(to);
    return result;
}

extern "C" int open64(const char *path, int flags, ...)
{
    using Open = int (*)(const char *, int, ...);
    static const auto realOpen = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "open64"));
    mode_t mode = 0;
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list args;
        va_start(args, flags);
        mode = mode_t(va_arg(args, int));
        va_end(args);
    }
    const int fd = realOpen(path, flags, mode);
    if (fd >= 0 && (flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL))
        plantAt(path);
    return fd;
}

// The program makes the files of a run's own folder next to the folder's descriptor.
extern "C" int openat(int folder, const char *path, int flags, ...)
{
    using Open = int (*)(int, const char *, int, ...);
    static const auto realOpen = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "openat"));
    mode_t mode = 0;
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list args;
        va_start(args, flags);
        mode = mode_t(va_arg(args, int));
        va_end(args);
    }
    const int fd = realOpen(folder, path, flags, mode);
    if (fd >= 0 && (flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL) && path[0] != '/') {
        char where[4096];
        const ssize_t size = ::readlink(("/proc/self/fd/" + std::to_string(folder)).c_str(), where, sizeof where - 1);
        if (size > 0)
            plantAt((std::string(where, size_t(size)) + '/' + path).c_str());
    }
    return fd;
}

namespace pellorin_test {

LinkPlanter::LinkPlanter(const QString &folder, const QString &target) : m_planting(std::make_unique<Planting>())
{
    m_planting->folder = QFile::encodeName(folder.endsWith(u'/') ? folder : folder + u'/');
    m_planting->target = QFile::encodeName(target);
    g_planting.store(m_planting.get());
}

LinkPlanter::~LinkPlanter() { g_planting.store(nullptr); }

int LinkPlanter::planted() const { return m_planting->count.load(); }

} // namespace pellorin_test
