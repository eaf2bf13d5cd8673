#pragma once

#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

// One simulated device as the simulator lists it: field name to text ("serial", "mac", "name", ...).
using DeviceFields = QMap<QString, QString>;

// A program of the build (VEXA_BIN_DIR/name).
QString toolPath(const char* name);

// stdout of one vexa-keytool run, trimmed; a null string (and a warning) when it fails.
QString runKeyTool(const QStringList& arguments);

// The simulator's saved state file (--state): one device a line, tab-separated key=value, by serial number.
QMap<QString, DeviceFields> readSavedState(const QString& path);

// Trusts the simulator's TEST ONLY manufacturer (VEXA_TRUSTED_KEYS from `vexa-keytool pubkey --test`), so
// that its devices verify. False when the key tool gives no key.
bool trustTestManufacturer();

// vexa-devsim as a child process, on the loopback interface and port the test runner gave this test. It
// refuses to start unless VEXA_IFACE names a loopback address, so a test can never announce devices on a
// real network. The fleet is dumped into a folder of its own and read back once announced.
class SimulatorProcess {
public:
    SimulatorProcess();
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Starts with arguments (--dump is added) and waits until the fleet is announced.
    bool start(const QStringList& arguments, int timeoutMs = 10000);
    // Plays exactly these devices (--devices), each with at least "serial" and "mac".
    bool startWith(const QList<DeviceFields>& devices, const QStringList& arguments = {}, int timeoutMs = 10000);
    // SIGTERM: the simulator says goodbye for every device and exits.
    bool stop(int timeoutMs = 10000);

    // The fleet as last dumped.
    QList<DeviceFields> fleet() const;
    QProcess& process() { return m_process; }
    QString dumpPath() const { return m_dir.filePath(QStringLiteral("fleet.txt")); }

    // One line of the simulator's device-file format.
    static QByteArray deviceLine(const DeviceFields& device);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

} // namespace testsupport
