#pragma once
// What the fuzz targets share. A target states properties of what it reads with FUZZ_CHECK;
// a property that fails prints its text, its detail and the input, then aborts, so that
// libFuzzer stores the input as a crash file the runner shows.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// The input of the run in progress, so that a failed property can print it.
class Input {
public:
    Input(const uint8_t *data, size_t size);
    ~Input();
    Input(const Input &) = delete;
    Input &operator=(const Input &) = delete;
    // A deep copy: the fuzzer's buffer is not to be kept.
    QByteArray bytes() const { return QByteArray(reinterpret_cast<const char *>(m_data), qsizetype(m_size)); }
    QString text() const { return QString::fromUtf8(bytes()); }

private:
    const uint8_t *m_data;
    size_t m_size;
};

[[noreturn]] void fail(const char *property, const char *file, int line, const QString &detail);

// C escapes, so that control characters and bytes above 127 can be read and pasted back.
QByteArray escaped(const QByteArray &bytes);
inline QByteArray escaped(const QString &text) { return escaped(text.toUtf8()); }

// A QGuiApplication on the offscreen platform, for targets that measure text.
void startGuiApplication();

// Valid UTF-8 without a NUL: what the program's description files must be.
bool isUtf8Text(const QByteArray &bytes);

// An input that stands for two files: the bytes before its first NUL, and those after it.
struct TwoFiles {
    QByteArray first;
    QByteArray second;
    bool hasSecond = false; // the input holds a NUL
};
TwoFiles twoFiles(const QByteArray &bytes);

// A folder of the process's own for readers that take files, ending with "/", in memory when
// the system allows; it goes when the process ends normally.
const QString &scratchDir();
// Replaces the file's bytes; aborts when it cannot, since the run would test nothing.
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace fuzz

#define FUZZ_CHECK(condition, detail)                                                                                  \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::fuzz::fail(#condition, __FILE__, __LINE__, (detail));                                                    \
    } while (false)
