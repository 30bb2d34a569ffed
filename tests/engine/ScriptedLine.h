#pragma once

#include <map>
#include <utility>

#include "EngineHarness.h"

// A line whose far end is a script, for what a well-behaved device never sends (a
// late key prompt, a stray dot, 0xAE inside a longer answer).
class ScriptedLine : public SerialPort {
public:
    explicit ScriptedLine(VirtualHost& host) : host_(host) {}

    bool isOpen() const override { return open_; }
    void open() override { open_ = true; ++opens; }
    void close() override { open_ = false; input_.clear(); }
    void choosePort(int number) override { port = number; }
    void setSettings(const std::string& s) override { settings = s.empty() ? settings : s; }
    void write(const std::string& bytes) override {
        if (!open_) throw HostError(ErrorNumber::PortNotOpen, "port is not open");
        written += bytes;
        if (onWrite) onWrite(bytes);
    }
    std::string read(int maxChars) override {
        if (std::exchange(failNextRead, false)) throw HostError(ErrorNumber::DeviceIoError, "line went away");
        const std::string out = input_.substr(0, maxChars > 0 ? size_t(maxChars) : std::string::npos);
        input_.erase(0, out.size());
        return out;
    }
    int waiting() const override { return int(input_.size()); }
    void setReceiveHandler(std::function<void()> h) override { handler_ = std::move(h); }

    // Bytes that reach an open port after delayUs; the notification is raised again
    // while any remain unread.
    void reply(const std::string& bytes, int64_t delayUs = 1000) {
        host_.after(delayUs, [this, bytes] {
            if (!open_) return;
            input_ += bytes;
            for (size_t before = 0; !input_.empty() && handler_ && open_ && input_.size() != before;) {
                before = input_.size();
                handler_();
            }
        });
    }
    // Answers each command (the whole of one write) with its reply.
    void answer(std::map<std::string, std::string> replies, int64_t delayUs = 1000) {
        onWrite = [this, replies, delayUs](const std::string& w) {
            if (replies.count(w)) reply(replies.at(w), delayUs);
        };
    }

    std::function<void(const std::string&)> onWrite;
    std::string written, settings = "9600,n,8,1";
    int opens = 0, port = 1;
    bool failNextRead = false;

private:
    VirtualHost& host_;
    std::function<void()> handler_;
    bool open_ = false;
    std::string input_;
};

// An engine on a scripted line (the harness's own line stays unused): selectors
// filled, Com 1 at 9600 baud.
struct ScriptedEngine : EngineHarness {
    explicit ScriptedEngine(bool termMode = true) : line(host) {
        engine.reset();  // the harness's engine lets go of the host first
        engine = std::make_unique<Engine>(line, host, dialogue, store, files, EngineSetup{});
        st().termMode = termMode;
        engine->selectors.FillPortAndBaudLists();
        st().portNumber = 1;
        engine->selectors.ShowPortNumber();
        engine->selectors.SetBaud9600();
    }
    ~ScriptedEngine() { engine.reset(); }  // before the line it holds goes
    // As the upload driver locks the window.
    void uploading() { st().uploadBusy = true; ui().cmdStartUploadButton.setEnabled(false); }
    // How long a step took, in seconds of virtual time.
    double timed(const std::function<void()>& step) { return double(tookUs(step)) / 1e6; }

    ScriptedLine line;
};
