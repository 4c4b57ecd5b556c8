// The open page: document, file name, modified state, open, save, backups, changed-on-disk check.
#include "openpage.h"

#include "backupname.h"
#include "base/exception.h"
#include "editors/wqfdrawutils.h"
#include "globaloptions.h"
#include "platform/filestamp.h"
#include "platform/slotguard.h"
#include "windowhost.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTimer>

const std::array<DiagramSection, 2> &diagramSections()
{
    static const std::array<DiagramSection, 2> sections{{
        {QStringLiteral("preproc"), QStringLiteral("unable to find PreProcess section. Won't open!"),
         &TWQFFile::SetPreHeight},
        {QStringLiteral("postproc"), QStringLiteral("unable to find PostProcess section. Won't open!"),
         &TWQFFile::SetPostHeight},
    }};
    return sections;
}

namespace {
QString fullPath(const QString &fileName) { return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath()); }

// The Yes/No question about a page another program changed (or put a different file under
// its name): what it offers is question.
Prompt changedQuestion(const QString &fileName, const QString &question)
{
    Prompt prompt;
    prompt.caption = QStringLiteral("Changed");
    prompt.text = u'"' + fileName + QStringLiteral("\" has been changed by another program. \r\n") + question;
    prompt.icon = PromptIcon::Information;
    prompt.buttons = pbYes | pbNo;
    return prompt;
}

// The message about the first diagram section the page lacks; empty when it has them all.
QString missingSectionMessage(const TWQFFile &doc)
{
    for (const DiagramSection &section : diagramSections())
        if (!doc.FindSection(section.name))
            return section.missingMessage;
    return QString();
}
} // namespace

OpenPage::OpenPage(QWidget *dialogParent, QObject *parent) : QObject(parent), m_dialogParent(dialogParent) {}

OpenPage::~OpenPage() = default;

void OpenPage::setFileName(const QString &fileName)
{
    m_fileName = fileName;
    emit fileNameChanged(fileName);
}

bool OpenPage::isModified() const
{
    return m_doc && (m_viewsChanged || !m_fileRevision || m_doc->revision() != *m_fileRevision);
}

void OpenPage::setModified(bool modified)
{
    if (!modified)
        takeRevision();
    else if (m_doc)
        m_viewsChanged = true;
    tellModified();
}

void OpenPage::takeRevision()
{
    m_viewsChanged = false;
    m_fileRevision.reset();
    if (!m_doc)
        return;
    m_fileRevision = m_doc->revision();
    // The change that makes the page modified tells it; the ones after it cost nothing.
    m_doc->notifyNextChange([this] { tellModified(); });
}

void OpenPage::tellModified()
{
    if (m_holdTelling)
        return;
    const bool modified = isModified();
    if (modified == m_toldModified)
        return;
    m_toldModified = modified;
    emit modifiedChanged(modified);
}

void OpenPage::writingViews(const std::function<void()> &work)
{
    const bool wasModified = isModified();
    const auto after = qScopeGuard([this, wasModified] {
        if (!wasModified)
            takeRevision();
        tellModified();
    });
    const QScopedValueRollback hold(m_holdTelling, true);
    work();
}

PageOptions OpenPage::optionsFromSettings()
{
    const TGlobalOptions &options = OptionStore();
    PageOptions flags;
    if (options.GetBoolDef(opt::XMLWhitespace, false))
        flags |= poWhitespace;
    if (options.GetBoolDef(opt::XMLForceHeader, opt::defaultXMLForceHeader))
        flags |= poForceHeader;
    if (options.GetBoolDef(opt::XMLClearEol, false))
        flags |= poClearEol;
    return flags;
}

// ---- opening and closing ----

void OpenPage::openWithDialog()
{
    QString name;
    {
        Busy busy(*this);
        name = prompter().openFileName(m_dialogParent, FileDialogOptions());
    }
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty() && !QFileInfo::exists(name) &&
        QFileInfo::exists(name + QStringLiteral(".wqf")))
        name += QStringLiteral(".wqf");
    open(name);
}

bool OpenPage::open(const QString &fileName)
{
    Busy busy(*this);
    // The recent list and the caption keep full paths, whatever the command line gave.
    const QString path = fileName.isEmpty() ? fileName : fullPath(fileName);
    // Made while the old page still lives, so that the new page never has its address: a
    // plug-in that kept the old page's pointer must not take the new one for it.
    auto doc = std::make_unique<TWQFFile>();
    if (!close(true))
        return false;
    doc->OnReadOnly = [this](const QString &name) { return confirmOverwriteReadOnly(name); };
    // The page is read through its place: what is read is the file whose folder and identity
    // a save later checks, never what took its name meanwhile.
    auto place = std::make_unique<PageFile>(path);
    if (!doc->LoadFromFile(path, optionsFromSettings(), *place)) {
        const QString error = doc->LastError();
        doc.reset();
        showMessage(error);
        return false;
    }
    // Both diagrams need their section; a page without one is not opened at all.
    if (const QString missing = missingSectionMessage(*doc); !missing.isEmpty()) {
        doc.reset();
        showMessage(missing);
        return false;
    }
    m_doc = std::move(doc);
    m_place = std::move(place);
    takeRevision();
    setFileName(path);
    emit fileOpened(path);
    emit opened();
    platform::GetFileStamp(path, m_fileTime);
    // Whatever building the views did to the tree is no edit: the page as it now stands is the
    // file's.
    setModified(false);
    return true;
}

bool OpenPage::close(bool askFirst)
{
    Busy busy(*this);
    bool answer = true;
    if (askFirst && isModified()) {
        Prompt prompt;
        prompt.caption = QStringLiteral("Exit");
        prompt.text = QStringLiteral("Do you want to save changes before exit?");
        prompt.icon = PromptIcon::Question;
        prompt.buttons = pbYes | pbNo | pbCancel;
        switch (ask(prompt)) {
        case pbYes:
            answer = save(m_fileName);
            break;
        case pbNo:
            answer = true;
            break;
        default:
            answer = false;
            break;
        }
    }
    if (answer && m_doc) {
        emit aboutToClose();
        m_doc.reset();
        m_place.reset();
        setModified(false);
        emit closed();
    }
    return answer;
}

// ---- saving ----

QString OpenPage::makeBackupName(const QString &pagePath) const
{
    return makeBackupPath(pagePath, OptionStore().GetString(opt::BackupPath), m_now(), QLocale::system());
}

bool OpenPage::save(const QString &fileName)
{
    Busy busy(*this);
    // Save As looks at its name now; the page's own file was held since the open.
    const bool pagesName = m_place && fullPath(fileName) == fullPath(m_fileName);
    std::unique_ptr<PageFile> newPlace = pagesName ? nullptr : std::make_unique<PageFile>(fileName);
    PageFile &place = pagesName ? *m_place : *newPlace;
    place.setReplaceQuestion([this, fileName] {
        return ask(changedQuestion(fileName, QStringLiteral("Would you like to overwrite it with this page?"))) ==
               pbYes;
    });
    std::optional<QByteArray> backup;
    QString reason;
    bool saved = false;
    try {
        // Only the page's own file is copied, and only while its name still leads to it.
        if (OptionStore().GetBoolDef(opt::Backup, opt::defaultBackup)) {
            unsigned mode = 0;
            backup = place.read(&mode);
            // Only a copy known to be exact may ever be put back.
            if (backup && makeBackup(place.folderOfPath(), fileName, OptionStore().GetString(opt::BackupPath), *backup,
                                     mode, m_now(), QLocale::system())
                              .isEmpty())
                backup.reset();
        }
        if (!m_doc) {
            reason = QStringLiteral("No page is open");
        } else {
            // What the save writes of its own is no change of the user's.
            writingViews([this] {
                if (m_saveSteps)
                    m_saveSteps->writeViews(*m_doc);
                for (const DiagramSection &section : diagramSections())
                    (m_doc.get()->*section.setHeight)(SectionHeight(m_doc->FindSection(section.name), 1000));
            });
            if (m_saveSteps)
                m_saveSteps->quickCheck();
            m_doc->setLastError(QString());
            saved = m_doc->SaveToFile(fileName, optionsFromSettings(), place);
            if (!saved)
                reason = m_doc->LastError();
        }
    } catch (const std::exception &) {
        reason = currentExceptionMessage();
    }
    if (saved) {
        // The caption follows only Save As, not the name a save was given.
        m_fileName = fileName;
        if (newPlace)
            m_place = std::move(newPlace);
        platform::GetFileStamp(fileName, m_fileTime);
        setModified(false);
        return true;
    }
    if (place.declined())
        return false;
    showMessage(QStringLiteral("Unable to save the file: ") + fileName + QStringLiteral(" Reason: ") + reason);
    // Only a write that got as far as replacing the file has anything to put back: a failed
    // save leaves the page's file as it was.
    if (backup && place.lastResult() == WriteResult::NotDurable)
        restoreBackup(*backup, place);
    return false;
}

bool OpenPage::saveAs()
{
    if (!m_doc)
        return false;
    QString name;
    {
        Busy busy(*this);
        FileDialogOptions options;
        options.fileName = m_fileName;
        name = prompter().saveFileName(m_dialogParent, options);
    }
    if (name.isEmpty() || !save(name))
        return false;
    setFileName(name);
    return true;
}

bool OpenPage::confirmOverwriteReadOnly(const QString &fileName)
{
    const QString policy = OptionStore().GetString(opt::ReadOnly);
    const QString name = QFileInfo(fileName).fileName();
    bool allow = true;
    if (policy.isEmpty() || policy == u"STOP") {
        showMessage(QStringLiteral("Cannot save file. Please check out ") + name + QStringLiteral(" first!"));
        allow = false;
    } else if (policy == u"ASK") {
        Prompt prompt;
        prompt.text = name + QStringLiteral(" is read-only. Are you sure you want to overwrite the file?");
        prompt.icon = PromptIcon::Warning;
        prompt.buttons = pbYes | pbNo;
        allow = ask(prompt) == pbYes;
    }
    if (!allow && m_doc)
        m_doc->setLastError(name + QStringLiteral(" is read-only"));
    return allow;
}

// ---- changes on disk ----

void OpenPage::checkChangedOnDisk()
{
    if (m_busy > 0) {
        m_checkPending = true;
        return;
    }
    Busy busy(*this);
    int32_t stamp = 0;
    if (!platform::GetFileStamp(m_fileName, stamp) || stamp == m_fileTime)
        return;
    m_fileTime = stamp;
    if (ask(changedQuestion(m_fileName, QStringLiteral("Would you like to reload changed from disk?"))) != pbYes)
        return;
    close(false);
    const QString name = m_fileName;
    open(name);
}

void OpenPage::storeViewTexts()
{
    if (m_doc && m_saveSteps)
        writingViews([this] { m_saveSteps->writeViews(*m_doc); });
}

bool OpenPage::replace(std::unique_ptr<TWQFFile> &doc)
{
    if (!m_doc || !doc)
        return false;
    Busy busy(*this);
    if (const QString missing = missingSectionMessage(*doc); !missing.isEmpty()) {
        showMessage(missing);
        return false;
    }
    emit aboutToReplace();
    m_doc.swap(doc);
    // Nothing points into the previous page any more.
    doc.reset();
    // Unmodified while the views are built from it...
    takeRevision();
    emit replaced();
    // ... but its file holds none of it.
    m_fileRevision.reset();
    tellModified();
    return true;
}

void OpenPage::contentReplaced()
{
    emit reloaded();
    // The file holds none of the new content.
    m_fileRevision.reset();
    tellModified();
}

// ---- questions ----

PromptButton OpenPage::ask(const Prompt &prompt)
{
    Busy busy(*this);
    return prompter().ask(m_dialogParent, prompt);
}

void OpenPage::showMessage(const QString &text)
{
    Prompt prompt;
    prompt.text = text;
    ask(prompt);
}

OpenPage::Busy::Busy(OpenPage &page) : m_page(page) { ++m_page.m_busy; }

OpenPage::Busy::~Busy()
{
    if (--m_page.m_busy > 0 || !m_page.m_checkPending)
        return;
    m_page.m_checkPending = false;
    // After the caller is done with the page, not in the middle of its work.
    QTimer::singleShot(0, &m_page, guarded([page = &m_page] { page->checkChangedOnDisk(); }));
}
