#pragma once
// Whole files as byte strings (no conversion of encoding or line breaks), folder listings
// and temporary files.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The name of a new empty file in the temporary folder (made with its parents when missing),
// readable and writable by its owner only, made and closed again so that no one else can take
// the name over; the caller removes it. Raises Exception when the folder or the file cannot be
// made. For the program's own use: in a folder others can write, the name may lead elsewhere
// by the time a child program opens it, so what a child gets goes in a RunFolder.
QString TempFileName();

// Appends the names (without folder) of the entries of dir that match mask and attr (kinds
// of platform::FileAttr), sorted by name without case, never "." or "..". The list is not
// cleared first; nothing happens without a list; a missing folder adds nothing.
void ListFolder(const QString &dir, const QString &mask, unsigned attr, QStringList *list);

// The whole file; '' for an empty file and on any error.
QByteArray LoadFileToString(const QString &fileName);
// Makes the file hold exactly text (an existing file is truncated); false on any error. It
// writes in place, so a failure can leave the file half written: the program itself writes
// every whole file through base/atomicfile and keeps this one as the file routines' writer.
bool SaveStringToFile(const QByteArray &text, const QString &fileName);
// Writes text to a new file of the temporary folder, made as TempFileName makes one, through
// the handle it was created with. fileName is set even when writing fails; raises where
// TempFileName does. For the program's own use, as TempFileName.
bool SaveToTempFile(const QByteArray &text, QString &fileName);

// A folder made in the temporary folder for one run of a child program, which only its owner
// may list, enter or change (0700): no one else can put a file or a link under a name in it
// between the moment the program makes a file there and the moment a child opens it. What the
// program reads back is opened through the folder itself, so a folder put in its place under
// its name is never read. Everything in it goes with it.
class RunFolder {
public:
    // Raises Exception when the temporary folder or this one cannot be made.
    RunFolder();
    ~RunFolder();
    RunFolder(const RunFolder &) = delete;
    RunFolder &operator=(const RunFolder &) = delete;

    QString path() const { return m_dir.path(); }
    // A new empty file in the folder, made exclusively next to the folder's descriptor (never
    // through its path, which someone may have swapped by then), readable and writable by its
    // owner only and open for reading and writing; fileName receives its path, the one a child
    // gets. Write through it, never by its name. Raises Exception when it cannot be made.
    std::unique_ptr<QFile> newFile(QString &fileName) const;
    // Writes text to a new file of the folder through the handle it was created with.
    // fileName is set even when writing fails; raises where newFile does.
    bool saveFile(const QByteArray &text, QString &fileName) const;
    // A plain file of the folder, named by its path, opened for reading without following a
    // link; none, with the reason in error, when it cannot be.
    std::unique_ptr<QFile> openFile(const QString &fileName, QString &error) const;
    // The whole file of the folder; '' for an empty file and on any error.
    QByteArray loadFile(const QString &fileName) const;

private:
    QTemporaryDir m_dir;
#ifdef Q_OS_UNIX
    int m_fd = -1;
#endif
};
