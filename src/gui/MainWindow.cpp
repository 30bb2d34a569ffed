#include "gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Engine.h"
#include "gui/GuiText.h"
#include "gui/HistoryWindow.h"
#include "gui/PortToolTips.h"
#include "gui/PortsWindow.h"
#include "gui/TerminalView.h"
#include "gui/WidgetDialogue.h"

namespace {

// The order in which the controls take the keyboard focus; frames and labels are
// listed where they stand but never take it.
const char* const TabOrderNames[] = {
    "Frame1", "cmdExitButton", "cboPort", "cboBaud", "txtUploadPath", "cmdBrowseButton", "optVarda", "optTessin",
    "optR65500", "optTarsel16", "cmdSplashButton", "cmdMagicWordButton", "cmdCheckSumtxtButton",
    "cmdStartUploadButton", "cmdStopUploadButton", "chkRestarttoApp", "txtAppCheckSum", "txtFileChecksum",
    "cmdEraseJournalButton", "cmdRebootButton", "cmdResetBaudButton", "cmdSendIOSButton", "Frame2", "Label1",
    "Label2", "Label3", "txtTerminal", "FrameSwitcherType", "lblChecksum", "lblAppChecksum", "optHalcyn",
    "cmdConfirmationKey"};

// The port selector's look when no port is chosen.
const QColor NoPortBack(192, 0, 0);
const QColor NoPortText(224, 224, 224);

// A caption padded with a run of blanks wraps there onto a second line.
QString buttonText(const std::string& caption) {
    static const QRegularExpression padding(QStringLiteral(" {2,}"));
    return GuiText::fromLocal(caption).trimmed().replace(padding, QStringLiteral("\n"));
}

QColor toColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }

}  // namespace

MainWindow::MainWindow(Engine& engine, WidgetDialogue& dialogue, ComPortMapping& ports, QWidget* parent)
    : QMainWindow(parent), k_(engine), ui_(engine.ui) {
    setObjectName(QString::fromLatin1(ui_.frmKelvane.name().c_str()));
    // Set for the application, so the secondary windows and message boxes carry it too.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kelvane.svg")));
    buildControls();
    buildMenus();
    addPortMapping(ports);
    buildLayout();
    connectEvents();
    setTabOrder();
    buildRecentFilesMenu();
    // Whatever is dropped goes to the window, which asks the engine; no box takes it as text.
    for (QWidget* child : findChildren<QWidget*>()) child->setAcceptDrops(false);
    mirrorAll();
    ui_.addListener(this);

    dialogue.setMainWindow(this);
    dialogue.onViewerClosed = [this] { run("frmChecksum_Form_Unload", [this] { k_.checksumViewer.frmChecksum_Form_Unload(); }); };
}

MainWindow::~MainWindow() { ui_.removeListener(this); }

QWidget* MainWindow::widget(const Control& control) const {
    const auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

void MainWindow::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName("central");
    setAcceptDrops(true);
    setCentralWidget(central);
    for (Control* c : ui_.all()) {
        QWidget* w = nullptr;
        switch (c->kind()) {
        case ControlKind::Window: continue;
        case ControlKind::Button: w = new QPushButton(buttonText(c->caption()), central); break;
        case ControlKind::TextBox:
            if (c == &ui_.txtTerminal) {
                terminal_ = new TerminalView(central);
                // An unattended run on the offscreen platform has no one to show its pane to.
                terminal_->follow([this]() -> const std::string& { return ui_.txtTerminal.text(); }, [this] {
                    return !(k_.state.autoMode && QGuiApplication::platformName() == QLatin1String("offscreen"));
                });
                w = terminal_;
            } else {
                w = new QLineEdit(central);
            }
            break;
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(central);
            combo->setEditable(true);
            // The engine decides what the selector holds; nothing is added or completed here.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
            w = combo;
            break;
        }
        case ControlKind::OptionButton: {
            // The model keeps one option at most; none selected must be possible.
            auto* option = new QRadioButton(GuiText::fromLocal(c->caption()), central);
            option->setAutoExclusive(false);
            w = option;
            break;
        }
        case ControlKind::CheckBox: w = new QCheckBox(GuiText::fromLocal(c->caption()), central); break;
        case ControlKind::Label: w = new QLabel(GuiText::fromLocal(c->caption()), central); break;
        case ControlKind::Frame: w = new QGroupBox(GuiText::fromLocal(c->caption()), central); break;
        case ControlKind::ProgressBar: {
            // A plain bar: no figure on it.
            auto* bar = new QProgressBar(central);
            bar->setTextVisible(false);
            w = bar;
            break;
        }
        case ControlKind::Timer:
        case ControlKind::MenuItem: continue;
        }
        w->setObjectName(QString::fromLatin1(c->name().c_str()));
        if (!c->toolTip().empty()) w->setToolTip(GuiText::fromLocal(c->toolTip()));
        widgets_[c] = w;
    }
    // The two checksum boxes are display fields on a grey ground.
    for (const Control* c : {&ui_.txtAppCheckSum, &ui_.txtFileChecksum}) {
        QWidget* box = widget(*c);
        QPalette grey = box->palette();
        grey.setColor(QPalette::Base, grey.color(QPalette::Window));
        box->setPalette(grey);
        box->setMaximumWidth(150);
    }
}

void MainWindow::buildMenus() {
    std::map<std::string, QMenu*> menus;
    auto hasItems = [this](const Control& menu) {
        for (const Control* c : ui_.all())
            if (c->kind() == ControlKind::MenuItem && c->group() == menu.name()) return true;
        return false;
    };
    for (Control* c : ui_.all()) {
        if (c->kind() != ControlKind::MenuItem) continue;
        const QString name = QString::fromLatin1(c->name().c_str());
        QMenu* parentMenu = c->group().empty() ? nullptr : menus.at(c->group());
        QAction* action = nullptr;
        if (hasItems(*c)) {
            auto* menu = new QMenu(GuiText::fromLocal(c->caption()), this);
            menu->setObjectName(name);
            if (parentMenu)
                parentMenu->addMenu(menu);
            else
                menuBar()->addMenu(menu);
            menus[c->name()] = menu;
            action = menu->menuAction();
        } else if (c->caption() == "-") {
            action = parentMenu->addSeparator();
        } else {
            action = new QAction(GuiText::fromLocal(c->caption()), this);
            if (parentMenu)
                parentMenu->addAction(action);
            else
                menuBar()->addAction(action);
        }
        action->setObjectName(name);
        actions_[c] = action;
    }
}

void MainWindow::addPortMapping(ComPortMapping& ports) {
    auto* toolTips = new PortToolTips(widgetAs<QComboBox>(ui_.cboPort), ports);
    QAction* item = findChild<QMenu*>(QStringLiteral("mnuOptions"))->addAction(QStringLiteral("&Serial Ports..."));
    item->setObjectName(QStringLiteral("mnuSerialPorts"));
    connect(item, &QAction::triggered, this, [this, &ports, toolTips] {
        auto* window = new PortsWindow(ports, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        connect(window, &PortsWindow::mappingChanged, toolTips, &PortToolTips::update);
        // An open port moves to its new device at once.
        connect(window, &PortsWindow::mappingChanged, this, [this] {
            if (k_.port.isOpen()) run("ApplyPortSettings", [this] { k_.selectors.ApplyPortSettings(); });
        });
        window->open();
    });
}

void MainWindow::addUploadHistory(const QtUploadHistory& history) {
    QAction* item = findChild<QMenu*>(QStringLiteral("mnuOptions"))->addAction(QStringLiteral("Upload &History..."));
    item->setObjectName(QStringLiteral("mnuUploadHistory"));
    connect(item, &QAction::triggered, this, [this, &history] {
        auto* window = new HistoryWindow(history, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
}

void MainWindow::buildLayout() {
    const auto w = [this](const Control& c) { return widget(c); };

    // Serial port settings and the file to upload.
    auto* portGrid = new QGridLayout(w(ui_.Frame2));
    portGrid->addWidget(w(ui_.Label1), 0, 0);
    portGrid->addWidget(w(ui_.cboPort), 0, 1);
    portGrid->addWidget(w(ui_.Label2), 0, 2);
    portGrid->addWidget(w(ui_.cboBaud), 0, 3);
    portGrid->addWidget(w(ui_.Label3), 1, 0);
    portGrid->addWidget(w(ui_.txtUploadPath), 1, 1, 1, 4);
    portGrid->addWidget(w(ui_.cmdBrowseButton), 1, 5);
    portGrid->setColumnStretch(4, 1);
    w(ui_.cboPort)->setMinimumWidth(110);
    w(ui_.cboBaud)->setMinimumWidth(110);

    // The maker-only row: the switcher models and the engineers' buttons. When all of
    // it is hidden, the terminal below takes its room.
    auto* models = new QHBoxLayout(w(ui_.FrameSwitcherType));
    for (const Control* option : {&ui_.optVarda, &ui_.optTessin, &ui_.optR65500, &ui_.optTarsel16, &ui_.optHalcyn}) {
        models->addWidget(w(*option));
        models_.push_back(widgetAs<QRadioButton>(*option));
        w(*option)->installEventFilter(this);
    }
    models->addStretch();
    auto* makerButtons = new QGridLayout;
    makerButtons->addWidget(w(ui_.cmdSplashButton), 0, 0);
    makerButtons->addWidget(w(ui_.cmdMagicWordButton), 1, 0);
    makerButtons->addWidget(w(ui_.cmdConfirmationKey), 0, 1, 2, 1);
    makerButtons->addWidget(w(ui_.cmdCheckSumtxtButton), 0, 2, 2, 1);
    // All four fill the row's height, so their edges line up with the models' frame.
    for (const Control* b : {&ui_.cmdSplashButton, &ui_.cmdMagicWordButton, &ui_.cmdConfirmationKey,
                             &ui_.cmdCheckSumtxtButton})
        w(*b)->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    auto* makerRow = new QHBoxLayout;
    makerRow->addWidget(w(ui_.FrameSwitcherType), 1);
    makerRow->addLayout(makerButtons);

    // The terminal.
    auto* paneLayout = new QVBoxLayout(w(ui_.Frame1));
    paneLayout->setContentsMargins(4, 4, 4, 4);
    paneLayout->addWidget(w(ui_.txtTerminal));
    w(ui_.txtTerminal)->setMinimumHeight(140);

    // The Auto view shows the checksums, the Manual view the loader buttons; each has
    // a row of its own, so the window never needs room for both.
    auto* checksumRow = new QHBoxLayout;
    checksumRow->addWidget(w(ui_.lblChecksum));
    checksumRow->addWidget(w(ui_.txtFileChecksum));
    checksumRow->addSpacing(12);
    checksumRow->addWidget(w(ui_.lblAppChecksum));
    checksumRow->addWidget(w(ui_.txtAppCheckSum));
    checksumRow->addStretch();
    auto* loaderRow = new QHBoxLayout;
    for (const Control* b : {&ui_.cmdSendIOSButton, &ui_.cmdResetBaudButton, &ui_.cmdRebootButton,
                             &ui_.cmdEraseJournalButton})
        loaderRow->addWidget(w(*b));
    loaderRow->addStretch();

    auto* actionRow = new QHBoxLayout;
    actionRow->addWidget(w(ui_.chkRestarttoApp));
    actionRow->addStretch();
    for (const Control* b : {&ui_.cmdStartUploadButton, &ui_.cmdStopUploadButton, &ui_.cmdExitButton}) {
        w(*b)->setMinimumWidth(100);
        actionRow->addWidget(w(*b));
    }

    auto* main = new QVBoxLayout(centralWidget());
    main->addWidget(w(ui_.Frame2));
    main->addLayout(makerRow);
    main->addWidget(w(ui_.Frame1), 1);
    main->addLayout(checksumRow);
    main->addLayout(loaderRow);
    main->addWidget(w(ui_.ProgressBar1));
    main->addWidget(w(ui_.lblUploadStatus));
    // A long line is cut at the window's edge rather than widening the window.
    w(ui_.lblUploadStatus)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    main->addWidget(w(ui_.lblUploadResult));
    // The result is a sentence that may be long, the status line changes with every chunk:
    // neither may widen the window or move its layout.
    widgetAs<QLabel>(ui_.lblUploadResult)->setWordWrap(true);
    w(ui_.lblUploadStatus)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    main->addLayout(actionRow);
    resize(760, 560);
}

void MainWindow::connectButton(Control& control, std::function<void()> handler) {
    auto* button = widgetAs<QPushButton>(control);
    const std::string what = control.name() + "_Click";
    connect(button, &QPushButton::clicked, this, [this, what, handler] { run(what.c_str(), handler); });
}

void MainWindow::connectSelector(Control& control, std::function<void()> click) {
    auto* combo = widgetAs<QComboBox>(control);
    Control* c = &control;
    // Typing goes through the model, whose change handler may rewrite the text at once.
    connect(combo->lineEdit(), &QLineEdit::textEdited, this,
            [this, c](const QString& text) { run("selector change", [&] { c->setText(GuiText::toLine(text)); }); });
    // Choosing from the list changes the text and clicks.
    connect(combo, qOverload<int>(&QComboBox::activated), this, [this, c, click, combo](int index) {
        run("selector click", [&] {
            c->setText(GuiText::toLine(combo->itemText(index)));
            click();
        });
        mirror(*c, Aspect::Text);
    });
}

void MainWindow::connectEvents() {
    EngineeringCommands& eng = k_.engineering;
    connectButton(ui_.cmdConfirmationKey, [&eng] { eng.cmdConfirmationKey_Click(); });
    connectButton(ui_.cmdMagicWordButton, [&eng] { eng.cmdMagicWordButton_Click(); });
    connectButton(ui_.cmdSplashButton, [&eng] { eng.cmdSplashButton_Click(); });
    connectButton(ui_.cmdSendIOSButton, [&eng] { eng.cmdSendIOSButton_Click(); });
    connectButton(ui_.cmdResetBaudButton, [&eng] { eng.cmdResetBaudButton_Click(); });
    connectButton(ui_.cmdRebootButton, [&eng] { eng.cmdRebootButton_Click(); });
    connectButton(ui_.cmdEraseJournalButton, [&eng] { eng.cmdEraseJournalButton_Click(); });
    connectButton(ui_.cmdCheckSumtxtButton, [this] { k_.checksumViewer.cmdCheckSumtxtButton_Click(); });
    connectButton(ui_.cmdBrowseButton, [this] { k_.uploadFiles.cmdBrowseButton_Click(); });
    connectButton(ui_.cmdStartUploadButton, [this] { k_.upload.cmdStartUploadButton_Click(); });
    connectButton(ui_.cmdStopUploadButton, [this] { k_.stopAbort.cmdStopUploadButton_Click(); });
    connectButton(ui_.cmdExitButton, [this] { k_.lifecycle.cmdExitButton_Click(); });
    for (QPushButton* button : centralWidget()->findChildren<QPushButton*>()) button->installEventFilter(this);

    connectSelector(ui_.cboPort, [this] { k_.selectors.PortSelectionChanged(); });
    connectSelector(ui_.cboBaud, [this] { k_.selectors.BaudSelectionChanged(); });

    connect(widgetAs<QLineEdit>(ui_.txtUploadPath), &QLineEdit::textEdited, this, [this](const QString& text) {
        run("txtUploadPath_Change", [&] { ui_.txtUploadPath.setText(GuiText::toLocal(text)); });
    });
    for (Control* box : {&ui_.txtFileChecksum, &ui_.txtAppCheckSum})
        connect(widgetAs<QLineEdit>(*box), &QLineEdit::textEdited, this,
                [this, box](const QString& text) { run("checksum box", [&] { box->setText(GuiText::toLine(text)); }); });

    connect(widgetAs<QCheckBox>(ui_.chkRestarttoApp), &QCheckBox::clicked, this,
            [this](bool checked) { ui_.chkRestarttoApp.setChecked(checked); });
    for (Control* c : ui_.all()) {
        if (c->kind() != ControlKind::OptionButton) continue;
        connect(widgetAs<QRadioButton>(*c), &QRadioButton::clicked, this, [this, c] {
            run((c->name() + "_Click").c_str(), [c] { c->select(); });
            // A click on the selected option must not clear it.
            mirror(*c, Aspect::Checked);
        });
    }

    terminal_->onKeyDown = [this](int key, bool shift, bool ctrl, bool alt) {
        run("txtTerminal_KeyDown", [&] { k_.makerOnly.txtTerminal_KeyDown(key, shift, ctrl, alt); });
    };
    terminal_->onKeyPress = [this](int16_t keyAscii) {
        run("txtTerminal_KeyPress", [&] { k_.terminal.txtTerminal_KeyPress(keyAscii); });
    };

    const std::pair<Control*, std::function<void()>> menuHandlers[] = {
        {&ui_.mnuExit, [this] { k_.lifecycle.mnuExit_Click(); }},
        {&ui_.mnuAuto, [this] { k_.lifecycle.mnuAuto_Click(); }},
        {&ui_.mnuManual, [this] { k_.lifecycle.mnuManual_Click(); }},
        {&ui_.mnuTermModeOn, [this] { k_.terminalMode.mnuTermModeOn_Click(); }},
        {&ui_.mnuTermModeOff, [this] { k_.terminalMode.mnuTermModeOff_Click(); }},
        {&ui_.mnudefault, [this] { k_.terminalMode.mnudefault_Click(); }},
        {&ui_.mnubluewhite, [this] { k_.terminalMode.mnubluewhite_Click(); }},
        {&ui_.mnublackwhite, [this] { k_.terminalMode.mnublackwhite_Click(); }},
        {&ui_.mnuAbout, [this] { k_.lifecycle.mnuAbout_Click(); }},
    };
    for (const auto& [control, handler] : menuHandlers) {
        Control* c = control;
        connect(actions_.at(c), &QAction::triggered, this, [this, c, handler = handler] {
            run((c->name() + "_Click").c_str(), handler);
            // Qt ticks a checkable item by itself; the model says whether it is ticked.
            mirror(*c, Aspect::Checked);
        });
    }
}

void MainWindow::setTabOrder() {
    QWidget* previous = nullptr;
    for (const char* name : TabOrderNames) {
        QWidget* w = widget(*ui_.find(name));
        if (!w || w->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void MainWindow::start() {
    run("Form_Load", [this] { k_.lifecycle.Form_Load(); });
    // Closed during its start-up (a stop from outside while a start-up box was up).
    if (k_.lifecycle.ended()) return;
    // The Exit button holds the focus when the window appears; its first focus event
    // starts the command-line work, queued so that the window is on screen first.
    widget(ui_.cmdExitButton)->setFocus(Qt::OtherFocusReason);
    QMainWindow::show();
    QTimer::singleShot(0, this, [this] { exitButtonGotFocus(); });
}

void MainWindow::exitButtonGotFocus() {
    // Not again while it runs (an unattended upload runs inside it), nor once closed.
    if (inGotFocus_ || !isVisible()) return;
    inGotFocus_ = true;
    run("cmdExitButton_GotFocus", [this] { k_.lifecycle.cmdExitButton_GotFocus(); });
    inGotFocus_ = false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (moveInModels(watched, *key)) return true;
        if (watched == widget(ui_.txtUploadPath) && key->key() == Qt::Key_Down && recentFilesButton_->isVisible() &&
            recentFilesButton_->isEnabled()) {
            recentFilesButton_->trigger();
            return true;
        }
        // Enter presses the focused button, as the window's users know it from Windows.
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier)) {
            button->click();
            return true;
        }
    }
    if (watched == widget(ui_.cmdExitButton) && event->type() == QEvent::FocusIn) {
        // Focus that only comes back with the window or after a menu is no new focus.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            QTimer::singleShot(0, this, [this] { exitButtonGotFocus(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::buildRecentFilesMenu() {
    auto* box = widgetAs<QLineEdit>(ui_.txtUploadPath);
    recentFiles_ = new QMenu(box);
    recentFiles_->setObjectName(QStringLiteral("mnuRecentFiles"));
    // The arrow of a drop-down list, as the style draws it for the selectors.
    QPixmap arrow(16, 16);
    arrow.fill(Qt::transparent);
    {
        QPainter painter(&arrow);
        QStyleOption option;
        option.initFrom(box);
        option.rect = arrow.rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, box);
    }
    recentFilesButton_ = box->addAction(QIcon(arrow), QLineEdit::TrailingPosition);
    recentFilesButton_->setObjectName(QStringLiteral("cmdRecentFiles"));
    recentFilesButton_->setToolTip(QStringLiteral("Recent files (Down arrow)"));
    connect(recentFilesButton_, &QAction::triggered, this, [this, box] {
        recentFiles_->setMinimumWidth(box->width());
        recentFiles_->popup(box->mapToGlobal(QPoint(0, box->height())));
    });
    box->installEventFilter(this);
}

void MainWindow::updateModelTabStop() {
    QRadioButton* stop = nullptr;
    for (QRadioButton* option : models_)
        if (option->isChecked()) stop = option;
    if (!stop) stop = models_.front();
    for (QRadioButton* option : models_) option->setFocusPolicy(option == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

bool MainWindow::moveInModels(QObject* watched, const QKeyEvent& key) {
    const auto at = std::find(models_.begin(), models_.end(), watched);
    if (at == models_.end() || key.modifiers() & ~Qt::KeypadModifier) return false;
    int step = 0;
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: step = -1; break;
    case Qt::Key_Right:
    case Qt::Key_Down: step = 1; break;
    default: return false;
    }
    // Round the group, past the ones that cannot be chosen.
    const int count = static_cast<int>(models_.size());
    int index = static_cast<int>(at - models_.begin());
    for (int i = 0; i < count; ++i) {
        index = (index + step + count) % count;
        QRadioButton* next = models_[static_cast<size_t>(index)];
        if (next->isVisibleTo(this) && next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            next->click();
            break;
        }
    }
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (k_.fileDrop.DropAllowed())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (k_.fileDrop.DropAllowed())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> files;
    bool otherContent = !event->mimeData()->hasUrls();
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            files.push_back(GuiText::toLocal(QDir::toNativeSeparators(url.toLocalFile())));
        else
            otherContent = true;
    }
    run("Form_DragDrop", [&] { k_.fileDrop.Form_DragDrop(files, otherContent); });
    event->acceptProposedAction();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    run("Form_QueryUnload", [&] { k_.lifecycle.Form_QueryUnload(cancel); });
    if (cancel) {
        event->ignore();
        return;
    }
    run("Form_Unload", [this] { k_.lifecycle.Form_Unload(); });
    event->accept();
}

void MainWindow::run(const char* what, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        k_.host.warn(std::string(what) + ": " + e.what());
    } catch (...) {
        k_.host.warn(std::string(what) + ": unexpected failure");
    }
}

void MainWindow::controlChanged(const Control& control, Aspect aspect) { mirror(control, aspect); }

void MainWindow::mirrorAll() {
    for (const Control* c : ui_.all())
        for (Aspect a : {Aspect::Caption, Aspect::Entries, Aspect::Text, Aspect::Enabled, Aspect::Visible,
                         Aspect::Checked, Aspect::Locked, Aspect::Look, Aspect::Colors, Aspect::Progress})
            mirror(*c, a);
}

void MainWindow::mirror(const Control& control, Aspect aspect) {
    if (control.kind() == ControlKind::MenuItem) {
        QAction* action = actions_.at(&control);
        const QSignalBlocker block(action);
        switch (aspect) {
        case Aspect::Caption:
            // A separator's caption only marks it as one; drawn, it would show as text.
            if (!action->isSeparator()) action->setText(GuiText::fromLocal(control.caption()));
            break;
        case Aspect::Enabled: action->setEnabled(control.enabled()); break;
        case Aspect::Visible: action->setVisible(control.visible()); break;
        case Aspect::Checked:
            // Only a ticked item shows a tick mark; the others show none, not an empty box.
            action->setCheckable(control.checked());
            action->setChecked(control.checked());
            break;
        default: break;
        }
        return;
    }
    if (&control == &ui_.frmKelvane) {
        if (aspect == Aspect::Caption) setWindowTitle(GuiText::fromLocal(control.caption()));
        return;
    }
    QWidget* w = widget(control);
    if (!w) return;  // timers have no widget
    const QSignalBlocker block(w);
    // The path box holds a file name; every other text is line text.
    const auto text = [&] {
        return &control == &ui_.txtUploadPath ? GuiText::fromLocal(control.text()) : GuiText::fromLine(control.text());
    };
    switch (aspect) {
    case Aspect::Caption:
        if (auto* b = qobject_cast<QPushButton*>(w))
            b->setText(buttonText(control.caption()));
        else if (auto* a = qobject_cast<QAbstractButton*>(w))
            a->setText(GuiText::fromLocal(control.caption()));
        else if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(GuiText::fromLocal(control.caption()));
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(GuiText::fromLocal(control.caption()));
        break;
    case Aspect::Text:
        if (w == terminal_) {
            terminal_->textReplaced();
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->text() != text()) e->setText(text());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            if (combo->currentText() != text()) combo->setEditText(text());
        }
        break;
    case Aspect::TextAppended:
        if (w == terminal_) terminal_->textGrew();
        break;
    case Aspect::Entries:
        if (w == widget(ui_.txtUploadPath) && recentFiles_) {
            recentFiles_->clear();
            for (const std::string& entry : control.entries()) {
                // A path is no caption: an "&" in it stays itself.
                QAction* item = recentFiles_->addAction(GuiText::fromLocal(entry).replace('&', QStringLiteral("&&")));
                connect(item, &QAction::triggered, this, [this, entry] {
                    run("txtUploadPath_EntryChosen", [&] { k_.recentFiles.txtUploadPath_EntryChosen(entry); });
                });
            }
            recentFilesButton_->setVisible(!control.entries().empty());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->clear();
            for (const std::string& entry : control.entries()) combo->addItem(GuiText::fromLine(entry));
            combo->setEditText(text());
        }
        break;
    case Aspect::Enabled: w->setEnabled(control.enabled()); break;
    case Aspect::Visible: w->setVisible(control.visible()); break;
    case Aspect::Checked:
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setChecked(control.checked());
        if (control.kind() == ControlKind::OptionButton && !models_.empty()) updateModelTabStop();
        break;
    case Aspect::Locked:
        if (w == widget(ui_.txtUploadPath) && recentFilesButton_) recentFilesButton_->setEnabled(!control.locked());
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setReadOnly(control.locked());
        else if (w == terminal_)
            terminal_->setReadOnly(control.locked());
        break;
    case Aspect::Look:
        if (control.kind() == ControlKind::ComboBox) {
            QPalette palette = QApplication::palette(w);
            if (control.look() == Look::NoPort) {
                palette.setColor(QPalette::Base, NoPortBack);
                palette.setColor(QPalette::Text, NoPortText);
            }
            w->setPalette(palette);
        }
        break;
    case Aspect::Colors:
        if (w == terminal_) {
            QPalette palette = QApplication::palette(w);
            if (control.backColor()) palette.setColor(QPalette::Base, toColor(*control.backColor()));
            if (control.foreColor()) palette.setColor(QPalette::Text, toColor(*control.foreColor()));
            w->setPalette(palette);
        } else if (qobject_cast<QLabel*>(w)) {
            QPalette palette = QApplication::palette(w);
            if (control.backColor()) palette.setColor(QPalette::Window, toColor(*control.backColor()));
            if (control.foreColor()) palette.setColor(QPalette::WindowText, toColor(*control.foreColor()));
            w->setAutoFillBackground(control.backColor().has_value());
            w->setPalette(palette);
        }
        break;
    case Aspect::Progress:
        if (auto* bar = qobject_cast<QProgressBar*>(w)) {
            bar->setRange(control.minimum(), control.maximum());
            bar->setValue(control.value());
        }
        break;
    case Aspect::Focus: w->setFocus(Qt::OtherFocusReason); break;
    case Aspect::Geometry:  // the layout gives the terminal the room the maker-only row leaves
    case Aspect::Timer: break;
    }
}
