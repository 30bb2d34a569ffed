#pragma once

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

#include "MemoryFileSystem.h"
#include "MemoryPort.h"
#include "MemorySettingsStore.h"
#include "VirtualHost.h"
#include "app/Engine.h"
#include "gui/MainWindow.h"
#include "gui/WidgetDialogue.h"
#include "host/ComPortMapping.h"

// The real window and dialogues over the engine on the test fakes: virtual time, the
// emulated enclosure behind an in-memory port, settings and files in memory. The window
// is loaded and shown; a modal box is shown to onBox and closed as soon as it is up.
struct GuiHarness {
    explicit GuiHarness(std::string commandLine = {}, EnclosureConfig config = {})
        : device(config),
          port(host, device),
          dialogue([](const std::string& p) { return QString::fromStdString(p); }, [this] { return host.yielding(); },
                   false) {
        engine = std::make_unique<Engine>(port, host, dialogue, store, files, EngineSetup{std::move(commandLine), {}});
        window = std::make_unique<MainWindow>(*engine, dialogue, ports);
        QObject::connect(&boxCloser, &QTimer::timeout, [this] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                if (onBox) onBox(box);
                box->close();
            }
        });
        boxCloser.start(5);
        window->start();
        settle();
    }
    static void settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    template <class W = QWidget>
    W* find(const char* name) const { return window->findChild<W*>(QString::fromLatin1(name)); }
    QAction* action(const char* name) const { return find<QAction>(name); }
    Controls& ui() { return engine->ui; }

    VirtualHost host;
    Enclosure device;
    MemoryPort port;
    MemorySettingsStore store;
    MemoryFileSystem files;
    // The serial devices this machine has, as the port mapping lists them.
    QList<SerialDevice> devices;
    ComPortMapping ports{store, [this] { return devices; }};
    WidgetDialogue dialogue;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<MainWindow> window;
    QTimer boxCloser;
    std::function<void(QWidget*)> onBox;
};
