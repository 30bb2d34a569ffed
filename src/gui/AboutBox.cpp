#include "gui/AboutBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "app/Version.h"

namespace {
constexpr const char* Maker = "ZQ Technologies";
constexpr const char* Purpose = "Uploads application code into the CPU of a switcher enclosure over an RS-232 line.";
constexpr const char* Contact =
    "For support, updates and the switchers' reference files, contact ZQ Technologies' engineering department.";
constexpr const char* SystemInfoCaption = "&System Info...";
constexpr const char* SystemInfoFailed = "The system information tool could not be started.";

#ifdef Q_OS_WIN
const char* const SystemInfoTools[] = {"msinfo32"};
#else
const char* const SystemInfoTools[] = {"hardinfo2", "hardinfo", "gnome-system-monitor"};
#endif
}  // namespace

QString AboutBox::systemInfoTool() {
    for (const char* tool : SystemInfoTools) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(tool));
        if (!found.isEmpty()) return found;
    }
    return {};
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setModal(false);
    const QString title = QString::fromLatin1(Version::Title);
    setWindowTitle(tr("About %1").arg(title));

    auto* name = new QLabel(title, this);
    name->setObjectName("lblTitle");
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(QStringLiteral("Version %1.%2.%3").arg(Version::Major).arg(Version::Minor).arg(Version::Revision), this);
    version->setObjectName("lblVersion");
    auto* purpose = new QLabel(QString::fromLatin1(Purpose), this);
    purpose->setWordWrap(true);
    auto* contact = new QLabel(QStringLiteral("%1\n%2").arg(QString::fromLatin1(Maker), QString::fromLatin1(Contact)), this);
    contact->setObjectName("lblContact");
    contact->setWordWrap(true);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    systemInfo_ = new QPushButton(QString::fromLatin1(SystemInfoCaption), this);
    systemInfo_->setObjectName("cmdSysInfo");
    systemInfo_->setVisible(!systemInfoTool().isEmpty());
    connect(systemInfo_, &QPushButton::clicked, this, &AboutBox::startSystemInfo);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(systemInfo_);
    buttons->addStretch();
    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(version);
    text->addSpacing(8);
    text->addWidget(purpose);
    text->addSpacing(8);
    text->addWidget(contact);
    text->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(text, 1);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    setMinimumWidth(440);
}

void AboutBox::startSystemInfo() {
    const QString tool = systemInfoTool();
    if (!tool.isEmpty() && QProcess::startDetached(tool, {})) return;
    // Modeless like the About box itself: a modal loop would hold up a running upload.
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), QString::fromLatin1(SystemInfoFailed),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}
