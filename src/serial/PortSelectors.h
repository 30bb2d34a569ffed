#pragma once

class Engine;

// The port and baud selectors and the one operation that applies the line settings.
class PortSelectors {
public:
    explicit PortSelectors(Engine& k) : k_(k) {}

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
    Engine& k_;
};
