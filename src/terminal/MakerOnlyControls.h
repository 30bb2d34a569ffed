#pragma once

class Engine;

// Shift+F1 shows or hides the controls meant for the maker's engineers.
class MakerOnlyControls {
public:
    explicit MakerOnlyControls(Engine& k) : k_(k) {}

    // Key codes as the host reports them; F1 is 112.
    static constexpr int KeyF1 = 112;
    void txtTerminal_KeyDown(int keyCode, bool shift, bool ctrl, bool alt);
    void HideZqOnlyControls();
    void ShowZqOnlyControls();

private:
    void HideSet();
    void ShowSet();

    Engine& k_;
};
