#include "app/Engine.h"

Engine::Engine(SerialPort& port_, Host& host_, UserDialogue& dialogue_, SettingsStore& store_, FileSystem& files_,
               EngineSetup setup_)
    : port(port_), host(host_), dialogue(dialogue_), store(store_), files(files_), setup(std::move(setup_)) {
    ui.addListener(this);
    port.setReceiveHandler([this] { channel.MSComm1_OnComm(); });
    host.setTimerHandler([this](TimerId id) {
        if (id == TimerId::TimerDelay)
            channel.TimerDelay_Timer();
        else
            channel.Timer1_Timer();
    });
    ui.cboPort.onChange = [this] { selectors.PortSelectionChanged(); };
    ui.cboBaud.onChange = [this] { selectors.BaudSelectionChanged(); };
    ui.txtUploadPath.onChange = [this] { uploadFiles.txtUploadPath_Change(); };
    ui.optVarda.onClick = [this] { uploadFiles.optVarda_Click(); };
    ui.optTessin.onClick = [this] { uploadFiles.optTessin_Click(); };
    ui.optR65500.onClick = [this] { uploadFiles.optR65500_Click(); };
    ui.optHalcyn.onClick = [this] { uploadFiles.optHalcyn_Click(); };
    ui.optTarsel16.onClick = [this] { uploadFiles.optTarsel16_Click(); };
}

Engine::~Engine() {
    ui.removeListener(this);
    port.setReceiveHandler(nullptr);
    host.setTimerHandler(nullptr);
}

void Engine::controlChanged(const Control& control, Aspect aspect) {
    if (control.kind() != ControlKind::Timer) return;
    if (aspect != Aspect::Enabled && aspect != Aspect::Timer) return;
    const TimerId id = &control == &ui.Timer1 ? TimerId::Timer1 : TimerId::TimerDelay;
    if (control.enabled() && control.interval() > 0)
        host.startTimer(id, control.interval());
    else
        host.stopTimer(id);
}
