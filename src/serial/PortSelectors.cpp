#include "serial/PortSelectors.h"


#include "app/Engine.h"
#include "app/HostError.h"

namespace {

constexpr int HighestPort = 9;
// No parity, 8 data bits, 1 stop bit after the rate; the device's fixed framing.
constexpr const char* Framing = ",n,8,1";
constexpr size_t FramingLength = 6;
constexpr const char* PortNumberSetting = "PortNumber";

std::string portText(int number) { return PortSelectors::PortPrefix + std::to_string(number); }

}  // namespace

void PortSelectors::FillPortAndBaudLists() {
    for (const char* rate : {Baud9600, Baud19200, Baud38400, Baud57600}) k_.ui.cboBaud.addEntry(rate);
    k_.ui.cboPort.addEntry(NoPortText);
    for (int n = 1; n <= HighestPort; ++n) k_.ui.cboPort.addEntry(portText(n));
}

bool PortSelectors::NoPortChosen() const {
    const std::string& text = k_.ui.cboPort.text();
    return text == portText(0) || text == NoPortText;
}

void PortSelectors::PortSelectionChanged() {
    try {
        for (int n = 1; n <= HighestPort && k_.ui.cboPort.text() != NoPortText; ++n) {
            if (k_.ui.cboPort.text() == portText(n)) {
                k_.state.portNumber = static_cast<int16_t>(n);
                ApplyPortSettings();
                return;
            }
        }
        if (k_.port.isOpen()) k_.port.close();
        if (NoPortChosen()) {
            k_.ui.cboPort.setLook(Look::NoPort);
            return;
        }
        // Anything typed is put back to the current port at once; the rewrite runs this
        // again and ends above.
        ShowPortNumber();
    } catch (const HostError&) {
    }
}

void PortSelectors::ShowPortNumber() { k_.ui.cboPort.setText(portText(k_.state.portNumber)); }

void PortSelectors::BaudSelectionChanged() {
    const std::string text = k_.ui.cboBaud.text();
    if (text == Baud9600) return SetBaud9600();
    if (text == Baud19200) return SetBaud19200();
    if (text == Baud38400) return SetBaud38400();
    if (text == Baud57600) return SetBaud57600();
    // Not a rate: show the current one again (which runs this again and applies it),
    // then hand the unchanged settings back to the open port.
    const std::string& settings = k_.state.portSettings;
    k_.ui.cboBaud.setText(settings.size() > FramingLength ? settings.substr(0, settings.size() - FramingLength)
                                                          : std::string());
    k_.port.setSettings(k_.state.portSettings);
}

void PortSelectors::SetBaud9600() { SetBaud(Baud9600); }
void PortSelectors::SetBaud19200() { SetBaud(Baud19200); }
void PortSelectors::SetBaud38400() { SetBaud(Baud38400); }
void PortSelectors::SetBaud57600() { SetBaud(Baud57600); }

void PortSelectors::SetBaud(const char* rate) {
    try {
        if (k_.port.isOpen()) k_.port.close();
        k_.ui.cboBaud.setText(rate);
        k_.state.portSettings = std::string(rate) + Framing;
        k_.port.setSettings(k_.state.portSettings);
        ApplyPortSettings();
    } catch (const HostError&) {
    }
}

void PortSelectors::ApplyPortSettings() {
    State& s = k_.state;
    try {
        if (k_.port.isOpen()) k_.port.close();
        k_.port.setSettings(s.portSettings);
        if (s.portNumber != 0) k_.port.choosePort(s.portNumber);
        // An unattended run uses the port it was given but never remembers it.
        if (!s.autoMode && s.portNumber != 0) {
            int32_t type = 0;
            k_.settings.WriteRegValue(Settings::SettingsKey, PortNumberSetting,
                                      SettingValue::fromText(std::to_string(s.portNumber)), type);
        }
        if (NoPortChosen()) return;
        k_.ui.cboPort.setLook(Look::Applied);
        // Open only while needed: the terminal is on or an upload runs.
        if (!k_.port.isOpen() && (s.termMode || !k_.ui.cmdStartUploadButton.enabled())) k_.port.open();
    } catch (const HostError& e) {
        k_.errors.ReportError(e.number(), e.reason());
    }
}
