#pragma once

#include <string>

class Engine;

// The port and baud selectors and the one operation that applies the line settings.
class PortSelectors {
public:
    explicit PortSelectors(Engine& k) : k_(k) {}

    // The port selector's texts: no port, and "Com " followed by the port's digit.
    static constexpr const char* NoPortText = "None";
    static constexpr const char* PortPrefix = "Com ";
    // The rates, in the baud selector's order.
    static constexpr const char* Baud9600 = "9600";
    static constexpr const char* Baud19200 = "19200";
    static constexpr const char* Baud38400 = "38400";
    static constexpr const char* Baud57600 = "57600";

    void FillPortAndBaudLists();
    void PortSelectionChanged();
    void ShowPortNumber();
    void BaudSelectionChanged();
    void SetBaud9600();
    void SetBaud19200();
    void SetBaud38400();
    void SetBaud57600();
    void ApplyPortSettings();

private:
    void SetBaud(const char* rate);
    bool NoPortChosen() const;

    Engine& k_;
};
