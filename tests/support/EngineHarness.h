#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "FakeDialogue.h"
#include "MemoryFileSystem.h"
#include "MemoryPort.h"
#include "MemorySettingsStore.h"
#include "VirtualHost.h"
#include "app/Engine.h"
#include "emulator/Enclosure.h"

// The enclosure's switches, set in place: enclosure([](auto& c) { c.silent = true; }).
inline EnclosureConfig enclosure(const std::function<void(EnclosureConfig&)>& set) {
    EnclosureConfig c;
    set(c);
    return c;
}

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
    void load() { engine->lifecycle.Form_Load(); }
    // Started up and inside an upload: the window locked, the port open.
    void startUpload() {
        load();
        engine->upload.PrepareUpload();
    }
    // How long a step took, in microseconds of virtual time.
    int64_t tookUs(const std::function<void()>& step) {
        const int64_t t0 = host.nowUs();
        step();
        return host.nowUs() - t0;
    }
    // Everything the host sent to the device.
    const std::string& sent() const { return device.hostBytes(); }
    // What the user and a calling script are told: the boxes shown, the log so far and
    // the exit code.
    std::string outcome() const {
        const State& s = engine->state;
        return dialogue.shown + " log:" + s.logText + " exit:" + std::to_string(s.appExitCode);
    }

    VirtualHost host;
    Enclosure device;
    MemoryPort port;
    FakeDialogue dialogue;
    MemorySettingsStore store;
    MemoryFileSystem files;
    std::unique_ptr<Engine> engine;
    bool unloaded = false;
};

// An engine on a silent device whose bytes the test scripts (port.reply, answer):
// selectors filled, Com 1 at 9600 baud.
struct ScriptedEngine : EngineHarness {
    explicit ScriptedEngine(bool termMode = true) : EngineHarness(enclosure([](auto& c) { c.silent = true; })) {
        st().termMode = termMode;
        engine->selectors.FillPortAndBaudLists();
        st().portNumber = 1;
        engine->selectors.ShowPortNumber();
        engine->selectors.SetBaud9600();
    }
    // Answers each command (the whole of one write) with its reply.
    void answer(std::map<std::string, std::string> replies, int64_t delayUs = 1000) {
        port.onWrite = [this, replies, delayUs](const std::string& w) {
            if (replies.count(w)) port.reply(replies.at(w), delayUs);
        };
    }
    // As the upload driver locks the window.
    void uploading() {
        st().uploadBusy = true;
        ui().cmdStartUploadButton.setEnabled(false);
    }
};
