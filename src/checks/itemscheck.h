#pragma once
// The built-in checks of components and of the page's names: arrows, loops, unreferenced
// components, developer rights, file and template names, #S variables and IF conditions.
#include "pellorinplugin.h"

#include <QHash>
#include <QString>

class ExpressionParser;
class TWQFSection;

// Component 0 granting the developer right to every caller, written into the page.
class TDeveloperRights : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TDeveloperRights"); }
    QString GetDescription() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
};

// A query whose loop body (exit 1) jumps to where the flow goes after the loop (exit 0).
// Its group data indexes each section once per run, so a page of many queries is checked
// in about linear time.
class TSQLUnderLoopCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TSQLUnderLoopCheck"); }
    QString GetDescription() override;
    bool NeedsGroupData() override { return true; }
    std::unique_ptr<GroupData> CreateGroupData() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
    void FinishGroup(bool flag, std::unique_ptr<GroupData> &data, CheckMessageList &messages) override;
};

// #S variables in the values of components other than code: one not closed, or a name that
// looks like one without its leading "#".
class TSVarCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TSVarCheck"); }
    QString GetDescription() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
};

// IF components need both exits; no component should send both exits to one place.
class TConnectCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TConnectCheck"); }
    QString GetDescription() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
};

struct TCheckItem {
    TWQFItem *item = nullptr;
    bool referenced = false;
};

// The numbered components of one run, in two groups: sections whose name holds "post" and
// the others. Sparse, so a component named 999999999 costs one entry.
class TUnconnData : public GroupData {
public:
    void AddItem(TWQFItem *item);

    // By number, in no order.
    QHash<int, TCheckItem> Pre;
    QHash<int, TCheckItem> Post;

private:
    // Components come section by section: the group of the last one.
    const TWQFSection *m_lastSection = nullptr;
    QHash<int, TCheckItem> *m_lastGroup = nullptr;
};

// Numbered components, other than 0, that no exit of their group names.
class TUnconnectCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TUnconnectCheck"); }
    QString GetDescription() override;
    bool NeedsGroupData() override { return true; }
    std::unique_ptr<GroupData> CreateGroupData() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
    void FinishGroup(bool flag, std::unique_ptr<GroupData> &data, CheckMessageList &messages) override;
};

// The page's function name against the file's base name.
class TFileNameCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TFileNameCheck"); }
    QString GetDescription() override;
    void CheckFile(TWQFFile *doc, CheckMessageList &messages) override;
};

// A TEMPLATE component's name value against the page's function name.
class TTemplateNameCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TTemplateNameCheck"); }
    QString GetDescription() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
};

// The condition of every IF component must parse and evaluate.
class TIFCondCheck : public TWarningPlugin {
public:
    QString className() const override { return QStringLiteral("TIFCondCheck"); }
    QString GetDescription() override;
    void CheckItem(TWQFItem *item, CheckMessageList &messages, GroupData *data) override;
};

// True when every #S variable of text is closed by a "#"; otherwise false with the first
// unclosed one, from its "#S" to its last name character, and its position (from 1).
bool CheckSVarsClosed(const QString &text, QString &name, int &pos);
// True when no variable lacks its leading "#"; otherwise false with the first such one, from
// its "S" up to and including its "#", and the position of the "S" (from 1).
bool CheckSVarHashes(const QString &text, QString &name, int &pos);
// Each #S variable of text replaced by the character 0: from a "#" followed by S or s up to
// and including the next "#", or to the end.
QString zeroSVars(const QString &text);
// True when condition is blank or, its #S variables zeroed, parses and evaluates; otherwise
// false with the parser's message.
bool CheckCondition(const QString &condition, QString &errorText);
// The one parser of the condition checks, made on first use.
ExpressionParser &ExprParser();

// The file's name without folder and extension.
QString fileBaseName(const QString &fileName);

// Registers the checks of this module, in their fixed order.
void initItemsCheck();
