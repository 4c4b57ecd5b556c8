#pragma once
// The one open page of the editor: the document, its file name, the modified state and the
// file's time stamp, with everything that reads or writes the file: open, close, save, Save
// As, backups, the read-only policy and the changed-on-disk check. Every question goes
// through the Prompter. The main window listens to the signals and builds its views; the
// page knows nothing of them beyond the two steps a save asks of the window (SaveSteps).
//
// The modified state follows the document: the page remembers the document's revision that
// its file holds (at open and save), so that any change to the tree, by whatever command,
// panel, key or plug-in, makes the page modified without the change saying so. Only what
// the views hold outside the tree (typed HTML, a new note) is marked by hand.
#include "model/pagefile.h"
#include "model/wqftypes.h"
#include "platform/prompter.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
class SaveSteps;

// A diagram section every page must have; the diagram tabs show them in this order.
struct DiagramSection {
    QString name;
    // The message when a page lacks the section; such a page is not opened.
    QString missingMessage;
    // Where a save records the height of the section's diagram.
    void (TWQFFile::*setHeight)(int);
};
// "preproc", then "postproc".
const std::array<DiagramSection, 2> &diagramSections();

class OpenPage : public QObject {
    Q_OBJECT
public:
    // Dialogs are shown over dialogParent (none in tests).
    explicit OpenPage(QWidget *dialogParent = nullptr, QObject *parent = nullptr);
    ~OpenPage() override;

    // None while no page is open.
    TWQFFile *document() const { return m_doc.get(); }
    // The page's path; after a close the last one, empty before the first open.
    const QString &fileName() const { return m_fileName; }
    // Remembers the name and tells the window, which sets its caption from it.
    void setFileName(const QString &fileName);
    // The tree differs from the revision the file holds (a page another program rewrote holds
    // none), or the views hold a change not yet in the tree; never without a page.
    bool isModified() const;
    // True: the views hold a change the tree does not have yet (nothing without a page).
    // False: the page as it now stands is what its file holds.
    void setModified(bool modified);
    // The file's time stamp at the last open or save.
    int32_t fileTime() const { return m_fileTime; }

    // The page options from the settings, read at every load and save.
    static PageOptions optionsFromSettings();

    // The open dialog, then open(); a typed name without extension gets ".wqf" when only that
    // file exists.
    void openWithDialog();
    // Closes the current page (asking) and opens fileName; false, the reason shown, when no
    // page was opened. A file that does not load, or lacks a diagram section, is not opened.
    bool open(const QString &fileName);
    // Offers to save a modified page when askFirst, then frees it; false when the user
    // cancelled or the save failed. Without an open page: true.
    bool close(bool askFirst);

    // What a save asks of the window; none asks nothing. Not owned.
    void setSaveSteps(SaveSteps *steps) { m_saveSteps = steps; }
    // The save's first step on its own: what the views hold outside the page goes into it,
    // so that a copy of the page (an external program's) holds what the window shows. An
    // unmodified page stays so: its views held nothing new.
    void storeViewTexts();
    // Backup, the views' texts, the quick check, the write. False, with the reason shown,
    // when it failed; the file then holds its old bytes and the page stays modified. When,
    // right before the new bytes replace the page's file, the page's name no longer leads to
    // the file it was opened from or last saved to (or its folder is another now), the user
    // is asked: Yes replaces what now has the name, No writes nothing and answers false.
    bool save(const QString &fileName);
    // The save dialog, then save() and setFileName(); false when cancelled or failed.
    bool saveAs();
    // The backup path of pagePath under the settings, at the clock's time.
    QString makeBackupName(const QString &pagePath) const;
    // The read-only hook of the open page: the policy of the setting ReadOnly; true lets the
    // write go on.
    bool confirmOverwriteReadOnly(const QString &fileName);
    // The clock of the names made up beside a page: backup copies and section pictures.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }
    QDateTime now() const { return m_now(); }

    // Offers to reload the page when its file's time stamp changed since it was opened or
    // saved. While a dialog or an opening or saving runs, it waits and runs once that is over.
    void checkChangedOnDisk();
    // The page's content was replaced in place (an external program): the views rebuild and
    // the page counts as modified, unless the rebuild closed it.
    void contentReplaced();
    // An external program rewrote the page: doc takes the open page's place (it carries the
    // file name and the read-only hook already), the views are built from it and the page
    // counts as modified; doc is left empty. A doc without both diagram sections is refused
    // with the reason shown, and doc, the open page and its views stay as they were.
    bool replace(std::unique_ptr<TWQFFile> &doc);

    // Every question about the page; the changed-on-disk check waits while one shows.
    PromptButton ask(const Prompt &prompt);
    void showMessage(const QString &text);

    // While one exists, the changed-on-disk check is put off; the last one to go runs it.
    class Busy {
    public:
        explicit Busy(OpenPage &page);
        ~Busy();
        Busy(const Busy &) = delete;
        Busy &operator=(const Busy &) = delete;

    private:
        OpenPage &m_page;
    };

signals:
    // Whenever isModified() changes, whatever changed the page.
    void modifiedChanged(bool modified);
    void fileNameChanged(const QString &fileName);
    // A page file was read and is the open page now, named with its full path; the recent
    // list takes it here, before the views are built at opened().
    void fileOpened(const QString &fileName);
    // A page was read: the views are built from it now.
    void opened();
    // The page is about to be freed: the views let go of it now.
    void aboutToClose();
    void closed();
    // The page's content was replaced in place: the views are built again now.
    void reloaded();
    // Another document takes the page's place: the views let go of the page now, and are
    // built from the new one at replaced().
    void aboutToReplace();
    void replaced();

private:
    // The page as it now stands is what its file holds.
    void takeRevision();
    // modifiedChanged, when isModified() differs from what it told last.
    void tellModified();
    // Runs work, which writes what the views hold into the tree: a page unmodified before
    // stays so, also when work fails half-way.
    void writingViews(const std::function<void()> &work);

    QWidget *m_dialogParent;
    std::unique_ptr<TWQFFile> m_doc;
    QString m_fileName;
    // The document's revision the file holds; none when it holds none of this document.
    std::optional<uint64_t> m_fileRevision;
    // The views hold a change the tree does not have yet.
    bool m_viewsChanged = false;
    bool m_toldModified = false;
    // While the views write into the tree, nothing is told.
    bool m_holdTelling = false;
    int32_t m_fileTime = 0;
    // Where the page's file is, held from the open (and after a save under another name,
    // from then) to the close.
    std::unique_ptr<PageFile> m_place;
    SaveSteps *m_saveSteps = nullptr;
    std::function<QDateTime()> m_now = [] { return QDateTime::currentDateTime(); };
    int m_busy = 0;
    bool m_checkPending = false;
};
