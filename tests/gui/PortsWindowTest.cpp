#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QHelpEvent>
#include <QMenu>
#include <QTableWidget>

#include "GuiHarness.h"
#include "TemporaryHome.h"
#include "gui/PortsWindow.h"

namespace {

const std::string PortsKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\Ports";

QString q(const std::string& s) { return QString::fromStdString(s); }

// The window over a machine with one adapter that has a stable name; Com 5 is given
// by the environment.
struct PortsWindowTest : ::testing::Test {
    PortsWindowTest() {
        for (int n = 1; n <= 9; ++n) home.unset(("KELVANE_COM" + std::to_string(n)).c_str());
        home.set("KELVANE_COM5", "/dev/ttyKelvaneNone");
        WriteFile(home.file("ttyUSB0"), "");
        std::filesystem::create_symlink(home.file("ttyUSB0"), home.file("usb-FTDI_A10K-port0"));
        g.devices = {{q(home.file("ttyUSB0")), "FT232R USB UART", "FTDI", "A10K", 0x0403, 0x6001,
                      q(home.file("usb-FTDI_A10K-port0"))}};
    }
    // Opens the window from the Options menu, and keeps it open: the harness closes
    // every modal window at once.
    PortsWindow* open() {
        g.boxCloser.stop();
        g.action("mnuSerialPorts")->trigger();
        GuiHarness::settle();
        return g.window->findChild<PortsWindow*>("frmPorts");
    }
    template <class W>
    W* in(PortsWindow* w, const char* name) { return w->findChild<W*>(QLatin1String(name)); }
    void click(PortsWindow* w, const char* name) { in<QAbstractButton>(w, name)->click(); }
    QString portToolTip(int n) { return g.find<QComboBox>("cboPort")->itemData(n, Qt::ToolTipRole).toString(); }

    TemporaryHome home;
    GuiHarness g;
};

TEST_F(PortsWindowTest, UnderOptionsAssignsAPresentDeviceByItsStableNameClearsItAndTheSelectorsToolTipsFollow) {
    QStringList items;  // a new item after the menu's own
    for (QAction* a : g.find<QMenu>("mnuOptions")->actions()) items << a->objectName();
    EXPECT_EQ(items, QStringList({"mnuMode", "mnuTerminalOptions", "mnuSerialPorts"}));
    ASSERT_TRUE(g.port.isOpen());  // the terminal is on
    const int opensBefore = g.port.opens;
    PortsWindow* w = open();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->isVisible());
    auto* ports = in<QTableWidget>(w, "lstComPorts");
    auto* devices = in<QTableWidget>(w, "lstDevices");
    ASSERT_EQ(ports->rowCount(), 9);
    EXPECT_EQ(ports->item(4, 2)->text(), "environment (KELVANE_COM5)");
    ASSERT_EQ(devices->rowCount(), 1);
    EXPECT_EQ(devices->item(0, 4)->text(), "0403:6001");

    // What the environment gives cannot be changed here.
    ports->selectRow(4);
    devices->selectRow(0);
    EXPECT_FALSE(in<QAbstractButton>(w, "cmdAssign")->isEnabled());

    ports->selectRow(0);
    devices->selectRow(0);
    click(w, "cmdAssign");
    EXPECT_EQ(g.store.text(PortsKey, "Com1"), home.file("usb-FTDI_A10K-port0"));
    EXPECT_EQ(ports->item(0, 1)->text(), q(home.file("usb-FTDI_A10K-port0")));
    EXPECT_EQ(ports->item(0, 3)->text(), "FT232R USB UART, FTDI, serial number A10K");
    EXPECT_TRUE(portToolTip(1).contains("FT232R USB UART")) << portToolTip(1).toStdString();
    // The open port moved to its new device at once.
    EXPECT_GT(g.port.opens, opensBefore);
    EXPECT_TRUE(g.port.isOpen());

    // A device plugged in while the window is open shows after a refresh.
    g.devices.append({"/dev/ttyACM0", "CDC", {}, {}, {}, {}, {}});
    click(w, "cmdRefresh");
    EXPECT_EQ(devices->rowCount(), 2);

    ports->selectRow(0);
    click(w, "cmdClear");
    EXPECT_EQ(g.store.text(PortsKey, "Com1"), "");
    EXPECT_EQ(ports->item(0, 2)->text(), "default");
    EXPECT_TRUE(portToolTip(1).startsWith("/dev/ttyS0: ")) << portToolTip(1).toStdString();

    // The selector's tool tips name the device behind each port when about to show.
    g.store.write(PortsKey, "Com2", SettingValue::fromText(home.file("ttyUSB0")));
    auto* selector = g.find<QComboBox>("cboPort");
    g.ui().cboPort.setText("Com 2");
    QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), selector->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(selector, &tip);
    EXPECT_EQ(portToolTip(2), q(home.file("ttyUSB0")) + ": FT232R USB UART, FTDI, serial number A10K");
    EXPECT_EQ(portToolTip(5), "/dev/ttyKelvaneNone: not present");
    EXPECT_EQ(selector->toolTip(), portToolTip(2));
    EXPECT_TRUE(portToolTip(0).isEmpty());
}

}  // namespace
