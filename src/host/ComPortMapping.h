#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class SettingsStore;

// A serial device present on this machine, as the system lists it.
struct SerialDevice {
    QString path;  // "/dev/ttyUSB0"; "COM3" on Windows
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    // The name that stays with the adapter whichever socket it is plugged into
    // ("/dev/serial/by-id/usb-..."), where the system gives one.
    QString stablePath;
};

// Which device each of the program's ports "Com 1" to "Com 9" is on this machine. The
// environment variable KELVANE_COM<n> wins, then the setting Ports/Com<n>, else the
// machine's own n-th port: /dev/ttyS<n-1> (COMn on Windows). Only the setting can be
// changed here; it is written at once.
class ComPortMapping {
public:
    enum class Source { Environment, Setting, Default };
    struct Mapping {
        QString device;
        Source source;
    };
    using DeviceList = std::function<QList<SerialDevice>()>;

    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 9;
    // Where a port's device is given: KELVANE_COM<n>, or the value Com<n> in Ports.
    static constexpr const char* VariablePrefix = "KELVANE_COM";
    static constexpr const char* SettingPrefix = "Com";
    static constexpr const char* SettingGroup = "Ports";
    // How long the window waits for a network line's server to answer.
    static constexpr int AnswerProbeMs = 1000;

    // The devices are listed on first use and again on refresh().
    explicit ComPortMapping(SettingsStore& settings, DeviceList listDevices = presentDevices);

    Mapping mapping(int number) const;
    // Stores the device's stable name where it has one, so that the mapping survives
    // re-plugging. False, and nothing stored, when the environment decides the port.
    bool assign(int number, const SerialDevice& device);
    // Stores a device path or network URL as typed. False, and nothing stored, when the
    // environment decides the port.
    bool assign(int number, const QString& device);
    // Back to the default, the setting removed; false when the environment decides the port.
    bool clear(int number);
    // Whether the port's device is a network line (rfc2217:// or socket://).
    bool isNetworkLine(int number) const;
    // Why a device typed by the user cannot serve as a port: empty when it is there (a
    // path) or its server answers (a URL).
    static QString checkDevice(const QString& device);
    // Whether assignments can be made on this machine (on Windows a port is its COMn).
    static bool assignable();

    const QList<SerialDevice>& devices() const;
    void refresh();
    // The listed device the port's device is (through any links), if it is there.
    std::optional<SerialDevice> presentDevice(int number) const;
    // Whether there is a device at the port's device path (an adapter or any other node).
    bool present(int number) const;
    // What is at the port's device: the adapter's description, maker and serial number,
    // "present" for a device the system does not list as an adapter, or "not present";
    // for a network line whether its server answers.
    QString presence(int number) const;
    // The port's device and what is there, in one line.
    QString describe(int number) const;
    // In brief, beside the port's name in a list: "ttyUSB0, FT232R USB UART", "pts/3, present"
    // (a device the system does not list as an adapter), or "not present".
    QString mark(int number) const;

    // The path to open for port n. Fails as HostError: no such port when nothing is
    // there, permission denied (saying what to do about it) when the user may not use it.
    QString openablePath(int number) const;
    // The device as named and, when that is a link, the device it leads to.
    static QString label(const QString& named, const QString& resolved);
    // A line saying what lets this user use the device: membership of its group.
    static QString permissionAdvice(const QString& device);

    // The system's list of serial devices, with their stable names.
    static QList<SerialDevice> presentDevices();
    // Gives each device the first link in folder that leads to it.
    static QList<SerialDevice> withStableNames(QList<SerialDevice> devices, const QString& folder);

private:
    SettingsStore& settings_;
    DeviceList listDevices_;
    mutable std::optional<QList<SerialDevice>> devices_;
};
