// The Preferences dialog: the read-only policy, backups, the page options, the diagrams'
// settings and which checks run in which order.
#include "optionsdialog.h"

#include "appini.h"
#include "base/moduleslot.h"
#include "base/textutils.h"
#include "checks/appgui.h"
#include "checks/pellorinplugin.h"
#include "formparts.h"
#include "globaloptions.h"
#include "platform/slotguard.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
// Room below the tabs for the two buttons.
constexpr int kButtonBand = 41;

// The stored values of the read-only policy and the arrow mode, by item.
const QString kReadOnlyValues[] = {QString(), QStringLiteral("ASK"), QStringLiteral("IGNORE")};
const QString kArrowValues[] = {QStringLiteral("NEVER"), QString(), QStringLiteral("ALWAYS")};

WindowSlot<TGlobalOptForm> g_form;

// Enter in an edit box does not confirm the dialog: OK is pressed, never defaulted to.
QPushButton *button(const QString &caption, const char *name, QWidget *parent)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setAutoDefault(false);
    return b;
}

TWarningPlugin *rowPlugin(const QListWidgetItem *row)
{
    return reinterpret_cast<TWarningPlugin *>(row->data(Qt::UserRole).value<quintptr>());
}
} // namespace

void applyCheckSettings(const QList<TWarningPlugin *> &plugins, const TGlobalOptions &options)
{
    const int count = int(plugins.size());
    for (int i = 0; i < count; ++i) {
        TWarningPlugin *plugin = plugins[i];
        const QString name = plugin->className();
        plugin->Enabled = options.GetBoolDef(opt::enabledKey(name), true);
        plugin->Priority = options.getIntDef(opt::priorityKey(name), i + count);
    }
}

TGlobalOptForm::TGlobalOptForm(QWidget *parent) : QDialog(parent)
{
    g_form.constructed(this);
    setObjectName(QStringLiteral("GlobalOptForm"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);
    resize(designWidth, designHeight);

    m_panel = named(new QWidget(this), "Panel1");
    m_pages = named(new QTabWidget(m_panel), "PageControl1");
    auto *panelLayout = new QVBoxLayout(m_panel);
    panelLayout->setContentsMargins(4, 4, 4, 0);
    panelLayout->addWidget(m_pages);
    m_pages->addTab(createFilesTab(), QStringLiteral("Files"));
    m_pages->addTab(createVisualTab(), QStringLiteral("Visual"));
    m_pages->addTab(createMessagesTab(), QStringLiteral("Messages"));

    m_okButton = button(QStringLiteral("OK"), "btnOk", this);
    m_cancelButton = button(QStringLiteral("Cancel"), "btnCancel", this);
    connect(m_okButton, &QPushButton::clicked, this, guarded([this] {
                SaveOptions();
                accept();
            }));
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    placeButtons();

    RestoreFormBounds(this);
}

TGlobalOptForm::~TGlobalOptForm()
{
    // Never shown, it has only its design size at the screen's corner: storing that would
    // place it there at the next start.
    if (m_shown)
        SaveFormBounds(this);
    g_form.destroyed(this);
}

QWidget *TGlobalOptForm::createFilesTab()
{
    auto *tab = named(new QWidget, "TabGeneral");
    auto *readOnlyLabel = named(new QLabel(QStringLiteral("On saving readonly file:"), tab), "Label2");
    m_readOnlyCombo = named(new QComboBox(tab), "ComboBox1");
    m_readOnlyCombo->addItems(
        {QStringLiteral("Don't save and give warning"), QStringLiteral("Ask me first"), QStringLiteral("Just save")});
    readOnlyLabel->setBuddy(m_readOnlyCombo);
    m_backupBox = named(new QCheckBox(QStringLiteral("Make backup copy on save"), tab), "chkMakeBackups");
    auto *backupLabel = named(new QLabel(QStringLiteral("Backup path (file rel.)"), tab), "lblBackup");
    m_backupPathEdit = named(new QLineEdit(tab), "edtBackupPath");
    backupLabel->setBuddy(m_backupPathEdit);
    m_forceCdataBox = named(new QCheckBox(QStringLiteral("Force CDATA tag for SQL queries"), tab), "chkForceCDATA");
    m_whitespaceBox = named(new QCheckBox(QStringLiteral("Preserve XML whitespaces"), tab), "chkXMLWhitespace");
    m_forceHeaderBox = named(new QCheckBox(QStringLiteral("Force <?xml header"), tab), "chkXMLForceHeader");
    m_removeEolBox = named(new QCheckBox(QStringLiteral("Remove end-of-line character"), tab), "chkXMLRemoveEOL");
    m_classicButton = button(QStringLiteral("Pellorin Classic"), "btnDefPellorin", tab);
    m_compatButton = button(QStringLiteral("Morivane Compat"), "btnDefMorivane", tab);
    connect(m_classicButton, &QPushButton::clicked, this, &TGlobalOptForm::btnDefPellorinClick);
    connect(m_compatButton, &QPushButton::clicked, this, &TGlobalOptForm::btnDefMorivaneClick);

    auto *presets = new QHBoxLayout;
    presets->addWidget(m_classicButton);
    presets->addWidget(m_compatButton);
    presets->addStretch();
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(readOnlyLabel);
    layout->addWidget(m_readOnlyCombo);
    layout->addSpacing(8);
    layout->addWidget(m_backupBox);
    layout->addWidget(backupLabel);
    layout->addWidget(m_backupPathEdit);
    layout->addSpacing(8);
    layout->addWidget(m_forceCdataBox);
    layout->addWidget(m_whitespaceBox);
    layout->addWidget(m_forceHeaderBox);
    layout->addWidget(m_removeEolBox);
    layout->addLayout(presets);
    layout->addStretch();
    return tab;
}

QWidget *TGlobalOptForm::createVisualTab()
{
    auto *tab = named(new QWidget, "TabVisual");
    auto *marginLabel = named(new QLabel(QStringLiteral("Vertical Margin"), tab), "Label1");
    m_marginEdit = named(new QLineEdit(tab), "Edit1");
    marginLabel->setBuddy(m_marginEdit);
    m_marginEdit->installEventFilter(this);
    auto *arrowLabel = named(new QLabel(QStringLiteral("Arrow Dst Number"), tab), "Label4");
    m_arrowCombo = named(new QComboBox(tab), "arrdstCombo");
    m_arrowCombo->addItems({QStringLiteral("Never"), QStringLiteral("Out of sight"), QStringLiteral("Always")});
    arrowLabel->setBuddy(m_arrowCombo);
    auto *restartLabel = named(
        new QLabel(QStringLiteral("The restart is required in order to visual changes take effect"), tab), "Label5");
    QFont bold = restartLabel->font();
    bold.setBold(true);
    restartLabel->setFont(bold);
    restartLabel->setWordWrap(true);

    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(marginLabel);
    layout->addWidget(m_marginEdit);
    layout->addSpacing(8);
    layout->addWidget(arrowLabel);
    layout->addWidget(m_arrowCombo);
    layout->addSpacing(16);
    layout->addWidget(restartLabel);
    layout->addStretch();
    return tab;
}

QWidget *TGlobalOptForm::createMessagesTab()
{
    auto *tab = named(new QWidget, "TabMessages");
    auto *listLabel = named(new QLabel(QStringLiteral("Warning options:"), tab), "Label3");
    m_checkList = named(new QListWidget(tab), "WarnList");
    listLabel->setBuddy(m_checkList);
    m_upButton = button(QStringLiteral("Move Up"), "PriorUp", tab);
    m_downButton = button(QStringLiteral("Move Down"), "PriorDwn", tab);
    m_debugBox = named(new QCheckBox(QStringLiteral("Show debugging messages"), tab), "dbgGlobOpt");
    connect(m_upButton, &QPushButton::clicked, this, &TGlobalOptForm::PriorUpClick);
    connect(m_downButton, &QPushButton::clicked, this, &TGlobalOptForm::PriorDwnClick);

    auto *moves = new QHBoxLayout;
    moves->addWidget(m_upButton);
    moves->addWidget(m_downButton);
    moves->addStretch();
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(listLabel);
    layout->addWidget(m_checkList, 1);
    layout->addLayout(moves);
    layout->addWidget(m_debugBox);
    return tab;
}

void TGlobalOptForm::LoadOptions()
{
    const TGlobalOptions &options = OptionStore();
    m_debugBox->setChecked(options.GetBool(opt::DbgClip));
    m_marginEdit->setText(QString::number(options.getIntDef(opt::VertSplit, opt::defaultVertSplit)));
    m_backupBox->setChecked(options.GetBoolDef(opt::Backup, opt::defaultBackup));
    m_forceCdataBox->setChecked(options.GetBoolDef(opt::ForceCDATA, false));
    const QString readOnly = options.GetString(opt::ReadOnly);
    m_readOnlyCombo->setCurrentIndex(readOnly == kReadOnlyValues[2] ? 2 : readOnly == kReadOnlyValues[1] ? 1 : 0);
    m_backupPathEdit->setText(options.GetString(opt::BackupPath));
    m_whitespaceBox->setChecked(options.GetBoolDef(opt::XMLWhitespace, false));
    m_removeEolBox->setChecked(options.GetBoolDef(opt::XMLClearEol, false));
    m_forceHeaderBox->setChecked(options.GetBoolDef(opt::XMLForceHeader, opt::defaultXMLForceHeader));
    // Matched with case here; the diagrams read the value upper-cased.
    const QString arrow = options.GetString(opt::DstArrow);
    m_arrowCombo->setCurrentIndex(arrow == kArrowValues[0] ? 0 : arrow == kArrowValues[2] ? 2 : 1);
    FillWarnList();
}

void TGlobalOptForm::SaveOptions()
{
    TGlobalOptions &options = OptionStore();
    options.SetBool(opt::DbgClip, m_debugBox->isChecked());
    options.SetString(opt::VertSplit, QString::number(strToIntDef(m_marginEdit->text(), opt::defaultVertSplit)));
    options.SetString(opt::ReadOnly, kReadOnlyValues[std::clamp(m_readOnlyCombo->currentIndex(), 0, 2)]);
    options.SetBool(opt::Backup, m_backupBox->isChecked());
    options.SetBool(opt::ForceCDATA, m_forceCdataBox->isChecked());
    options.SetString(opt::BackupPath, m_backupPathEdit->text());
    options.SetString(opt::DstArrow, kArrowValues[std::clamp(m_arrowCombo->currentIndex(), 0, 2)]);
    options.SetBool(opt::XMLWhitespace, m_whitespaceBox->isChecked());
    options.SetBool(opt::XMLClearEol, m_removeEolBox->isChecked());
    options.SetBool(opt::XMLForceHeader, m_forceHeaderBox->isChecked());
    SaveWarnList();
}

void TGlobalOptForm::FillWarnList()
{
    m_checkList->clear();
    QList<TWarningPlugin *> plugins;
    GetWarningPlugins(plugins);
    applyCheckSettings(plugins, OptionStore());
    std::stable_sort(plugins.begin(), plugins.end(),
                     [](const TWarningPlugin *a, const TWarningPlugin *b) { return ComparePriority(a, b) < 0; });
    for (int i = 0; i < plugins.size(); ++i) {
        TWarningPlugin *plugin = plugins[i];
        auto *row = new QListWidgetItem(plugin->GetDescription());
        row->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(plugin)));
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(plugin->Enabled ? Qt::Checked : Qt::Unchecked);
        m_checkList->addItem(row);
        plugin->Priority = i;
    }
}

void TGlobalOptForm::SaveWarnList()
{
    TGlobalOptions &options = OptionStore();
    // Only plug-ins the registry still holds: a row must not outlive its plug-in.
    QList<TWarningPlugin *> current;
    GetWarningPlugins(current);
    const QSet<TWarningPlugin *> alive(current.cbegin(), current.cend());
    for (int r = 0; r < m_checkList->count(); ++r) {
        const QListWidgetItem *row = m_checkList->item(r);
        TWarningPlugin *plugin = rowPlugin(row);
        if (!alive.contains(plugin))
            continue;
        plugin->Priority = r;
        plugin->Enabled = row->checkState() == Qt::Checked;
        const QString name = plugin->className();
        options.SetBool(opt::enabledKey(name), plugin->Enabled);
        options.SetString(opt::priorityKey(name), QString::number(r));
    }
}

void TGlobalOptForm::moveRow(int from, int to)
{
    if (from < 0 || to < 0 || from >= m_checkList->count() || to >= m_checkList->count())
        return;
    QListWidgetItem *row = m_checkList->takeItem(from);
    m_checkList->insertItem(to, row);
    m_checkList->setCurrentRow(to);
}

void TGlobalOptForm::PriorUpClick()
{
    const int r = m_checkList->currentRow();
    if (r > 0 && m_checkList->currentItem()->isSelected())
        moveRow(r, r - 1);
}

void TGlobalOptForm::PriorDwnClick()
{
    const int r = m_checkList->currentRow();
    if (r >= 0 && m_checkList->currentItem()->isSelected())
        moveRow(r, r + 1);
}

void TGlobalOptForm::btnDefPellorinClick()
{
    m_whitespaceBox->setChecked(false);
    m_removeEolBox->setChecked(false);
    m_forceHeaderBox->setChecked(true);
}

void TGlobalOptForm::btnDefMorivaneClick()
{
    m_whitespaceBox->setChecked(true);
    m_removeEolBox->setChecked(true);
    m_forceHeaderBox->setChecked(false);
}

void TGlobalOptForm::Edit1Exit() { m_marginEdit->setText(QString::number(strToIntDef(m_marginEdit->text(), 600))); }

void TGlobalOptForm::done(int result)
{
    // A move without a resize is not kept: the bounds of the last resize or showing come back.
    RestoreFormBounds(this);
    QDialog::done(result);
}

void TGlobalOptForm::placeButtons()
{
    const int half = width() / 2;
    const int top = height() - kButtonBand + (kButtonBand - kButtonHeight) / 2;
    m_panel->setGeometry(0, 0, width(), std::max(height() - kButtonBand, 0));
    m_okButton->setGeometry(half - kButtonWidth - 2, top, kButtonWidth, kButtonHeight);
    m_cancelButton->setGeometry(half + 2, top, kButtonWidth, kButtonHeight);
}

void TGlobalOptForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeButtons();
    SaveFormBounds(this);
}

void TGlobalOptForm::showEvent(QShowEvent *event)
{
    // The first showing's resize comes before the dialog is placed; where it was placed is what
    // closing brings back.
    QDialog::showEvent(event);
    m_shown = true;
    SaveFormBounds(this);
}

bool TGlobalOptForm::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving the edit, not the window losing its activation or a popup opening.
    if (watched == m_marginEdit && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Edit1Exit();
    }
    return QDialog::eventFilter(watched, event);
}

TGlobalOptForm *globalOptForm() { return g_form.get(); }

TGlobalOptForm *createGlobalOptForm() { return g_form.create(); }

void freeGlobalOptForm() { g_form.free(); }

void ShowPreferences()
{
    TGlobalOptForm *form = createGlobalOptForm();
    form->LoadOptions();
    form->exec();
}

void initOptionsDialog()
{
    QAction *item = AddMenuItem(QStringLiteral("Tools"));
    item->setObjectName(QStringLiteral("mnuPreferences"));
    item->setText(QStringLiteral("Preferences"));
    item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QObject::connect(item, &QAction::triggered, item, guarded([] { ShowPreferences(); }));
}
