#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QHelpEvent>
#include <QMenu>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTcpServer>

#include "GuiHarness.h"
#include "Ser2net.h"
#include "TemporaryHome.h"
#include "gui/PortToolTips.h"
#include "gui/PortsWindow.h"

namespace {

const std::string PortsKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\Ports";

QString q(const std::string& s) { return QString::fromStdString(s); }

// The window over a machine with two adapters, one with a stable name and one without;
// at first only the first is plugged in. Com 5 is given by the environment. Device nodes
// are plain files here, and stable names links to them.
struct PortsWindowTest : ::testing::Test {
    PortsWindowTest() {
        for (int n = 1; n <= 9; ++n) home.unset(("KELVANE_COM" + std::to_string(n)).c_str());
        home.set("KELVANE_COM5", "/dev/ttyKelvaneNone");
        std::filesystem::create_directories(home.file("by-id"));
        for (const char* node : {"ttyUSB0", "ttyACM0"}) WriteFile(home.file(node), "");
        std::filesystem::create_symlink("../ttyUSB0", home.file("by-id/usb-FTDI_A10K-port0"));
        adapters = ComPortMapping::withStableNames({{q(home.file("ttyUSB0")), "FT232R USB UART", "FTDI", "A10K",
                                                     0x0403, 0x6001, {}},
                                                    {q(home.file("ttyACM0")), {}, {}, {}, {}, {}, {}}},
                                                   q(home.file("by-id")));
        g.devices = {adapters[0]};
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
    QList<SerialDevice> adapters;
    const QString stableName = q(home.file("by-id/usb-FTDI_A10K-port0"));
};

TEST_F(PortsWindowTest, UnderOptionsAssignsAPresentDeviceByItsStableNameClearsItAndTheSelectorsToolTipsFollow) {
    EXPECT_EQ(g.find<QMenu>("mnuOptions")->actions().last(), g.action("mnuSerialPorts"));  // after the menu's own
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
    EXPECT_EQ(g.store.text(PortsKey, "Com1"), stableName.toStdString());
    EXPECT_EQ(ports->item(0, 1)->text(), stableName);
    EXPECT_EQ(ports->item(0, 3)->text(), "FT232R USB UART, FTDI, serial number A10K");
    // The stable name leads to the listed node, so the adapter is recognised behind it.
    EXPECT_EQ(portToolTip(1),
              stableName + " (" + q(home.file("ttyUSB0")) + "): FT232R USB UART, FTDI, serial number A10K");
    // The open port moved to its new device at once.
    EXPECT_GT(g.port.opens, opensBefore);
    EXPECT_TRUE(g.port.isOpen());

    // A device plugged in while the window is open shows after a refresh; without a
    // stable name it is stored by its node.
    g.devices = adapters;
    click(w, "cmdRefresh");
    ASSERT_EQ(devices->rowCount(), 2);
    ports->selectRow(3);
    devices->selectRow(1);
    click(w, "cmdAssign");
    EXPECT_EQ(g.store.text(PortsKey, "Com4"), home.file("ttyACM0"));
    EXPECT_EQ(ports->item(3, 3)->text(), "present");
    // Unplugged: its node goes, though the list still names it.
    std::filesystem::remove(home.file("ttyACM0"));
    click(w, "cmdRefresh");
    EXPECT_EQ(ports->item(3, 3)->text(), "not present");
    // What the environment decides is not changed here.
    EXPECT_FALSE(g.ports.assign(5, adapters[0]));
    EXPECT_FALSE(g.ports.clear(5));

    ports->selectRow(0);
    click(w, "cmdClear");
    EXPECT_EQ(g.store.values.count({PortsKey, "Com1"}), 0u);
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

TEST_F(PortsWindowTest, TheSelectorMarksWhatIsBehindEachPortWhenItOpensAndKeepsItsEntries) {
    g.store.write(PortsKey, "Com1", SettingValue::fromText(stableName.toStdString()));
    g.store.write(PortsKey, "Com4", SettingValue::fromText(home.file("ttyACM0")));
    auto* selector = g.find<QComboBox>("cboPort");
    const auto marksOnOpening = [&] {
        selector->showPopup();
        QStringList marks;
        for (int n : {1, 4, 5}) marks << selector->itemData(n, PortToolTips::MarkRole).toString();
        selector->hidePopup();
        return marks;
    };
    // A listed adapter by its node and description, a node the system does not list by name.
    const QString other = q(home.file("ttyACM0")) + ", present";  // outside /dev, by its whole path
    EXPECT_EQ(marksOnOpening(), QStringList({q(home.file("ttyUSB0")) + ", FT232R USB UART", other, "not present"}));
    std::filesystem::remove(home.file("ttyUSB0"));  // unplugged
    EXPECT_EQ(marksOnOpening(), QStringList({"not present", other, "not present"}));
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(selector->itemText(n), QString("Com %1").arg(n));
}

TEST_F(PortsWindowTest, ATypedPathOrUrlIsCheckedAndStoredAndTheTablesKeepTheirWidth) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QString answering = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.serverPort());
    const QString silent = QStringLiteral("socket://127.0.0.1:%1").arg(Ser2net::FreePort());
    // What is typed, whether it is stored, the start of what the window says and of what is there.
    const std::tuple<QString, bool, QString, QString> rows[] = {
        {q(home.file("ttyACM0")), true, "Com 3 is now ", "present"},
        {q(home.file("ttyUSB9")), false, q(home.file("ttyUSB9")) + " does not exist on this machine.", ""},
        {"rfc2217://rack:99999", false, "rfc2217://rack:99999 is not a network address", ""},
        {answering, true, "Com 3 is now " + answering + ".", "RFC 2217, server answers"},
        {silent, true, "Com 3 is now " + silent + ". The server of " + silent + " does not answer: ",
         "raw TCP at the server's rate, server does not answer: "},
    };
    PortsWindow* w = open();
    ASSERT_NE(w, nullptr);
    auto* ports = in<QTableWidget>(w, "lstComPorts");
    auto* devices = in<QTableWidget>(w, "lstDevices");
    auto* said = in<QLabel>(w, "lblDeviceCheck");
    auto fullWidth = [&] {
        for (QTableWidget* t : {ports, devices}) EXPECT_EQ(t->horizontalHeader()->length(), t->viewport()->width());
    };
    for (const auto& [typed, stored, message, presence] : rows) {
        SCOPED_TRACE(typed.toStdString());
        g.store.remove(PortsKey, "Com3");
        ports->selectRow(2);
        in<QLineEdit>(w, "txtDevice")->setText(typed);
        click(w, "cmdUseDevice");
        EXPECT_EQ(q(g.store.text(PortsKey, "Com3")), stored ? typed : "");
        EXPECT_TRUE(said->text().startsWith(message)) << said->text().toStdString();
        const QString there = ports->item(2, 3)->text();
        EXPECT_TRUE(!stored || there.startsWith(presence)) << there.toStdString();
        EXPECT_TRUE(!stored || portToolTip(3).startsWith(typed + ": " + presence)) << portToolTip(3).toStdString();
        fullWidth();
    }
    // A port chosen again offers its stored device for editing.
    ports->selectRow(0);
    ports->selectRow(2);
    EXPECT_EQ(in<QLineEdit>(w, "txtDevice")->text(), silent);
    devices->selectRow(0);
    for (const char* button : {"cmdAssign", "cmdClear", "cmdRefresh"}) {
        click(w, button);
        fullWidth();
    }
}

}  // namespace
