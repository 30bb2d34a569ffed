#pragma once

#include <memory>
#include <string>

#include "FakeDialogue.h"
#include "MemoryFileSystem.h"
#include "MemoryPort.h"
#include "MemorySettingsStore.h"
#include "VirtualHost.h"
#include "app/Engine.h"
#include "emulator/Enclosure.h"

// An engine on fakes: virtual time, an in-memory port wired to the emulated
// enclosure, recorded dialogues, settings and files in memory. The window's close
// path runs as the real window runs it: Form_QueryUnload, then Form_Unload.
struct EngineHarness {
    explicit EngineHarness(EnclosureConfig config = {}, std::string commandLine = {})
        : device(config), port(host, device) {
        engine = std::make_unique<Engine>(port, host, dialogue, store, files,
                                          EngineSetup{std::move(commandLine), "/opt/kelvane"});
        dialogue.onClose = [this] {
            bool cancel = false;
            engine->lifecycle.Form_QueryUnload(cancel);
            if (!cancel && !unloaded) {
                unloaded = true;
                engine->lifecycle.Form_Unload();
            }
        };
    }

    State& st() { return engine->state; }
    Controls& ui() { return engine->ui; }

    // Waits in virtual time, letting the device answer.
    void runFor(int64_t us) { host.runUntil(host.nowUs() + us); }

    VirtualHost host;
    Enclosure device;
    MemoryPort port;
    FakeDialogue dialogue;
    MemorySettingsStore store;
    MemoryFileSystem files;
    std::unique_ptr<Engine> engine;
    bool unloaded = false;
};
