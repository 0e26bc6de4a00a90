#include "SimScenario.h"

#include <QHostAddress>

#include <QRegularExpression>

namespace {

bool toInt(const QString& value, int low, int high, int* out)
{
    bool ok = false;
    const int v = value.trimmed().toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *out = v;
    return true;
}

bool toBool(const QString& value, bool* out)
{
    const QString v = value.trimmed().toLower();
    if (v.isEmpty() || v == QLatin1String("yes") || v == QLatin1String("true") || v == QLatin1String("1")) {
        *out = true;
        return true;
    }
    if (v == QLatin1String("no") || v == QLatin1String("false") || v == QLatin1String("0")) {
        *out = false;
        return true;
    }
    return false;
}

bool isWord(const QString& value)
{
    static const QRegularExpression word(QStringLiteral("^[^\\s\"']+$"));
    return word.match(value).hasMatch();
}

} // namespace

const QVector<SimScenario::Option>& SimScenario::options()
{
    static const QVector<Option> list = {
        {"model", "CODE", "model code reported by \"system model\": 0, 2, 20, 21 or 100 (default 0)"},
        {"system-version", "TEXT", "\"system version\" (default v3.4.2)"},
        {"protocol-version", "TEXT", "\"system protocol_version\" (default v1.27.0)"},
        {"controller-version", "TEXT", "\"system controller_version\" (default v2.1.0)"},
        {"hostname", "NAME", "\"system hostname\" (default quorixsim)"},
        {"serial", "TEXT", "\"system controller_serial\" (default 10234)"},
        {"mac", "MAC", "\"system ethernet_mac\" (default 00:1B:3F:00:27:9A)"},
        {"password", "TEXT", "front-end password (letters, digits, _ - + . /); default none"},
        {"access", "full|none", "access the front end gets; none: another front end holds it (default full)"},
        {"accessed-by", "TEXT", "\"system accessed_by\" while access is none (default \"ip 127.0.0.99\")"},
        {"net-address", "A.B.C.D", "address that \"system net\" reports (default: the one listened on)"},
        {"cameras", "N", "number of cameras, 0..32 (default 4)"},
        {"uncalibrated", "LIST", "comma-separated camera numbers without a room calibration (default none)"},
        {"bodies", "N", "standard bodies, 0..100 (default 2)"},
        {"gripwands", "N", "gripwands, 0..8 (default 1)"},
        {"tools", "N", "measurement tools, 0..8 (default 1)"},
        {"references", "N", "measurement tool references, 0..4 (default 1)"},
        {"markers", "N", "single markers in the volume, 0..200 (default 6)"},
        {"hands", "N", "fingertracking hands, 0..4 (default 1)"},
        {"inertial", "N", "inertial sensors, 0..8 (default 1)"},
        {"slaves", "N", "connected cascade slaves, 0..4 (default 0)"},
        {"synccards", "N", "sync cards, 0..2 (default 1)"},
        {"coordinates", "normal|powerwall", "room coordinate type: normal (z up) or powerwall (y up)"},
        {"last-body-id", "N", "stream the last standard body under id N, 0..999 (default: its index)"},
        {"marker-id-churn", "yes|no", "give the single markers fresh ids every frame (default no)"},
        {"rate", "HZ", "frame rate while measuring, 1..2000 (default 60)"},
        {"init-delay", "MS", "delay before \"quorix2 init\" is answered (default 0)"},
        {"reinit-delay", "MS", "delay before \"quorix2 reinit\" is answered (default 1500)"},
        {"reboot-time", "MS", "how long the Controller is silent after \"system reboot\" (default 10000)"},
        {"shutdown-time", "MS", "how long the Controller is silent after \"system shutdown\" (default 30000)"},
        {"tracking-available", "yes|no", "answer of \"tracking available\" (default yes)"},
        {"start-refusal", "V", "refuse \"tracking start\" with err -99 \"1\" \"V\" (0: reference target lost, N: N similar bodies)"},
        {"message", "TEXT", "queue a message for \"quorix2 getmsg\" (repeatable)"},
        {"status-active", "none|cal|wait|err", "\"status active\" until the next start or stop (default none)"},
        {"drop-body", "MS:EVERY", "while measuring, every EVERY seconds (1..3600) the first standard body goes untracked for MS milliseconds (1..60000); off: never"},
        {"lose-frames", "EVERY", "while measuring, on average every EVERY seconds (1..3600) 1 to 5 frames are not sent; off: never"},
        {"dim-camera", "C", "camera C (1-based) sees about half the rays of the others and uses about a third; off: none"},
    };
    return list;
}

bool SimScenario::applyOption(const QString& name, const QString& rawValue, QString* error)
{
    const QString value = rawValue.trimmed();
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(name, why);
        return false;
    };
    auto number = [&](int low, int high, int* out) {
        return toInt(value, low, high, out) ? true
                                            : fail(QStringLiteral("expected a number from %1 to %2").arg(low).arg(high));
    };
    auto word = [&](QString* out) {
        if (!isWord(value))
            return fail(QStringLiteral("expected one word without blanks or quotes"));
        *out = value;
        return true;
    };

    if (name == QLatin1String("model")) {
        int code = 0;
        if (!toInt(value, -1000000, 1000000, &code) || !(code == 0 || code == 2 || code == 20 || code == 21 || code == 100))
            return fail(QStringLiteral("expected 0, 2, 20, 21 or 100"));
        modelCode = code;
        return true;
    }
    if (name == QLatin1String("system-version"))
        return word(&systemVersion);
    if (name == QLatin1String("protocol-version"))
        return word(&protocolVersion);
    if (name == QLatin1String("controller-version"))
        return word(&controllerVersion);
    if (name == QLatin1String("hostname"))
        return word(&hostName);
    if (name == QLatin1String("serial"))
        return word(&serial);
    if (name == QLatin1String("mac"))
        return word(&mac);
    if (name == QLatin1String("password")) {
        static const QRegularExpression rule(QStringLiteral("^[0-9a-zA-Z_\\-\\+./]*$"));
        if (!rule.match(value).hasMatch())
            return fail(QStringLiteral("a password holds only letters, digits and _ - + . /"));
        password = value == QLatin1String("none") ? QString() : value;
        return true;
    }
    if (name == QLatin1String("access")) {
        if (value == QLatin1String("full"))
            fullAccess = true;
        else if (value == QLatin1String("none"))
            fullAccess = false;
        else
            return fail(QStringLiteral("expected full or none"));
        return true;
    }
    if (name == QLatin1String("accessed-by")) {
        if (value.isEmpty() || value.contains(QLatin1Char('"')))
            return fail(QStringLiteral("expected a text without double quotes"));
        accessedBy = value;
        return true;
    }
    if (name == QLatin1String("net-address")) {
        QHostAddress address;
        if (!address.setAddress(value) || address.protocol() != QAbstractSocket::IPv4Protocol)
            return fail(QStringLiteral("expected an IPv4 address"));
        netAddress = address.toString();
        return true;
    }
    if (name == QLatin1String("cameras"))
        return number(0, 32, &cameras);
    if (name == QLatin1String("uncalibrated")) {
        QVector<int> list;
        for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            int c = 0;
            if (!toInt(part, 1, 32, &c))
                return fail(QStringLiteral("expected camera numbers from 1 to 32, separated by commas"));
            list.append(c);
        }
        uncalibratedCameras = list;
        return true;
    }
    if (name == QLatin1String("bodies"))
        return number(0, 100, &bodies);
    if (name == QLatin1String("gripwands"))
        return number(0, 8, &gripwands);
    if (name == QLatin1String("tools"))
        return number(0, 8, &tools);
    if (name == QLatin1String("references"))
        return number(0, 4, &references);
    if (name == QLatin1String("markers"))
        return number(0, 200, &markers);
    if (name == QLatin1String("hands"))
        return number(0, 4, &hands);
    if (name == QLatin1String("inertial"))
        return number(0, 8, &inertialSensors);
    if (name == QLatin1String("slaves"))
        return number(0, 4, &cascadeSlaves);
    if (name == QLatin1String("synccards"))
        return number(0, 2, &synccards);
    if (name == QLatin1String("coordinates")) {
        if (value != QLatin1String("normal") && value != QLatin1String("powerwall"))
            return fail(QStringLiteral("expected normal or powerwall"));
        coordinateType = value;
        return true;
    }
    if (name == QLatin1String("last-body-id"))
        return number(0, 999, &lastBodyId);
    if (name == QLatin1String("marker-id-churn"))
        return toBool(value, &markerIdChurn) ? true : fail(QStringLiteral("expected yes or no"));
    if (name == QLatin1String("rate")) {
        bool ok = false;
        const double r = value.toDouble(&ok);
        if (!ok || r < 1.0 || r > 2000.0)
            return fail(QStringLiteral("expected a rate from 1 to 2000 Hz"));
        rate = r;
        return true;
    }
    if (name == QLatin1String("init-delay"))
        return number(0, 600000, &initDelayMs);
    if (name == QLatin1String("reinit-delay"))
        return number(0, 600000, &reinitDelayMs);
    if (name == QLatin1String("reboot-time"))
        return number(0, 3600000, &rebootMs);
    if (name == QLatin1String("shutdown-time"))
        return number(0, 3600000, &shutdownMs);
    if (name == QLatin1String("tracking-available"))
        return toBool(value, &trackingAvailable) ? true : fail(QStringLiteral("expected yes or no"));
    if (name == QLatin1String("start-refusal")) {
        if (!value.isEmpty() && !isWord(value))
            return fail(QStringLiteral("expected one word"));
        startRefusal = value;
        return true;
    }
    if (name == QLatin1String("status-active")) {
        static const QStringList states = {QStringLiteral("none"), QStringLiteral("cal"), QStringLiteral("wait"),
                                           QStringLiteral("err")};
        if (!states.contains(value))
            return fail(QStringLiteral("expected none, cal, wait or err"));
        activeState = value;
        return true;
    }
    const bool off = value == QLatin1String("off");
    if (name == QLatin1String("drop-body")) {
        if (off) {
            dropBodyMs = dropBodyEverySec = 0;
            return true;
        }
        const QStringList parts = value.split(QLatin1Char(':'));
        int ms = 0, every = 0;
        if (parts.size() != 2 || !toInt(parts.at(0), 1, 60000, &ms) || !toInt(parts.at(1), 1, 3600, &every))
            return fail(QStringLiteral("expected MS:EVERY, MS from 1 to 60000 milliseconds and EVERY from 1 to 3600 seconds, or off"));
        dropBodyMs = ms;
        dropBodyEverySec = every;
        return true;
    }
    if (name == QLatin1String("lose-frames")) {
        if (off) {
            loseFramesEverySec = 0;
            return true;
        }
        return toInt(value, 1, 3600, &loseFramesEverySec)
            ? true
            : fail(QStringLiteral("expected a number of seconds from 1 to 3600, or off"));
    }
    if (name == QLatin1String("dim-camera")) {
        if (off) {
            dimCamera = 0;
            return true;
        }
        return toInt(value, 1, 32, &dimCamera) ? true : fail(QStringLiteral("expected a camera number from 1 to 32, or off"));
    }
    if (name == QLatin1String("message")) {
        if (value.isEmpty())
            return fail(QStringLiteral("expected a text"));
        messages.append(value);
        return true;
    }
    return fail(QStringLiteral("unknown option"));
}

bool SimScenario::validate(QString* error) const
{
    if (dimCamera > cameras) {
        if (error)
            *error = QStringLiteral("dim-camera: there is no camera %1 (cameras is %2)").arg(dimCamera).arg(cameras);
        return false;
    }
    if (dropBodyMs > 0 && bodies == 0) {
        if (error)
            *error = QStringLiteral("drop-body: there is no standard body to drop (bodies is 0)");
        return false;
    }
    return true;
}
