#pragma once
// Where a page lives on disk from its open to its close: the folder of its file held open,
// the file's name there, and the identity and mode the file had when last seen. The page's
// file is read and replaced relative to that folder and never through a link at its name, so
// that another user who renames or swaps names meanwhile can never lead a save into another
// file or another folder. Right before new bytes replace the file, it checks that the page's
// path still leads there; when it does not, the page's question decides.
#include "base/atomicfile.h"
#include "base/heldfolder.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class PageFile {
public:
    // What the page's path leads to now.
    enum class Place {
        // The page's file, in the folder that was opened.
        Page,
        // Nothing: the file is gone and nothing took its name there.
        Gone,
        // Something else: another file or a link at the name, or the path leads into another
        // folder now.
        Changed,
    };
    // Asked when the place changed; true lets the page replace whatever has its name as the
    // path reads now, and nothing is written without it.
    using ReplaceQuestion = std::function<bool()>;

    // Looks at what path leads to now. A link at path is followed this once: a page opened
    // through a link is saved into the link's target, and the link stays.
    explicit PageFile(const QString &path);

    const QString &path() const { return m_path; }
    // The question for the writes to come; it forgets how the last write ended.
    void setReplaceQuestion(ReplaceQuestion question);

    Place place() const;
    // The page's own mode: its file's as it is now while the path leads to it, else as it
    // was when last seen; none for a page that had no file.
    std::optional<unsigned> mode();
    // The page's file, read only while the path still leads to it; mode (when given) receives
    // its mode, error (when given) why there is nothing.
    std::optional<QByteArray> read(unsigned *mode = nullptr, QString *error = nullptr) const;
    // The folder the page's path names, that of the link for a page behind one: what lies
    // "beside the page" is made there.
    const HeldFolder &folderOfPath() const { return m_linkFolder.isHeld() ? m_linkFolder : m_folder; }

    // Makes the page's file hold bytes, with the page's mode as mode() last gave it. The place
    // is checked before the bytes are written and once more when they are on the disk, right
    // before the rename; when it changed, the question is asked (once, unless it changes again
    // after the Yes), and a Yes puts the page in place of whatever has the path's name now,
    // in the folder the path leads to now, which the page holds from then on. Without a
    // question a changed place is not written. error (when given) receives the reason of a
    // failure.
    WriteResult write(const QByteArray &bytes, QString *error = nullptr);
    // How the last write ended, and whether it was cancelled by the question's No.
    WriteResult lastResult() const { return m_lastResult; }
    bool declined() const { return m_lastResult == WriteResult::Cancelled && m_question; }

private:
    enum class Next { Rename, Stop, Move };
    // What had the name when the user said Yes.
    struct Consent {
        bool given = false;
        std::optional<NameStatus> replacing;
    };
    WriteResult writeInPlace(const QByteArray &bytes, QString *error);
    // Where the new bytes for name in into go: decided before they are written, asking when
    // the place changed, and again right before the rename, asking again only when it changed
    // after the Yes. moved: into is the folder the path led to at the user's Yes.
    Next decide(const HeldFolder &into, const QString &name, bool moved, Consent &consent) const;
    // The file just written is the page's from now on; with into, in that folder under name.
    void adopt(HeldFolder *into, const QString &name, const NameStatus &written);

    QString m_path;
    // The folder of the page's file; for a page behind a link, the link's folder beside it.
    HeldFolder m_folder;
    HeldFolder m_linkFolder;
    QString m_name;
    bool m_throughLink = false;
    // Why the folder could not be held.
    QString m_folderError;
    // The page's file when last seen, its mode as last seen; none while it had none.
    std::optional<NameStatus> m_file;
    ReplaceQuestion m_question;
    WriteResult m_lastResult = WriteResult::Written;
};
