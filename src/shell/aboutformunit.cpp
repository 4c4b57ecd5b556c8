// The About box and the release date it shows.
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

std::optional<VersionInfo> readVersionResource()
{
    const QString fileVersion = QStringLiteral(PELLORIN_FILE_VERSION);
    if (fileVersion.isEmpty())
        return std::nullopt;
    return VersionInfo{QStringLiteral(PELLORIN_PRODUCT_NAME), fileVersion, PELLORIN_VERSION_MAJOR};
}

QString VersionToDate(const QString &version)
{
    int parts[3] = {0, 0, 0};
    int found = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < version.size() && found < 3; ++i) {
        if (version[i] != u'.')
            continue;
        parts[found++] = versionPart(QStringView(version).mid(start, i - start));
        start = i + 1;
    }
    return QString::asprintf("%.2d/%.2d/%.4d", parts[1], parts[2], parts[0]);
}

QString GetVersionDate(const std::optional<VersionInfo> &info)
{
    return info ? VersionToDate(info->fileVersion) : QString();
}

TAboutForm::TAboutForm(QWidget *parent, const std::optional<VersionInfo> &info) : QDialog(parent)
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

    FormCreate(info);
}

void TAboutForm::FormCreate(const std::optional<VersionInfo> &info)
{
    // Without a version the design texts stay.
    if (!info)
        return;
    setWindowTitle(info->productName + u' ' + VersionToDate(info->fileVersion));
    Label1->setText(QStringLiteral("Copyright (c) %1 the Pellorin developers").arg(info->major));
}

void ShowAbout(QWidget *parent)
{
    TAboutForm form(parent);
    form.exec();
}
