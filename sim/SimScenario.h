#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What the simulated Controller is: identity, access, hardware and targets.
// Every field can be set by a command-line option or a profile line of the
// same name ("cameras = 6" in a profile is "--cameras 6" on the command line).
class SimScenario
{
public:
    struct Option
    {
        const char* name;
        const char* valueName; // empty for plain switches
        const char* help;
    };

    // Model codes: 0 controller box, 2 controller box M, 20/21 compact units, 100 PC service.
    int modelCode = 0;
    QString systemVersion = QStringLiteral("v3.4.2");
    QString protocolVersion = QStringLiteral("v1.27.0");
    QString controllerVersion = QStringLiteral("v2.1.0");
    QString hostName = QStringLiteral("quorixsim");
    QString serial = QStringLiteral("10234");
    QString mac = QStringLiteral("00:1B:3F:00:27:9A");
    QString password;              // empty: no front-end password
    bool fullAccess = true;        // false: another front end holds the Controller
    QString accessedBy = QStringLiteral("ip 127.0.0.99");
    QString netAddress;            // non-empty: "system net" reports this address (a second interface, NAT)

    int cameras = 4;
    QVector<int> uncalibratedCameras; // 1-based camera numbers without a room calibration
    int bodies = 2;
    int gripwands = 1;
    int tools = 1;
    int references = 1;
    int markers = 6;
    int hands = 1;
    int inertialSensors = 1;
    int cascadeSlaves = 0;
    int synccards = 1;
    QString coordinateType = QStringLiteral("normal"); // or "powerwall"
    int lastBodyId = -1;           // >= 0: the last standard body streams under this id
    bool markerIdChurn = false;    // single markers get fresh ids every frame

    double rate = 60.0;            // frames per second while measuring
    int initDelayMs = 0;
    int reinitDelayMs = 1500;      // the hardware search takes its time
    int rebootMs = 10000;          // silence after "system reboot"
    int shutdownMs = 30000;        // silence after "system shutdown"
    bool trackingAvailable = true;
    QString startRefusal;          // non-empty: "tracking start" answers err -99 "1" "<this>"
    QStringList messages;          // queued at start, fetched with getmsg
    // "status active" until the first start or stop: none, or a state the
    // front end must cope with (cal: calibrating, wait: waiting for the
    // external sync signal, err: measurement failed).
    QString activeState = QStringLiteral("none");

    // Tracking faults that come and go while measuring, timed by the frame
    // counter so that they repeat exactly at every run. 0 switches each off.
    int dropBodyMs = 0;            // the first standard body goes untracked this long …
    int dropBodyEverySec = 0;      // … every this many seconds
    int loseFramesEverySec = 0;    // on average this often 1 to 5 frames are never sent
    int dimCamera = 0;             // 1-based camera that sees and uses fewer rays

    // Applies one option given by name (without the leading dashes).
    // Unknown names and bad values return false with a reason in error.
    bool applyOption(const QString& name, const QString& value, QString* error);

    static const QVector<Option>& options();

    // Checks what single options cannot: the values against each other. Run it
    // once every option is applied, since a later one may fix an earlier one.
    bool validate(QString* error) const;

    // Camera number (1-based) has a room calibration.
    bool cameraCalibrated(int camera) const { return !uncalibratedCameras.contains(camera); }
    bool powerwall() const { return coordinateType == QLatin1String("powerwall"); }
};
