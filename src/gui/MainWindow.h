#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/Controls.h"

class ComPortMapping;
class QtUploadHistory;
class Engine;
class QAction;
class QComboBox;
class QKeyEvent;
class QMenu;
class QRadioButton;
class TerminalView;
class WidgetDialogue;

// frmKelvane on Qt Widgets: one widget per control of the model, named after it. The
// widgets show the model and hand the user's events to the engine's handlers; the
// window itself decides nothing.
class MainWindow : public QMainWindow, private ControlsListener {
    Q_OBJECT
public:
    MainWindow(Engine& engine, WidgetDialogue& dialogue, ComPortMapping& ports, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the start-up, shows the window and, once it has appeared, gives the Exit
    // button its first focus (which starts the command-line work).
    void start();
    // Options > Upload History, after the other items.
    void addUploadHistory(const QtUploadHistory& history);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    // The device behind each port: its tool tips, and a window under Options to choose it.
    void addPortMapping(ComPortMapping& ports);
    void buildLayout();
    void connectEvents();
    void connectButton(Control& control, std::function<void()> handler);
    void connectSelector(Control& control, std::function<void()> click);
    void setTabOrder();
    // The path box offers its entries (the model's recent files) in a menu of its own.
    void buildRecentFilesMenu();
    // The switcher models are one Tab stop, the selected one (else the first), as an option
    // group is; the arrow keys move between them and select.
    void updateModelTabStop();
    bool moveInModels(QObject* watched, const QKeyEvent& key);

    void controlChanged(const Control& control, Aspect aspect) override;
    void mirror(const Control& control, Aspect aspect);
    void mirrorAll();
    // Hands a user event to the engine; a failure inside is reported, not thrown
    // through the event loop.
    void run(const char* what, const std::function<void()>& handler);
    void exitButtonGotFocus();

    QWidget* widget(const Control& control) const;
    template <class W>
    W* widgetAs(const Control& control) const {
        return qobject_cast<W*>(widget(control));
    }

    Engine& k_;
    Controls& ui_;
    std::map<const Control*, QWidget*> widgets_;
    std::map<const Control*, QAction*> actions_;
    TerminalView* terminal_ = nullptr;
    QMenu* recentFiles_ = nullptr;
    QAction* recentFilesButton_ = nullptr;
    // In the order they stand in their frame.
    std::vector<QRadioButton*> models_;
    bool inGotFocus_ = false;
};
