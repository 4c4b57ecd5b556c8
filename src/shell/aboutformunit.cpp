#include "aboutformunit.h"

#include "pellorinversion.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kDesignCaption = QStringLiteral("About");
const QString kRightsLine = QStringLiteral("Copyright (c) the Pellorin developers");

// A part of the version as a decimal number; 0 when it is empty or not one.
int versionPart(QStringView text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}
} // namespace

std::optional<VersionInfo> ReadVersionResource()
{
    const QString fileVersion = QStringLiteral(PELLORIN_FILE_VERSION);
    if (fileVersion.isEmpty())
        return std::nullopt;
    return VersionInfo{QStringLiteral(PELLORIN_PRODUCT_NAME), fileVersion, PELLORIN_VERSION_MAJOR};
}

QString VersionToDate(const QString &Version)
{
    int parts[3] = {0, 0, 0};
    int found = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < Version.size() && found < 3; ++i) {
        if (Version[i] != u'.')
            continue;
        parts[found++] = versionPart(QStringView(Version).mid(start, i - start));
        start = i + 1;
    }
    return QString::asprintf("%.2d/%.2d/%.4d", parts[1], parts[2], parts[0]);
}

QString GetVersionDate(const std::optional<VersionInfo> &Info)
{
    return Info ? VersionToDate(Info->FileVersion) : QString();
}

TAboutForm::TAboutForm(QWidget *Parent, const std::optional<VersionInfo> &Info) : QDialog(Parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(kDesignCaption);
    setFixedSize(320, 96);

    Label1 = new QLabel(kRightsLine, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 1);
    layout->addLayout(buttons);

    FormCreate(Info);
}

void TAboutForm::FormCreate(const std::optional<VersionInfo> &Info)
{
    // Without a version the design texts stay.
    if (!Info)
        return;
    setWindowTitle(Info->ProductName + u' ' + VersionToDate(Info->FileVersion));
    Label1->setText(QStringLiteral("Copyright (c) %1 the Pellorin developers").arg(Info->Major));
}

void ShowAbout(QWidget *Parent)
{
    TAboutForm form(Parent);
    form.exec();
}
