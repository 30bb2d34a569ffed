#include "gui/HistoryWindow.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/GuiText.h"
#include "host/QtUploadHistory.h"

namespace {
constexpr int TranscriptRole = Qt::UserRole;
constexpr int RecordRole = Qt::UserRole + 1;

QString field(const QJsonObject& r, const char* name) {
    const QString text = r.value(QLatin1String(name)).toVariant().toString();
    return text.isEmpty() ? QStringLiteral("-") : text;
}
}  // namespace

HistoryWindow::HistoryWindow(const QtUploadHistory& history, QWidget* parent) : QDialog(parent), history_(history) {
    setObjectName(QStringLiteral("frmUploadHistory"));
    setWindowTitle(QStringLiteral("Upload History"));
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lstUploads"));
    list_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("File"), QStringLiteral("Port"),
                            QStringLiteral("Result"), QStringLiteral("Duration")});
    list_->setRootIsDecorated(false);
    list_->setWordWrap(true);
    list_->header()->setSectionResizeMode(3, QHeaderView::Stretch);
    connect(list_, &QTreeWidget::itemActivated, this, &HistoryWindow::openTranscript);
    connect(list_, &QTreeWidget::currentItemChanged, this, &HistoryWindow::showDetails);
    // Everything the record holds about the upload chosen.
    details_ = new QLabel(this);
    details_->setObjectName(QStringLiteral("lblUploadDetails"));
    details_->setWordWrap(true);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* open = buttons->addButton(QStringLiteral("Open &Transcript"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("cmdOpenTranscript"));
    QPushButton* again = buttons->addButton(QStringLiteral("&Refresh"), QDialogButtonBox::ActionRole);
    connect(open, &QPushButton::clicked, this, &HistoryWindow::openTranscript);
    connect(again, &QPushButton::clicked, this, &HistoryWindow::refresh);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(details_);
    layout->addWidget(buttons);
    resize(900, 480);
    refresh();
}

void HistoryWindow::refresh() {
    list_->clear();
    const QList<QJsonObject> records = history_.records();
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        const QJsonObject& r = *it;
        const QDateTime start = QDateTime::fromString(r.value(QStringLiteral("start")).toString(), Qt::ISODateWithMs);
        const int port = r.value(QStringLiteral("port")).toInt();
        const QString device = r.value(QStringLiteral("device")).toString();
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, start.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        item->setText(1, r.value(QStringLiteral("image")).toString());
        item->setText(
            2, port > 0 ? QStringLiteral("Com %1%2").arg(port).arg(device.isEmpty() ? QString() : " (" + device + ")")
                        : QString());
        item->setText(3, r.value(QStringLiteral("result")).toString());
        item->setToolTip(3, item->text(3));
        item->setText(4,
                      QStringLiteral("%1 s").arg(r.value(QStringLiteral("durationMs")).toDouble() / 1000, 0, 'f', 1));
        item->setData(0, TranscriptRole, history_.transcriptPath(r));
        item->setData(0, RecordRole, r);
    }
    for (int column : {0, 1, 2, 4}) list_->resizeColumnToContents(column);
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
}

void HistoryWindow::showDetails() {
    const QTreeWidgetItem* item = list_->currentItem();
    if (!item) return details_->clear();
    const QJsonObject r = item->data(0, RecordRole).toJsonObject();
    details_->setText(QStringLiteral("%1 (%2 bytes), declared checksum %3, expected %4, reported %5\n"
                                     "Rate found %6 baud; exit code %7; ended while %8\n%9")
                          .arg(field(r, "image"), field(r, "size"), field(r, "declaredChecksum"),
                               field(r, "expectedChecksum"), field(r, "reportedChecksum"), field(r, "rate"),
                               field(r, "exitCode"), field(r, "phase"), field(r, "result")));
}

void HistoryWindow::openTranscript() {
    const QTreeWidgetItem* item = list_->currentItem();
    if (!item) return;
    const QString path = item->data(0, TranscriptRole).toString();
    QFile file(path);
    // What the device sent, byte for byte, shown as the terminal shows it.
    const QString text = file.open(QIODevice::ReadOnly)
                             ? GuiText::lines(QString::fromLatin1(file.readAll()))
                             : QStringLiteral("The transcript %1 cannot be read: %2").arg(path, file.errorString());
    auto* viewer = new QDialog(this);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setObjectName(QStringLiteral("frmTranscript"));
    viewer->setWindowTitle(QStringLiteral("Transcript - ") + item->text(0));
    auto* pane = new QPlainTextEdit(text, viewer);
    pane->setObjectName(QStringLiteral("txtTranscript"));
    pane->setReadOnly(true);
    pane->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, viewer);
    connect(buttons, &QDialogButtonBox::rejected, viewer, &QDialog::reject);
    auto* layout = new QVBoxLayout(viewer);
    layout->addWidget(pane);
    layout->addWidget(buttons);
    viewer->resize(720, 480);
    viewer->show();
}
