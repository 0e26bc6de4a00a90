#include "SimCommandProcessor.h"

#include "SimCommandText.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {

constexpr int kMaxReply = 199;
constexpr int kMaxCommand = 200;

// Refusal codes; the text after the code says what was wrong.
enum ErrorCode {
    ErrSyntax = -1,
    ErrUnknownParameter = -2,
    ErrBadValue = -3,
    ErrReadOnly = -4,
    ErrNoAccess = -5,
    ErrUnknownCommand = -7,
    ErrNotAvailable = -10,
};

QByteArray cut(QByteArray text)
{
    if (text.size() > kMaxReply)
        text.truncate(kMaxReply);
    return text;
}

QString unquote(const QString& word)
{
    if (word.size() >= 2 && (word.startsWith(QLatin1Char('\'')) || word.startsWith(QLatin1Char('"')))
        && word.endsWith(word.at(0)))
        return word.mid(1, word.size() - 2);
    return word;
}

bool passwordRule(const QString& p)
{
    static const QRegularExpression rule(QStringLiteral("^[0-9a-zA-Z_\\-\\+./]+$"));
    return rule.match(p).hasMatch();
}

const char* const kStreamTypes[] = {"ts", "6dcal", "6d", "6df2", "6dmt2", "6dmtr", "3d", "6di", "gl"};

} // namespace

SimCommandProcessor::SimCommandProcessor()
{
    setScenario(SimScenario());
}

void SimCommandProcessor::setScenario(const SimScenario& scenario)
{
    m_scenario = scenario;
    m_model.build(scenario);
    m_motion.configure(scenario);
    m_password = scenario.password;
    m_authorized.clear();
    m_messages = scenario.messages;
    m_active = scenario.activeState;
    m_frame = 0;
    m_destinationsDirty = true;
}

void SimCommandProcessor::setLocalAddress(const QHostAddress& address)
{
    const bool usable = address.protocol() == QAbstractSocket::IPv4Protocol && address != QHostAddress(QHostAddress::AnyIPv4);
    m_local = usable ? address : QHostAddress(QHostAddress::LocalHost);
}

QByteArray SimCommandProcessor::errorReply(int code, const QString& text)
{
    QString t = text;
    t.remove(QLatin1Char('"'));
    QByteArray reply = "quorix2 err " + QByteArray::number(code) + " \"";
    const int room = kMaxReply - reply.size() - 1;
    reply += t.toLatin1().left(room) + '"';
    return reply;
}

void SimCommandProcessor::queueMessage(const QString& text)
{
    // Keep the queue bounded: a Controller nobody asks drops its oldest messages.
    if (m_messages.size() >= 1000)
        m_messages.removeFirst();
    m_messages.append(text);
}

QString SimCommandProcessor::denial() const
{
    return QStringLiteral("no access: controller is accessed by %1").arg(m_scenario.accessedBy);
}

SimCommandProcessor::Reply SimCommandProcessor::handle(const QByteArray& command, const QHostAddress& peer)
{
    Reply r;
    if (command.size() > kMaxCommand) {
        r.text = errorReply(ErrSyntax, QStringLiteral("command longer than 200 characters"));
        return r;
    }
    if (!SimCommandText::isPrintable(command)) {
        r.text = errorReply(ErrSyntax, QStringLiteral("command holds non-printable bytes"));
        return r;
    }
    if (!command.startsWith("quorix2 ")) {
        r.text = errorReply(ErrSyntax, QStringLiteral("commands begin with quorix2"));
        return r;
    }
    const QStringList words = SimCommandText::words(QString::fromLatin1(command.mid(8)));
    if (words.isEmpty()) {
        r.text = errorReply(ErrSyntax, QStringLiteral("empty command"));
        return r;
    }
    const QString verb = words.first();
    if (verb == QLatin1String("get"))
        r = get(words.mid(1), peer);
    else if (verb == QLatin1String("set"))
        r = set(words.mid(1), peer);
    else
        r = action(words);
    r.text = cut(r.text);
    return r;
}

bool SimCommandProcessor::dynamicValue(const QStringList& words, const QString& key, const QHostAddress& peer,
                                       QString* value, Reply* error)
{
    const QString family = words.first();
    if (family == QLatin1String("status")) {
        const bool mea = measuring();
        if (key == QLatin1String("status active"))
            *value = m_active;
        else if (key == QLatin1String("status number_of_bodies"))
            *value = QString::number(mea ? m_motion.trackedBodies() : 0);
        else if (key == QLatin1String("status number_of_marker"))
            *value = QString::number(mea ? m_motion.trackedMarkers() : 0);
        else if (key == QLatin1String("status output_frequency"))
            *value = QString::number(mea ? m_scenario.rate : 0.0, 'f', 2);
        else if (key == QLatin1String("status frames_lost"))
            *value = QString::number(mea ? framesLost() : 0);
        else if (key == QLatin1String("status err"))
            *value = QStringLiteral("none");
        else if (words.size() == 3
                 && (words.at(1) == QLatin1String("number_of_rays") || words.at(1) == QLatin1String("number_of_used_rays"))) {
            const QString c = SimCommandText::canonicalWord(words.at(2));
            const int camera = c.startsWith(QLatin1Char('c')) ? c.mid(1).toInt() : 0;
            if (camera < 1 || camera > m_scenario.cameras || c.size() != 3) {
                *error = Reply{errorReply(ErrUnknownParameter, QStringLiteral("unknown camera ") + words.at(2)), 0, 0};
                return true;
            }
            *value = QString::number(rays(camera, words.at(1) == QLatin1String("number_of_used_rays")));
        } else {
            return false;
        }
        return true;
    }
    if (key == QLatin1String("system access")) {
        *value = m_scenario.fullAccess ? QStringLiteral("full") : QStringLiteral("none");
        return true;
    }
    if (key == QLatin1String("system accessed_by")) {
        *value = m_scenario.fullAccess ? QStringLiteral("none") : m_scenario.accessedBy;
        return true;
    }
    if (key == QLatin1String("system net")) {
        *value = QStringLiteral("no %1 255.255.255.0 0.0.0.0")
                     .arg(m_scenario.netAddress.isEmpty() ? m_local.toString() : m_scenario.netAddress);
        return true;
    }
    if (key == QLatin1String("system ethernet_ip")) {
        *value = QStringLiteral("%1 255.255.255.0").arg(m_local.toString());
        return true;
    }
    if (key == QLatin1String("system date")) {
        *value = QDate::currentDate().toString(QStringLiteral("yyyy MM dd"));
        return true;
    }
    if (key == QLatin1String("system time")) {
        *value = QTime::currentTime().toString(QStringLiteral("hh mm ss"));
        return true;
    }
    if (key == QLatin1String("tracking available")) {
        const bool anyCalibrated = m_model.value(QStringLiteral("roomcal last_cam_number")).toInt() > 0;
        *value = m_scenario.trackingAvailable && anyCalibrated ? QStringLiteral("yes") : QStringLiteral("no");
        return true;
    }
    if (words.size() == 3 && words.at(0) == QLatin1String("output") && words.at(1) == QLatin1String("net_sender_port")) {
        if (!m_model.find(QStringLiteral("output net ") + SimCommandText::canonicalWord(words.at(2))))
            return false;
        *value = QString::number(m_senderPort);
        return true;
    }
    if (words.size() == 3 && words.at(0) == QLatin1String("config") && words.at(1) == QLatin1String("is_frontend_password")) {
        const QString candidate = words.at(2);
        if (candidate == QLatin1String("none"))
            *value = m_password.isEmpty() ? QStringLiteral("yes") : QStringLiteral("no");
        else if (!m_password.isEmpty() && unquote(candidate) == m_password) {
            *value = QStringLiteral("yes");
            m_authorized.insert(peer.toIPv4Address());
        } else {
            *value = QStringLiteral("no");
        }
        return true;
    }
    return false;
}

SimCommandProcessor::Reply SimCommandProcessor::get(const QStringList& words, const QHostAddress& peer)
{
    Reply r;
    if (words.isEmpty()) {
        r.text = errorReply(ErrSyntax, QStringLiteral("get needs a parameter"));
        return r;
    }
    const QString key = SimCommandText::canonicalKey(words);
    QString value;
    Reply error;
    if (dynamicValue(words, key, peer, &value, &error)) {
        if (!error.text.isEmpty())
            return error;
    } else if (const SimParameterModel::Entry* e = m_model.find(key)) {
        value = e->value;
    } else {
        r.text = errorReply(ErrUnknownParameter, QStringLiteral("unknown parameter ") + key);
        return r;
    }
    r.text = "quorix2 set " + key.toLatin1() + ' ' + value.toLatin1();
    return r;
}

SimCommandProcessor::Reply SimCommandProcessor::set(const QStringList& rawWords, const QHostAddress& peer)
{
    Reply r;
    if (rawWords.isEmpty()) {
        r.text = errorReply(ErrSyntax, QStringLiteral("set needs a parameter and a value"));
        return r;
    }
    QStringList words;
    for (const QString& w : rawWords)
        words << SimCommandText::canonicalWord(w);

    // Settings without a stored value of their own.
    if (words.first() == QLatin1String("camera") && words.size() >= 2 && words.at(1) == QLatin1String("update")) {
        if (!m_scenario.fullAccess)
            return Reply{errorReply(ErrNoAccess, denial()), 0, 0};
        r.text = "quorix2 ok";
        return r;
    }
    if (words.size() == 3 && words.at(0) == QLatin1String("config") && words.at(1) == QLatin1String("new_frontend_password")) {
        if (!m_scenario.fullAccess)
            return Reply{errorReply(ErrNoAccess, denial()), 0, 0};
        if (!mayChangePassword(peer))
            return Reply{errorReply(ErrNoAccess, QStringLiteral("front-end password required")), 0, 0};
        const QString v = rawWords.at(2);
        if (v == QLatin1String("none")) {
            m_password.clear();
        } else {
            const QString p = unquote(v);
            if (!passwordRule(p))
                return Reply{errorReply(ErrBadValue, QStringLiteral("password breaks the password rule")), 0, 0};
            m_password = p;
        }
        // Whoever knew the old password must present the new one.
        m_authorized.clear();
        if (!m_password.isEmpty())
            m_authorized.insert(peer.toIPv4Address());
        queueMessage(m_password.isEmpty() ? QStringLiteral("info: front-end password removed")
                                          : QStringLiteral("info: front-end password changed"));
        r.text = "quorix2 ok";
        return r;
    }

    QString key;
    const int n = m_model.matchSetKey(words, &key);
    if (n == 0) {
        const QString whole = words.join(QLatin1Char(' '));
        if (m_model.find(whole))
            return Reply{errorReply(ErrBadValue, QStringLiteral("missing value for ") + whole), 0, 0};
        return Reply{errorReply(ErrUnknownParameter, QStringLiteral("unknown parameter ") + whole), 0, 0};
    }
    const SimParameterModel::Entry* e = m_model.find(key);
    if (!e->settable)
        return Reply{errorReply(ErrReadOnly, QStringLiteral("parameter is read-only: ") + key), 0, 0};
    if (!m_scenario.fullAccess)
        return Reply{errorReply(ErrNoAccess, denial()), 0, 0};
    const QStringList valueWords = rawWords.mid(n);
    if (key.startsWith(QLatin1String("output net ")))
        return setOutputNet(key, valueWords, peer);
    const QString value = valueWords.join(QLatin1Char(' '));
    if (!SimParameterModel::validValue(e->type, value))
        return Reply{errorReply(ErrBadValue, QStringLiteral("invalid value for ") + key), 0, 0};
    if (key == QLatin1String("roomcal coordinate_type")) {
        if (value != QLatin1String("normal") && value != QLatin1String("powerwall"))
            return Reply{errorReply(ErrBadValue, QStringLiteral("coordinate type is normal or powerwall")), 0, 0};
        m_scenario.coordinateType = value;
        m_model.store(key, value);
        updateRoomCalibration();
        r.text = "quorix2 ok";
        return r;
    }
    m_model.store(key, value);
    if (key.startsWith(QLatin1String("output ")) || key == QLatin1String("gripwand output_6df")
        || key == QLatin1String("measurementtool output_6dmt"))
        m_destinationsDirty = true;
    r.text = "quorix2 ok";
    return r;
}

SimCommandProcessor::Reply SimCommandProcessor::setOutputNet(const QString& key, const QStringList& value,
                                                             const QHostAddress& peer)
{
    const QString channel = key.section(QLatin1Char(' '), 2, 2);
    if (value.size() == 1 && value.first() == QLatin1String("none")) {
        m_model.store(key, QStringLiteral("none"));
        m_model.store(QStringLiteral("output net_active ") + channel, QStringLiteral("no"));
        m_destinationsDirty = true;
        return Reply{"quorix2 ok", 0, 0};
    }
    bool ok = false;
    const int port = value.size() == 3 ? value.at(2).toInt(&ok) : 0;
    if (value.size() != 3 || value.at(0) != QLatin1String("udp") || !ok || port < 1 || port > 65535)
        return Reply{errorReply(ErrBadValue, QStringLiteral("expected udp my_ip PORT, udp ADDRESS PORT or none")), 0, 0};
    QHostAddress address;
    if (value.at(1) == QLatin1String("my_ip")) {
        address = QHostAddress(peer.toIPv4Address());
    } else if (!address.setAddress(value.at(1)) || address.protocol() != QAbstractSocket::IPv4Protocol) {
        return Reply{errorReply(ErrBadValue, QStringLiteral("invalid address ") + value.at(1)), 0, 0};
    }
    m_model.store(key, QStringLiteral("udp %1 %2").arg(address.toString()).arg(port));
    m_model.store(QStringLiteral("output net_active ") + channel, QStringLiteral("yes"));
    m_destinationsDirty = true;
    return Reply{"quorix2 ok", 0, 0};
}

SimCommandProcessor::Reply SimCommandProcessor::action(const QStringList& words)
{
    Reply r;
    const QString cmd = words.join(QLatin1Char(' '));
    if (cmd == QLatin1String("getmsg")) {
        if (m_messages.isEmpty()) {
            r.text = "quorix2 ok";
        } else {
            r.text = "quorix2 msg " + m_messages.takeFirst().toLatin1();
        }
        return r;
    }
    const bool known = cmd == QLatin1String("init") || cmd == QLatin1String("reinit")
        || cmd == QLatin1String("tracking start") || cmd == QLatin1String("tracking stop")
        || cmd == QLatin1String("system reboot") || cmd == QLatin1String("system shutdown")
        || cmd == QLatin1String("targetlib check_custom_calibration");
    if (!known) {
        r.text = errorReply(ErrUnknownCommand, QStringLiteral("unknown command ") + cmd);
        return r;
    }
    if (!m_scenario.fullAccess) {
        r.text = errorReply(ErrNoAccess, denial());
        return r;
    }
    r.text = "quorix2 ok";
    if (cmd == QLatin1String("init")) {
        r.delayMs = m_scenario.initDelayMs;
        for (int c = 1; c <= m_scenario.cameras; ++c)
            if (!m_scenario.cameraCalibrated(c))
                queueMessage(QStringLiteral("warning: camera %1 has no room calibration").arg(SimParameterModel::selector("c", c)));
    } else if (cmd == QLatin1String("reinit")) {
        r.delayMs = m_scenario.reinitDelayMs;
        queueMessage(QStringLiteral("info: hardware search finished, %1 cameras found").arg(m_scenario.cameras));
    } else if (cmd == QLatin1String("tracking start")) {
        if (measuring())
            return r;
        if (m_model.value(QStringLiteral("roomcal last_cam_number")).toInt() == 0 || !m_scenario.trackingAvailable) {
            queueMessage(QStringLiteral("error: measurement start failed, tracking not available"));
            r.text = errorReply(ErrNotAvailable, QStringLiteral("tracking not available"));
            return r;
        }
        if (!m_scenario.startRefusal.isEmpty()) {
            const QString v = m_scenario.startRefusal;
            queueMessage(v == QLatin1String("0") ? QStringLiteral("error: reference target cannot be tracked")
                                                 : QStringLiteral("error: %1 bodies are equal or too similar").arg(v == QLatin1String("1") ? QStringLiteral("2") : v));
            r.text = "quorix2 err -99 \"1\" \"" + v.toLatin1() + '"';
            return r;
        }
        m_active = QStringLiteral("mea");
        m_frame = 0;
        m_lostNow = m_lostBefore = LostInSecond();
        const QTime now = QTime::currentTime();
        m_startOfDay = now.msecsSinceStartOfDay() / 1000.0;
        m_motion.update(0.0);
        queueMessage(QStringLiteral("info: measurement started"));
    } else if (cmd == QLatin1String("tracking stop")) {
        if (measuring())
            queueMessage(QStringLiteral("info: measurement stopped"));
        m_active = QStringLiteral("none");
    } else if (cmd == QLatin1String("system reboot")) {
        r.offlineMs = m_scenario.rebootMs;
    } else if (cmd == QLatin1String("system shutdown")) {
        r.offlineMs = m_scenario.shutdownMs;
    }
    return r;
}

bool SimCommandProcessor::mayChangePassword(const QHostAddress& peer) const
{
    // Without a password anyone may set one, as on a fresh Controller.
    return m_password.isEmpty() || m_authorized.contains(peer.toIPv4Address());
}

void SimCommandProcessor::restart()
{
    const QString password = m_password;
    SimScenario s = m_scenario;
    s.messages.clear();
    setScenario(s);
    m_password = password; // the password lives in the Controller's storage
    queueMessage(QStringLiteral("info: controller started"));
}

void SimCommandProcessor::updateRoomCalibration()
{
    const bool pw = m_scenario.powerwall();
    for (int c = 1; c <= m_scenario.cameras; ++c) {
        if (!m_scenario.cameraCalibrated(c))
            continue;
        const SimMotion::Pose p = SimMotion::cameraPose(c - 1, m_scenario.cameras, pw);
        QStringList parts;
        for (double v : p.position)
            parts << QString::number(v, 'f', 3);
        for (double v : p.rotation)
            parts << QString::number(v, 'f', 6);
        m_model.store(QStringLiteral("tracking room ") + SimParameterModel::selector("c", c), parts.join(QLatin1Char(' ')));
    }
    m_model.store(QStringLiteral("roomcal last_coordinate_type"), m_scenario.coordinateType);
    m_motion.configure(m_scenario);
}

int SimCommandProcessor::rays(int camera, bool used) const
{
    if (!measuring())
        return 0;
    int visible = m_motion.trackedMarkers();
    for (const SimMotion::Target& b : m_motion.bodies)
        visible += b.quality >= 0 ? 4 : 0;
    for (const SimMotion::Target& g : m_motion.gripwands)
        visible += g.quality >= 0 ? 5 : 0;
    if (camera == m_scenario.dimCamera) {
        // A dimmed camera (dirty lens, weak flash) sees half of what the
        // others see, and the tracker can use only a third of their rays.
        if (!used)
            return (visible + 1) / 2;
        return m_scenario.cameraCalibrated(camera) ? (visible + 1) / 3 : 0;
    }
    // Each camera misses a few markers that others see.
    visible = qMax(0, visible - (camera % 3));
    if (!used)
        return visible;
    return m_scenario.cameraCalibrated(camera) ? qMax(0, visible - 1) : 0;
}

int SimCommandProcessor::injectedGap(quint32 frame) const
{
    if (m_scenario.loseFramesEverySec <= 0 || frame == 0)
        return 0;
    // A hash of the frame number instead of a random generator: the same
    // frames go missing in every run, whatever the timing of the calls.
    const double chance = 1.0 / (double(m_scenario.loseFramesEverySec) * m_scenario.rate);
    const quint32 h = SimMotion::mix(frame * 0x9e3779b9U ^ 0x51ed270bU);
    if (double(h) >= chance * 4294967296.0)
        return 0;
    return 1 + int(SimMotion::mix(h ^ 0x2545f491U) % 5U);
}

void SimCommandProcessor::noteFrame(quint32 frame, bool lost)
{
    const qint64 second = qint64(double(frame) / m_scenario.rate);
    if (second != m_lostNow.second) {
        m_lostBefore = second == m_lostNow.second + 1 ? m_lostNow : LostInSecond{second - 1, 0};
        m_lostNow = LostInSecond{second, 0};
    }
    if (lost)
        ++m_lostNow.count;
}

void SimCommandProcessor::loseFrames(qint64 n)
{
    if (n <= 0)
        return;
    // Only the last two seconds are ever reported; frames before them are
    // skipped without booking, so a long stall costs no time here.
    const qint64 booked = qMin(n, qint64(2.0 * m_scenario.rate) + 2);
    m_frame += quint32(n - booked);
    for (qint64 i = 0; i < booked; ++i)
        noteFrame(++m_frame, true);
}

void SimCommandProcessor::advanceFrame()
{
    if (const int gap = injectedGap(m_frame))
        loseFrames(gap);
    noteFrame(++m_frame, false);
    m_motion.update(double(m_frame) / m_scenario.rate);
}

double SimCommandProcessor::timeStamp() const
{
    return m_startOfDay + double(m_frame) / m_scenario.rate;
}

const QVector<SimCommandProcessor::Destination>& SimCommandProcessor::destinations() const
{
    if (!m_destinationsDirty)
        return m_destinations;
    m_destinationsDirty = false;
    QVector<Destination>& out = m_destinations;
    out.clear();
    QStringList channels = {QStringLiteral("chmon")};
    for (int i = 1; i <= 4; ++i)
        channels << SimParameterModel::selector("ch", i);
    const bool old6df = m_model.value(QStringLiteral("gripwand output_6df")) == QLatin1String("yes");
    const bool old6dmt = m_model.value(QStringLiteral("measurementtool output_6dmt")) == QLatin1String("yes");
    for (const QString& ch : channels) {
        const QStringList net = m_model.value(QStringLiteral("output net ") + ch).split(QLatin1Char(' '));
        if (net.size() != 3)
            continue;
        Destination d;
        d.channel = ch;
        d.address = QHostAddress(net.at(1));
        d.port = quint16(net.at(2).toUInt());
        bool active[9];
        for (int i = 0; i < 9; ++i)
            active[i] = m_model.value(QStringLiteral("output active %1 %2").arg(ch, QLatin1String(kStreamTypes[i])))
                == QLatin1String("yes");
        SimStreamGenerator::Outputs& o = d.outputs;
        o.ts = active[0];
        o.cal6d = active[1];
        o.body6d = active[2];
        o.gripwand = active[3];
        o.tool = active[4];
        o.reference = active[5];
        o.markers = active[6];
        o.inertial = active[7];
        o.hands = active[8];
        o.oldGripwandFormat = old6df;
        o.oldToolFormat = old6dmt;
        out.append(d);
    }
    return out;
}
