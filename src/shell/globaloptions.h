#pragma once
// The options of the "Global" section as a name=value list in memory: read once at start-up,
// read by the shell when each option is used, edited by Preferences, written back at
// shut-down. A boolean is "1" or "0"; any other text reads as False.
#include <QList>
#include <QPair>
#include <QString>

class IniFile;

namespace opt {
inline const QString Section = QStringLiteral("Global");

inline const QString LastTab = QStringLiteral("LastTab");
inline const QString VertSplit = QStringLiteral("VertSplit");
inline const QString DstArrow = QStringLiteral("DstArrow");
inline const QString ReadOnly = QStringLiteral("ReadOnly");
inline const QString Backup = QStringLiteral("Backup");
inline const QString BackupPath = QStringLiteral("BackupPath");
inline const QString ForceCDATA = QStringLiteral("ForceCDATA");
inline const QString XMLWhitespace = QStringLiteral("XMLWhitespace");
inline const QString XMLClearEol = QStringLiteral("XMLClearEol");
inline const QString XMLForceHeader = QStringLiteral("XMLForceHeader");
inline const QString DbgClip = QStringLiteral("DbgClip");

// Defaults of the options whose missing value means something other than empty or False.
inline const QString defaultLastTab = QStringLiteral("Pre process");
constexpr int defaultVertSplit = 820;
constexpr bool defaultBackup = true;
constexpr bool defaultXMLForceHeader = true;

// The two settings of a check plug-in, named after its class.
inline QString enabledKey(const QString &className) { return className + QStringLiteral(".enabled"); }
inline QString priorityKey(const QString &className) { return className + QStringLiteral(".priority"); }
} // namespace opt

class TGlobalOptions {
public:
    using NameValue = QPair<QString, QString>;

    // Ini (not owned) is the file Load and Save use; with none they do nothing.
    explicit TGlobalOptions(IniFile *ini = nullptr) : m_ini(ini) {}

    // Replaces the list by the "Global" section (the first of duplicate keys).
    void Load();
    // Writes every line in list order; keys and sections of the file that the list lacks stay.
    void Save();

    // Names compare without case; the first spelling stays.
    QString GetString(const QString &name) const;
    void SetString(const QString &name, const QString &value);
    bool hasValue(const QString &name) const;
    bool GetBool(const QString &name) const;
    bool GetBoolDef(const QString &name, bool defaultValue) const;
    void SetBool(const QString &name, bool value);
    // Default when missing or not a number.
    int getIntDef(const QString &name, int defaultValue) const;
    bool GetDbgClip() const { return GetBool(opt::DbgClip); }
    void SetDbgClip(bool value) { SetBool(opt::DbgClip, value); }

    const QList<NameValue> &values() const { return m_values; }

private:
    qsizetype indexOf(const QString &name) const;

    IniFile *m_ini;
    QList<NameValue> m_values;
};

// The program's option store over the settings file, from initGlobalOptions (after
// initAppIni) to doneGlobalOptions, which saves it; raises "Object reference is Nil" outside
// that time.
void initGlobalOptions();
void doneGlobalOptions();
TGlobalOptions &OptionStore();
