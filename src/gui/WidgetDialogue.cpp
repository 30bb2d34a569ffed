#include "gui/WidgetDialogue.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>
#include <QStringList>
#include <QVBoxLayout>
#include <cstdio>

#include "gui/AboutBox.h"
#include "gui/ChecksumWindow.h"
#include "gui/GuiText.h"

namespace {
// Room for the title bar's icon and buttons beside a box's title.
constexpr int TitleBarRoom = 160;
}  // namespace

WidgetDialogue::WidgetDialogue(PathMapper toHostPath, WaitProbe waiting, bool unattended)
    : toHostPath_(std::move(toHostPath)), waiting_(std::move(waiting)), unattended_(unattended) {}

WidgetDialogue::~WidgetDialogue() {
    delete viewer_.data();
    delete about_.data();
}

void WidgetDialogue::setMainWindow(QWidget* window) { main_ = window; }

bool WidgetDialogue::toStandardError(const std::string& text, const std::string& title) const {
    if (!unattended_) return false;
    const QString body = GuiText::lines(GuiText::fromLocal(text));
    const QByteArray line = (GuiText::fromLocal(title) + QStringLiteral(": ") + body.simplified()).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    return true;
}

void WidgetDialogue::show(QDialog* box) {
    if (waiting_ && waiting_()) {
        // A modal loop here would hold up the wait beneath (an upload) until the box is
        // closed: the box stays up on its own instead.
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
        return;
    }
    // Gone already when its parent went while it was up.
    const QPointer<QDialog> open(box);
    box->exec();
    delete open.data();
}

void WidgetDialogue::messageBox(const std::string& text, const std::string& title) {
    if (toStandardError(text, title)) return;
    const QString caption = GuiText::fromLocal(title);
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, GuiText::lines(GuiText::fromLocal(text)),
                                QMessageBox::Ok, main_);
    // A box sizes itself to its text; a short text must not cut its title short.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const int room = box->fontMetrics().horizontalAdvance(caption) + TitleBarRoom;
        grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    show(box);
}

void WidgetDialogue::usageBox(const std::string& text, const std::string& title) {
    if (toStandardError(text, title)) return;
    // Columns line up only in a fixed-width font and only when no line is wrapped.
    auto* box = new QDialog(main_);
    box->setWindowTitle(GuiText::fromLocal(title));
    auto* label = new QLabel(GuiText::lines(GuiText::fromLocal(text)), box);
    label->setObjectName("lblUsage");
    label->setTextFormat(Qt::PlainText);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(label);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    show(box);
}

QString WidgetDialogue::dialogFilters(const std::string& filter, int index, QString* selected) {
    // Pairs of description and pattern, each part followed by "|"; patterns split by ";".
    const QStringList parts = GuiText::fromLocal(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren > 0) description = description.left(paren).trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            // "*.*" means every file, also those without a dot in their name.
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    if (selected) *selected = index >= 1 && index <= filters.size() ? filters[index - 1] : QString();
    return filters.join(QStringLiteral(";;"));
}

std::string WidgetDialogue::openFile(const FileDialogRequest& request) {
    if (unattended_) return {};
    QString selected;
    const QString filters = dialogFilters(request.filter, request.filterIndex, &selected);
    // Open on the preselected file, else in the initial folder when the host has it.
    QString start;
    if (!request.fileName.empty()) {
        start = toHostPath_(request.fileName);
    } else if (!request.initialFolder.empty()) {
        const QString folder = toHostPath_(request.initialFolder);
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) start = folder;
    }
    const QString chosen = QFileDialog::getOpenFileName(main_, QString(), start, filters, &selected);
    return GuiText::toLocal(chosen);
}

void WidgetDialogue::showChecksumViewer(const std::string& caption, const std::string& text,
                                        std::optional<size_t> markedLine) {
    if (unattended_) return;
    if (!viewer_) {
        viewer_ = new ChecksumWindow(main_);
        viewer_->onClosed = [this] {
            if (onViewerClosed) onViewerClosed();
        };
    }
    viewer_->showText(GuiText::fromLocal(caption), GuiText::fromLocal(text), markedLine);
}

void WidgetDialogue::closeChecksumViewer() {
    // Discarded whole, so the next use builds it anew.
    if (!viewer_) return;
    viewer_->onClosed = nullptr;
    viewer_->hide();
    viewer_->deleteLater();
    viewer_.clear();
}

void WidgetDialogue::showAbout() {
    if (unattended_) return;
    if (!about_) about_ = new AboutBox(main_);
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void WidgetDialogue::closeAbout() {
    if (!about_) return;
    about_->hide();
    about_->deleteLater();
    about_.clear();
}

void WidgetDialogue::closeMainWindow() {
    if (main_) main_->close();
}
