// Where a page lives on disk: its folder held from the open to the close, its file's identity and
// mode, and the check before the rename.
#include "pagefile.h"

#include <QFileInfo>

#include <cerrno>

namespace {
void setReason(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}
} // namespace

PageFile::PageFile(const QString &path) : m_path(path)
{
    const QFileInfo info(path);
    QString file = path;
    if (info.isSymLink()) {
        if (const QString target = info.canonicalFilePath(); !target.isEmpty()) {
            file = target;
            m_throughLink = true;
            m_linkFolder = HeldFolder::open(info.path());
        }
    }
    const QFileInfo fileInfo(file);
    m_folder = HeldFolder::open(fileInfo.path(), &m_folderError);
    m_name = fileInfo.fileName();
    if (const std::optional<NameStatus> there = m_folder.status(m_name); there && there->isFile)
        m_file = there;
}

void PageFile::setReplaceQuestion(ReplaceQuestion question)
{
    m_question = std::move(question);
    m_lastResult = WriteResult::Written;
}

PageFile::Place PageFile::place() const
{
    if (!m_folder.isHeld())
        return Place::Changed;
    if (m_throughLink) {
        // Still a link, and still to the page's file in the page's folder.
        const QFileInfo info(m_path);
        const QFileInfo target(info.isSymLink() ? info.canonicalFilePath() : QString());
        if (target.filePath().isEmpty() || target.fileName() != m_name || !m_folder.isWherePathLeads(target.path()))
            return Place::Changed;
    } else if (!m_folder.isWherePathLeads(QFileInfo(m_path).path())) {
        return Place::Changed;
    }
    const std::optional<NameStatus> there = m_folder.status(m_name);
    if (!there)
        return Place::Gone;
    return m_file && there->holds(*m_file) ? Place::Page : Place::Changed;
}

std::optional<unsigned> PageFile::mode()
{
    if (!m_file)
        return std::nullopt;
    if (const std::optional<NameStatus> there = m_folder.status(m_name); there && there->holds(*m_file))
        m_file->mode = there->mode;
    return m_file->mode & 0777;
}

std::optional<QByteArray> PageFile::read(unsigned *mode, QString *error) const
{
    QString reason;
    if (!m_folder.isHeld())
        reason = m_folderError;
    else if (!m_file)
        reason = m_folder.status(m_name) ? QStringLiteral("It is not a plain file") : qt_error_string(ENOENT);
    else if (place() != Place::Page)
        reason = QStringLiteral("It has been changed by another program");
    else
        return m_folder.read(m_name, m_file->identity, mode, error);
    setReason(error, reason);
    return std::nullopt;
}

namespace {
// The same entry: the same file, or the same link, or nothing either time.
bool sameEntry(const std::optional<NameStatus> &a, const std::optional<NameStatus> &b)
{
    if (!a || !b)
        return !a && !b;
    return a->identity == b->identity && a->isLink == b->isLink && a->isFile == b->isFile;
}
} // namespace

PageFile::Next PageFile::decide(const HeldFolder &into, const QString &name, bool moved, Consent &consent) const
{
    const QFileInfo path(m_path);
    const bool nameHere = into.isWherePathLeads(path.path()) && path.fileName() == name;
    // Into the page's own folder while the path leads to its file, or to nothing there; into
    // the folder the user agreed to while the path still leads there.
    if (moved ? into.isWherePathLeads(path.path()) : place() != Place::Changed)
        return Next::Rename;
    if (consent.given && nameHere && sameEntry(into.status(name), consent.replacing))
        return Next::Rename;
    if (!m_question || !m_question())
        return Next::Stop;
    // The name itself as the path reads now: here, or in the folder the path leads to now.
    consent = {true, into.status(name)};
    return nameHere ? Next::Rename : Next::Move;
}

WriteResult PageFile::write(const QByteArray &bytes, QString *error)
{
    m_lastResult = writeInPlace(bytes, error);
    return m_lastResult;
}

WriteResult PageFile::writeInPlace(const QByteArray &bytes, QString *error)
{
    if (!m_folder.isHeld()) {
        setReason(error, m_folderError);
        return WriteResult::Failed;
    }
    HeldFolder elsewhere;
    const HeldFolder *into = &m_folder;
    QString name = m_name;
    bool moved = false;
    Consent consent;
    for (;;) {
        // Asked before the new file exists, so that no half-made file waits on the answer.
        Next next = decide(*into, name, moved, consent);
        WriteResult result = WriteResult::Cancelled;
        if (next == Next::Rename) {
            ReplaceOptions options;
            if (m_file)
                options.mode = m_file->mode & 0777;
            options.beforeRename = [&] {
                next = decide(*into, name, moved, consent);
                return next == Next::Rename;
            };
            std::optional<NameStatus> written;
            result = replaceInFolder(*into, name, bytes, options, error, &written);
            if (written)
                adopt(moved ? &elsewhere : nullptr, name, *written);
        }
        if (result != WriteResult::Cancelled)
            return result;
        if (next == Next::Stop) {
            if (!m_question)
                setReason(error, QStringLiteral("It has been changed by another program"));
            return WriteResult::Cancelled;
        }
        const QFileInfo path(m_path);
        QString reason;
        elsewhere = HeldFolder::open(path.path(), &reason);
        if (!elsewhere.isHeld()) {
            setReason(error, reason);
            return WriteResult::Failed;
        }
        into = &elsewhere;
        name = path.fileName();
        moved = true;
    }
}

void PageFile::adopt(HeldFolder *into, const QString &name, const NameStatus &written)
{
    if (into) {
        m_folder = std::move(*into);
        m_linkFolder = HeldFolder();
        m_throughLink = false;
        m_name = name;
    }
    m_file = written;
}
