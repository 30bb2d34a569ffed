#include "gui/PortsWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "host/ComPortMapping.h"
#include "host/NetworkAddress.h"
#include "serial/PortSelectors.h"

namespace {

using Source = ComPortMapping::Source;

QString sourceText(Source source, int number) {
    switch (source) {
    case Source::Environment:
        return QStringLiteral("environment (%1%2)").arg(QLatin1String(ComPortMapping::VariablePrefix)).arg(number);
    case Source::Setting:
        return QStringLiteral("setting (%1/%2%3)")
            .arg(QLatin1String(ComPortMapping::SettingGroup), QLatin1String(ComPortMapping::SettingPrefix))
            .arg(number);
    case Source::Default: break;
    }
    return QStringLiteral("default");
}

QString hex4(quint16 id) { return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')); }

QString usbIds(const SerialDevice& d) {
    if (!d.vendorId || !d.productId) return {};
    return hex4(*d.vendorId) + u':' + hex4(*d.productId);
}

QTableWidget* table(const char* name, const QStringList& headings, QWidget* parent) {
    auto* t = new QTableWidget(0, int(headings.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(headings);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    t->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Sized to their contents as they are filled, the last column taking the rest: the
    // table keeps the window's width whatever it holds.
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void setRow(QTableWidget* t, int row, const QStringList& cells) {
    for (int column = 0; column < cells.size(); ++column)
        t->setItem(row, column, new QTableWidgetItem(cells[column]));
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

PortsWindow::PortsWindow(ComPortMapping& ports, QWidget* parent) : QDialog(parent), ports_(ports) {
    setObjectName(QStringLiteral("frmPorts"));
    setWindowTitle(QStringLiteral("Serial Ports"));

    auto* help = new QLabel(this);
    help->setObjectName(QStringLiteral("lblPortsHelp"));
    help->setWordWrap(true);
    help->setText(ComPortMapping::assignable()
                      ? QStringLiteral("Each Com port is a device of this machine or a line on a terminal server. "
                                       "Choose a port and a device present now, then Assign, or type a device path "
                                       "or a URL (rfc2217://host:port, socket://host:port), then Use: the choice is "
                                       "stored at once and kept. A device with a stable name keeps its port when it "
                                       "is plugged in elsewhere.")
                      : QStringLiteral("Each Com port is the machine's port of that number."));
    portTable_ = table("lstComPorts", {QStringLiteral("Port"), QStringLiteral("Device"), QStringLiteral("Set by"),
                                       QStringLiteral("What is there")},
                       this);
    deviceTable_ = table("lstDevices", {QStringLiteral("Device"), QStringLiteral("Description"),
                                        QStringLiteral("Maker"), QStringLiteral("Serial number"),
                                        QStringLiteral("USB ids"), QStringLiteral("Stable name")},
                         this);
    auto* devicesLabel = new QLabel(QStringLiteral("Serial devices present:"), this);
    devicesLabel->setObjectName(QStringLiteral("lblDevices"));

    assignButton_ = button("cmdAssign", QStringLiteral("&Assign"), this);
    clearButton_ = button("cmdClear", QStringLiteral("C&lear"), this);
    auto* refreshButton = button("cmdRefresh", QStringLiteral("&Refresh"), this);
    auto* closeButton = button("cmdClose", QStringLiteral("&Close"), this);
    assignButton_->setVisible(ComPortMapping::assignable());
    clearButton_->setVisible(ComPortMapping::assignable());

    auto* deviceLabel = new QLabel(QStringLiteral("&Device or URL for the chosen port:"), this);
    deviceLabel->setObjectName(QStringLiteral("lblTypedDevice"));
    deviceField_ = new QLineEdit(this);
    deviceField_->setObjectName(QStringLiteral("txtDevice"));
    deviceField_->setPlaceholderText(QStringLiteral("/dev/ttyUSB0, rfc2217://host:port or socket://host:port"));
    deviceLabel->setBuddy(deviceField_);
    useButton_ = button("cmdUseDevice", QStringLiteral("&Use"), this);
    deviceCheck_ = new QLabel(this);
    deviceCheck_->setObjectName(QStringLiteral("lblDeviceCheck"));
    deviceCheck_->setWordWrap(true);
    for (QWidget* typed : std::initializer_list<QWidget*>{deviceLabel, deviceField_, useButton_, deviceCheck_})
        typed->setVisible(ComPortMapping::assignable());
    auto* typedRow = new QHBoxLayout;
    typedRow->addWidget(deviceLabel);
    typedRow->addWidget(deviceField_, 1);
    typedRow->addWidget(useButton_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(assignButton_);
    buttons->addWidget(clearButton_);
    buttons->addWidget(refreshButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addWidget(portTable_, 3);
    layout->addWidget(devicesLabel);
    layout->addWidget(deviceTable_, 2);
    layout->addLayout(typedRow);
    layout->addWidget(deviceCheck_);
    layout->addLayout(buttons);
    resize(860, 600);

    connect(assignButton_, &QPushButton::clicked, this, &PortsWindow::assignSelected);
    connect(clearButton_, &QPushButton::clicked, this, &PortsWindow::clearSelected);
    connect(refreshButton, &QPushButton::clicked, this, &PortsWindow::refresh);
    connect(useButton_, &QPushButton::clicked, this, &PortsWindow::useTypedDevice);
    connect(deviceField_, &QLineEdit::textChanged, this, &PortsWindow::updateButtons);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    for (QTableWidget* t : {portTable_, deviceTable_})
        connect(t, &QTableWidget::itemSelectionChanged, this, &PortsWindow::updateButtons);

    fill();
}

void PortsWindow::refresh() {
    ports_.refresh();
    fill();
}

void PortsWindow::fill() {
    const int port = selectedPort();
    portTable_->setRowCount(ComPortMapping::LastPort - ComPortMapping::FirstPort + 1);
    for (int n = ComPortMapping::FirstPort; n <= ComPortMapping::LastPort; ++n) {
        const ComPortMapping::Mapping m = ports_.mapping(n);
        setRow(portTable_, n - ComPortMapping::FirstPort,
               {PortSelectors::PortPrefix + QString::number(n), m.device, sourceText(m.source, n), ports_.presence(n)});
    }
    if (port) portTable_->selectRow(port - ComPortMapping::FirstPort);

    const QList<SerialDevice>& devices = ports_.devices();
    deviceTable_->clearSelection();
    deviceTable_->setRowCount(int(devices.size()));
    for (int row = 0; row < devices.size(); ++row) {
        const SerialDevice& d = devices[row];
        setRow(deviceTable_, row,
               {d.path, d.description, d.manufacturer, d.serialNumber, usbIds(d), d.stablePath});
    }
    updateButtons();
}

int PortsWindow::selectedPort() const {
    const QList<QTableWidgetItem*> items = portTable_->selectedItems();
    return items.isEmpty() ? 0 : items.first()->row() + ComPortMapping::FirstPort;
}

int PortsWindow::selectedDevice() const {
    const QList<QTableWidgetItem*> items = deviceTable_->selectedItems();
    return items.isEmpty() ? -1 : items.first()->row();
}

void PortsWindow::updateButtons() {
    const int port = selectedPort();
    const Source source = port ? ports_.mapping(port).source : Source::Environment;
    // A port newly chosen offers its device for editing.
    if (port != editedPort_) {
        editedPort_ = port;
        deviceField_->setText(port && source == Source::Setting ? ports_.mapping(port).device : QString());
        deviceCheck_->clear();
    }
    assignButton_->setEnabled(port && selectedDevice() >= 0 && source != Source::Environment);
    clearButton_->setEnabled(port && source == Source::Setting);
    useButton_->setEnabled(port && source != Source::Environment && !deviceField_->text().trimmed().isEmpty());
}

void PortsWindow::assignSelected() {
    const int port = selectedPort();
    const int device = selectedDevice();
    if (!port || device < 0 || device >= ports_.devices().size()) return;
    if (!ports_.assign(port, ports_.devices()[device])) return;
    fill();
    emit mappingChanged(port);
}

void PortsWindow::clearSelected() {
    const int port = selectedPort();
    if (!port || !ports_.clear(port)) return;
    fill();
    emit mappingChanged(port);
}

void PortsWindow::useTypedDevice() {
    const int port = selectedPort();
    const QString typed = deviceField_->text().trimmed();
    if (!port) return;
    // A path must lead to a device now; a network line may have its server off for the
    // moment, and is kept with that said.
    const QString problem = ComPortMapping::checkDevice(typed);
    const bool network = NetworkAddress::parse(typed).has_value();
    if (!problem.isEmpty() && !network) {
        deviceCheck_->setText(problem + QStringLiteral(" Nothing was stored."));
        return;
    }
    if (!ports_.assign(port, typed)) return;
    const QString stored = QStringLiteral("%1%2 is now %3.").arg(PortSelectors::PortPrefix).arg(port).arg(typed);
    deviceCheck_->setText(problem.isEmpty() ? stored : stored + u' ' + problem);
    fill();
    emit mappingChanged(port);
}
