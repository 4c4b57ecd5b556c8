#pragma once
// The About box, and the release date derived from the program's version
// (year.month.day.build), which the main window's caption shows too.
#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QPushButton;

// What the program's version resource holds.
struct VersionInfo {
    QString productName;
    QString fileVersion;
    // The first number of the file version.
    int major = 0;
};

// The values compiled into the program; none when it was built without a version.
std::optional<VersionInfo> readVersionResource();

// "%.2d/%.2d/%.4d" of the second, third and first part of version; only parts followed by a
// dot count, a missing or unreadable part is 0.
QString VersionToDate(const QString &version);
// The release date MM/DD/YYYY; empty without a version.
QString GetVersionDate(const std::optional<VersionInfo> &info = readVersionResource());

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *parent = nullptr, const std::optional<VersionInfo> &info = readVersionResource());

    QLabel *Label1;
    QPushButton *Button1;

private:
    void FormCreate(const std::optional<VersionInfo> &info);
};

// Shows the About box modally, centred on parent, and frees it when it closes.
void ShowAbout(QWidget *parent = nullptr);
