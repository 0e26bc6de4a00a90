// The simulator's reply grammar, its parameter coverage and its command framing.
#include "ControllerSimulator.h"
#include "SimCommandProcessor.h"
#include "SimTestClient.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QtTest>

#include <cmath>

namespace {

const QString kHost = QStringLiteral("127.0.3.1");
const QString kClient = QStringLiteral("127.0.3.2");
const QHostAddress kPeer(QStringLiteral("127.0.3.2"));

bool isErrorReply(const QByteArray& reply)
{
    static const QRegularExpression form(QStringLiteral("^quorix2 err -?\\d+ \"[^\"]*\"$"));
    return form.match(QString::fromLatin1(reply)).hasMatch();
}

// Value of a get reply after the echoed parameter, or a null array when the reply is no echo.
QByteArray valueOf(const QByteArray& reply, const QByteArray& echo)
{
    const QByteArray prefix = "quorix2 set " + echo + ' ';
    return reply.startsWith(prefix) ? reply.mid(prefix.size()) : QByteArray();
}

} // namespace

class SimGrammarTest : public QObject
{
    Q_OBJECT

private slots:
    void getIsAnsweredBySetWithEchoAndValue();
    void selectorsInAnyPaddingAreEchoedCanonically();
    void refusalsHaveCodeAndQuotedText();
    void settableParametersKeepWhatWasSet();
    void everyParameterTheFrontEndQueriesIsAnswered_data();
    void everyParameterTheFrontEndQueriesIsAnswered();
    void roomCalibrationIsPositionAndOrthonormalColumns();
    void targetGeometryIsConsistentWithItsCounts();
    void enumerationIdentifiersLeadToTheirDescriptions();
    void measurementStateFollowsStartAndStop();
    void messageQueueGivesOneMessagePerCall();
    void statusNumbersFollowTheMeasurement();

    void tcpCommandsSplitOrJoinedAreAnsweredInOrder();
    void overlongCommandWithoutZeroGetsErrAndStreamResyncs();
    void garbageAndBadCommandsGetErrAndOthersAreStillServed();
    void severalClientsAtOnce();
    void udpRepliesGoToTheSender();
    void udpDatagramWithoutZeroOrOverlongGetsErr();
    void reinitIsAnsweredAfterItsDelayAndLaterCommandsWait();
    void commandLogRecordsTransportPeerAndText();
};

void SimGrammarTest::getIsAnsweredBySetWithEchoAndValue()
{
    SimCommandProcessor p;
    QCOMPARE(p.handle("quorix2 get system hostname", kPeer).text, QByteArray("quorix2 set system hostname quorixsim"));
    QCOMPARE(p.handle("quorix2 get system protocol_version", kPeer).text,
             QByteArray("quorix2 set system protocol_version v1.27.0"));
    QCOMPARE(p.handle("quorix2 set system hostname lab1", kPeer).text, QByteArray("quorix2 ok"));
    QCOMPARE(p.handle("quorix2 init", kPeer).text, QByteArray("quorix2 ok"));
    // The fifth word of the protocol reply is the version (the connect dialog's rule).
    const QList<QByteArray> words = p.handle("quorix2 get system protocol_version", kPeer).text.split(' ');
    QCOMPARE(words.value(4), QByteArray("v1.27.0"));
}

void SimGrammarTest::selectorsInAnyPaddingAreEchoedCanonically()
{
    SimCommandProcessor p;
    const QByteArray expected = p.handle("quorix2 get camera focal_length c01", kPeer).text;
    QVERIFY(expected.startsWith("quorix2 set camera focal_length c01 "));
    QCOMPARE(p.handle("quorix2 get camera focal_length c1", kPeer).text, expected);
    QCOMPARE(p.handle("quorix2 get camera focal_length c001", kPeer).text, expected);
    QVERIFY(p.handle("quorix2 get body marker standard b1 m2", kPeer).text.startsWith("quorix2 set body marker standard b01 m02 "));
    QVERIFY(p.handle("quorix2 get output active ch1 6d", kPeer).text.startsWith("quorix2 set output active ch01 6d "));
    QVERIFY(p.handle("quorix2 get system extra hardware h01", kPeer).text.startsWith("quorix2 set system extra hardware h1 "));
    // Not selectors: a bare letter, letters after digits, an item that does not exist.
    QVERIFY(isErrorReply(p.handle("quorix2 get camera focal_length c", kPeer).text));
    QVERIFY(isErrorReply(p.handle("quorix2 get camera focal_length c1x", kPeer).text));
    QVERIFY(isErrorReply(p.handle("quorix2 get camera focal_length c05", kPeer).text));
}

void SimGrammarTest::refusalsHaveCodeAndQuotedText()
{
    SimCommandProcessor p;
    const QByteArray bad[] = {
        "quorix2 get no_such parameter",   // unknown parameter
        "quorix2 get",                     // get without parameter
        "quorix2 set system version v9",   // read-only
        "quorix2 set standard calculate_marker maybe", // bad value
        "quorix2 set system hostname",     // value missing
        "quorix2 frobnicate",              // unknown action
        "quorix2 get system \"version",    // unterminated quote
        "quorix3 get system version",      // wrong prefix
    };
    for (const QByteArray& c : bad) {
        const QByteArray reply = p.handle(c, kPeer).text;
        QVERIFY2(isErrorReply(reply), c + " -> " + reply);
        QVERIFY(reply.size() <= 199);
    }
    // A value that is not a number for a numeric parameter, and a long unknown parameter.
    QVERIFY(isErrorReply(p.handle("quorix2 set camera flash_intensity c01 bright", kPeer).text));
    const QByteArray longParam = "quorix2 get " + QByteArray(180, 'q');
    const QByteArray reply = p.handle(longParam, kPeer).text;
    QVERIFY(reply.size() <= 199);
    QVERIFY(reply.startsWith("quorix2 err -2 \""));
}

void SimGrammarTest::settableParametersKeepWhatWasSet()
{
    SimCommandProcessor p;
    QCOMPARE(p.handle("quorix2 set standard calculate_marker no", kPeer).text, QByteArray("quorix2 ok"));
    QCOMPARE(p.handle("quorix2 get standard calculate_marker", kPeer).text,
             QByteArray("quorix2 set standard calculate_marker no"));
    QCOMPARE(p.handle("quorix2 set body desc standard b1 \"left shoulder\"", kPeer).text, QByteArray("quorix2 ok"));
    QCOMPARE(p.handle("quorix2 get body desc standard b01", kPeer).text,
             QByteArray("quorix2 set body desc standard b01 \"left shoulder\""));
    QCOMPARE(p.handle("quorix2 set output active chmon 3d no", kPeer).text, QByteArray("quorix2 ok"));
    QCOMPARE(valueOf(p.handle("quorix2 get output active chmon 3d", kPeer).text, "output active chmon 3d"), QByteArray("no"));
    // my_ip stands for the sender's address.
    QCOMPARE(p.handle("quorix2 set output net chmon udp my_ip 4711", kPeer).text, QByteArray("quorix2 ok"));
    QCOMPARE(valueOf(p.handle("quorix2 get output net chmon", kPeer).text, "output net chmon"), QByteArray("udp 127.0.3.2 4711"));
    QCOMPARE(valueOf(p.handle("quorix2 get output net_active chmon", kPeer).text, "output net_active chmon"), QByteArray("yes"));
    QVERIFY(isErrorReply(p.handle("quorix2 set output net chmon udp my_ip 99999", kPeer).text));
    QVERIFY(isErrorReply(p.handle("quorix2 set output net chmon tcp my_ip 4711", kPeer).text));
}

void SimGrammarTest::everyParameterTheFrontEndQueriesIsAnswered_data()
{
    QTest::addColumn<QByteArray>("param");
    const char* const params[] = {
        // scan, connect dialog, start-up
        "system version", "system hostname", "system model", "system controller_serial", "system protocol_version",
        "system controller_version", "system access", "system accessed_by", "system slave", "system ethernet_mac",
        "inertial number_of_sensors", "output net chmon",
        // main window and status bars
        "status active", "tracking available", "system full_name", "system net", "cascade available",
        "cascade number_of_connected_slaves", "camera number_of_cameras", "status number_of_rays c01",
        "status number_of_used_rays c04", "status number_of_bodies", "status number_of_marker", "status output_frequency",
        "status frames_lost", "zelwpan available", "zelwpan radio", "config desc", "status err",
        // password, information dialogs
        "config is_frontend_password none", "system ethernet_ip", "system version_copyright", "cascade wol_slaves",
        "synccard number_of_synccards", "synccard synccard d01",
        // configuration report (a sample of every section)
        "system update_date", "system number_of_single_versions", "system single_version t01", "system domainname",
        "system nameserver", "system date", "system time", "system ntp_server", "system ntp_status", "system ptp",
        "system ptp_status", "system temperature_cpu", "config owner", "config has_password", "config is_changeable",
        "config free_space", "config number_of_configs", "config config t01", "config desc_of_config default",
        "system extra number_of_hardware", "system extra motherboard", "system extra hardware h1", "system can_slave",
        "system slave_port", "cascade scan_slaves_lan", "camera scan_duration", "camera camera c01", "camera version c01",
        "camera focal_length c02", "camera flash_intensity c03", "camera is_flash_low_power", "camera max_sync_frequency",
        "camera marker_mode c01", "camera area c01 t01", "camera mode_desc c01 standard", "camera cascade_slave c01",
        "camera min_max_sensor_gain c02", "camera display_setting_desc c01 status", "camera model_desc 0x0a05",
        "synccard available", "synccard model_desc 0x0401", "synccard active_mode", "synccard mode_desc internal",
        "synccard output_frequency", "synccard mode t02", "synccard has_source d01 internal", "synccard source d01",
        "synccard max_external_divisor d01 ttl", "synccard output_delay d01 ch01", "synccard output_during_idle d01 ch04",
        "zelwpan number_of_devices", "zelwpan device d01", "zelwpan number_of_transceivers", "zelwpan transceiver d01",
        "standard number_of_bodies", "standard max_number_of_bodies", "standard calculate_marker", "standard filter_bodies",
        "filter6d available standard", "filter6d number_of_presets", "filter6d preset_id t01", "filter6d mode_id t02",
        "filter6d limit prediction_max", "tracking axis_5dof_central", "tracking body_max_residual",
        "tracking marker_prediction_error", "body number_of_bodies standard", "body active standard b01",
        "body inertial_sensor standard b01", "body calibrated gripwand b01", "body targetlib_name standard b01",
        "body filter6d_preset gripwand b01", "gripwand device b01", "measurementtool available",
        "body number_of_bodies measurementtool_reference", "measurementtool reference_of_tool b01",
        "body number_of_bodies fingertracking", "tracking reference", "output net_via_router", "output net_active ch01",
        "output net ch02", "output net_divisor ch03", "output number_of_types", "output type t01", "output available 6d",
        "output active ch01 3d", "gripwand max_number_of_devices", "gripwand filter", "gripwand output_6df",
        "gripwand multiuser_with_head", "gripwand has_target_parameter b01", "gripwand number_of_zelwpan_devices",
        "gripwand zelwpan_device d01", "measurementtool output_6dmt", "measurementtool max_number_of_tools",
        "measurementtool number_of_references", "measurementtool tip_radius b01", "measurementtool device b01",
        "measurementtool measurement_start_lead_time b01", "roomcal has_type wand", "roomcal wand_length",
        "roomcal coordinate_type", "roomcal angle", "roomcal last_date", "roomcal last_wand_residual",
        "tracking has_room c01", "tracking number_of_missing_cameras", "roomcal last_cam_number",
        "roomcal last_cam_ident c01", "roomcal last_cam_residual c02", "roomcal reference c01", "roomcal fixed_camera c04",
        "tracking extra_translation", "tracking extra_rotation", "tracking extra_scaling", "body number_of_types",
        "body type t05", "body type_desc standard", "body filter6d_strength standard b01", "body filter6d_mode standard b02",
        "body target_type standard b01", "body min_number_of_stereo_markers standard b01",
        "body marker_emission standard b01 m01", "body marker_cylinder gripwand b01 m05", "standard fixed_angle b02",
        "bodycal number_of_target_types", "bodycal target_type_id t01", "bodycal target_type_desc flat",
        "fingertracking max_number_of_hands", "fingertracking number_of_hands", "fingertracking number_of_hand_geometries",
        "fingertracking hand_geometry t01", "fingertracking hand_geometry_available hg_left",
        "fingertracking finger_marker hg_left f1 m01", "fingertracking length_of_phalanges hg_right f3",
        "fingertracking hand_geometry_for_body_available b01 hg_left", "fingertracking thimble_set t01",
        "fingertracking thimble_set_marker thimbles_std f2 m01", "fingertracking tactile_available",
        "fingertracking tactile_device d01", "fingertracking tactile_feedback_gain b01", "inertial available",
        "inertial frequency", "inertial number_of_transceivers", "inertial sensor d01", "tracking pulse",
        "targetlib number_of_targets", "targetlib target_name t01", "targetlib target_status_calibrated_custom t01",
        "output net_sender_port chmon",
    };
    for (const char* p : params)
        QTest::newRow(p) << QByteArray(p);
}

void SimGrammarTest::everyParameterTheFrontEndQueriesIsAnswered()
{
    QFETCH(QByteArray, param);
    SimCommandProcessor p;
    const QByteArray reply = p.handle("quorix2 get " + param, kPeer).text;
    QVERIFY2(reply.startsWith("quorix2 set " + param + ' '), reply);
    QVERIFY(reply.size() > param.size() + 13); // a value follows the echo
    QVERIFY(reply.size() <= 199);
}

void SimGrammarTest::roomCalibrationIsPositionAndOrthonormalColumns()
{
    SimCommandProcessor p;
    for (int c = 1; c <= 4; ++c) {
        const QByteArray param = "tracking room c0" + QByteArray::number(c);
        const QList<QByteArray> v = valueOf(p.handle("quorix2 get " + param, kPeer).text, param).split(' ');
        QCOMPARE(v.size(), 12);
        double m[9];
        for (int i = 0; i < 9; ++i)
            m[i] = v.at(3 + i).toDouble();
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) {
                const double dot = m[3 * a] * m[3 * b] + m[3 * a + 1] * m[3 * b + 1] + m[3 * a + 2] * m[3 * b + 2];
                QVERIFY(std::fabs(dot - (a == b ? 1.0 : 0.0)) < 1e-4);
            }
        // Cameras hang high around the volume and look at it (local -z towards the centre).
        const double pos[3] = {v.at(0).toDouble(), v.at(1).toDouble(), v.at(2).toDouble()};
        QVERIFY(pos[2] > 2000.0);
        const double towardsCentre = -(m[6] * -pos[0] + m[7] * -pos[1] + m[8] * (1000.0 - pos[2]));
        QVERIFY(towardsCentre > 0);
    }
}

void SimGrammarTest::targetGeometryIsConsistentWithItsCounts()
{
    SimCommandProcessor p;
    for (const QByteArray& family : {QByteArray("standard"), QByteArray("gripwand"), QByteArray("measurementtool"),
                                     QByteArray("measurementtool_reference")}) {
        const QByteArray countParam = "body number_of_bodies " + family;
        const int bodies = valueOf(p.handle("quorix2 get " + countParam, kPeer).text, countParam).toInt();
        QVERIFY(bodies >= 1);
        for (int b = 1; b <= bodies; ++b) {
            const QByteArray sb = QByteArray("b0") + QByteArray::number(b);
            const QByteArray mParam = "body number_of_marker " + family + ' ' + sb;
            const int markers = valueOf(p.handle("quorix2 get " + mParam, kPeer).text, mParam).toInt();
            QVERIFY(markers >= 3);
            for (int m = 1; m <= markers; ++m) {
                const QByteArray pos = "body marker " + family + ' ' + sb + " m0" + QByteArray::number(m);
                QCOMPARE(valueOf(p.handle("quorix2 get " + pos, kPeer).text, pos).split(' ').size(), 3);
            }
            const QByteArray beyond = "quorix2 get body marker " + family + ' ' + sb + " m0" + QByteArray::number(markers + 1);
            QVERIFY(isErrorReply(p.handle(beyond, kPeer).text));
        }
    }
}

void SimGrammarTest::enumerationIdentifiersLeadToTheirDescriptions()
{
    // What an enumeration returns is what the descriptive queries take.
    SimCommandProcessor p;
    const QByteArray camera = valueOf(p.handle("quorix2 get camera camera c01", kPeer).text, "camera camera c01");
    const QList<QByteArray> cw = camera.split(' ');
    QCOMPARE(cw.size(), 2);
    QVERIFY(p.handle("quorix2 get camera model_desc " + cw.at(0), kPeer).text.startsWith("quorix2 set"));
    QVERIFY(p.handle("quorix2 get camera serial_desc " + cw.at(1), kPeer).text.startsWith("quorix2 set"));
    const QByteArray device = valueOf(p.handle("quorix2 get gripwand device b01", kPeer).text, "gripwand device b01");
    const QList<QByteArray> dw = device.split(' ');
    QCOMPARE(dw.size(), 3);
    QVERIFY(p.handle("quorix2 get zelwpan device_vendor_desc " + dw.at(0), kPeer).text.startsWith("quorix2 set"));
    QVERIFY(p.handle("quorix2 get zelwpan device_model_desc " + dw.at(0) + ' ' + dw.at(1), kPeer).text.startsWith("quorix2 set"));
    QVERIFY(p.handle("quorix2 get zelwpan device_version " + device, kPeer).text.startsWith("quorix2 set"));
    const QByteArray sensor = valueOf(p.handle("quorix2 get inertial sensor d01", kPeer).text, "inertial sensor d01");
    QVERIFY(p.handle("quorix2 get inertial body_of_sensor " + sensor, kPeer).text.startsWith("quorix2 set"));
    QVERIFY(p.handle("quorix2 get inertial sensor_handeye " + sensor, kPeer).text.startsWith("quorix2 set"));
    const QByteArray preset = valueOf(p.handle("quorix2 get body filter6d_preset standard b01", kPeer).text,
                                      "body filter6d_preset standard b01");
    QVERIFY(p.handle("quorix2 get filter6d preset_desc " + preset, kPeer).text.startsWith("quorix2 set"));
    const QByteArray type = valueOf(p.handle("quorix2 get output type t03", kPeer).text, "output type t03");
    QVERIFY(p.handle("quorix2 get output type_desc " + type, kPeer).text.startsWith("quorix2 set"));
    // The sync card the service dialog looks for.
    QVERIFY(valueOf(p.handle("quorix2 get synccard synccard d01", kPeer).text, "synccard synccard d01").startsWith("0x0401 "));
}

void SimGrammarTest::measurementStateFollowsStartAndStop()
{
    SimCommandProcessor p;
    QCOMPARE(p.handle("quorix2 get status active", kPeer).text, QByteArray("quorix2 set status active none"));
    QCOMPARE(p.handle("quorix2 get tracking available", kPeer).text, QByteArray("quorix2 set tracking available yes"));
    QCOMPARE(p.handle("quorix2 tracking start", kPeer).text, QByteArray("quorix2 ok"));
    QCOMPARE(p.handle("quorix2 get status active", kPeer).text, QByteArray("quorix2 set status active mea"));
    QCOMPARE(p.handle("quorix2 tracking stop", kPeer).text, QByteArray("quorix2 ok"));
    QCOMPARE(p.handle("quorix2 get status active", kPeer).text, QByteArray("quorix2 set status active none"));
}

void SimGrammarTest::messageQueueGivesOneMessagePerCall()
{
    SimScenario s;
    s.messages << QStringLiteral("warning: from the profile");
    SimCommandProcessor p;
    p.setScenario(s);
    p.queueMessage(QStringLiteral("error: from the API"));
    p.handle("quorix2 tracking start", kPeer); // the simulator reports its own events too
    QList<QByteArray> texts;
    for (int i = 0; i < 10; ++i) {
        const QByteArray r = p.handle("quorix2 getmsg", kPeer).text;
        if (r == "quorix2 ok")
            break;
        QVERIFY2(r.startsWith("quorix2 ") && r.at(11) == ' ', r); // eleven-character prefix, then a blank
        texts << r.mid(12);
    }
    QCOMPARE(texts.size(), 3);
    QCOMPARE(texts.at(0), QByteArray("warning: from the profile"));
    QCOMPARE(texts.at(1), QByteArray("error: from the API"));
    QVERIFY(texts.at(2).contains("measurement started"));
    QCOMPARE(p.handle("quorix2 getmsg", kPeer).text, QByteArray("quorix2 ok"));
    // Long messages are cut so that the reply keeps its 199 characters.
    p.queueMessage(QString(400, QLatin1Char('m')));
    QCOMPARE(p.handle("quorix2 getmsg", kPeer).text.size(), 199);
}

void SimGrammarTest::statusNumbersFollowTheMeasurement()
{
    SimScenario s;
    s.bodies = 5;
    s.markers = 10;
    SimCommandProcessor p;
    p.setScenario(s);
    QCOMPARE(valueOf(p.handle("quorix2 get status number_of_bodies", kPeer).text, "status number_of_bodies"), QByteArray("0"));
    QCOMPARE(valueOf(p.handle("quorix2 get status output_frequency", kPeer).text, "status output_frequency").toDouble(), 0.0);
    p.handle("quorix2 tracking start", kPeer);
    int maxBodies = 0;
    for (int f = 0; f < 600; ++f) {
        p.advanceFrame();
        const int n = valueOf(p.handle("quorix2 get status number_of_bodies", kPeer).text, "status number_of_bodies").toInt();
        QCOMPARE(n, p.motion().trackedBodies());
        maxBodies = qMax(maxBodies, n);
    }
    QCOMPARE(maxBodies, 5);
    QCOMPARE(valueOf(p.handle("quorix2 get status output_frequency", kPeer).text, "status output_frequency").toDouble(), 60.0);
    QVERIFY(valueOf(p.handle("quorix2 get status number_of_rays c01", kPeer).text, "status number_of_rays c01").toInt() > 0);
}

void SimGrammarTest::tcpCommandsSplitOrJoinedAreAnsweredInOrder()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    SimTestClient c;
    QVERIFY(c.connectTo(kHost, 50105, kClient));
    // One command in three pieces.
    c.sendRaw("quorix2 get sys");
    QTest::qWait(30);
    c.sendRaw("tem host");
    QTest::qWait(30);
    c.sendRaw(QByteArray("name\0", 5));
    QCOMPARE(c.readReply(), QByteArray("quorix2 set system hostname quorixsim"));
    // Three commands in one segment, and a stray zero byte between them.
    c.sendRaw(QByteArray("quorix2 get system model\0\0quorix2 get status active\0quorix2 getmsg\0", 68));
    QCOMPARE(c.readReply(), QByteArray("quorix2 set system model 0"));
    QCOMPARE(c.readReply(), QByteArray("quorix2 set status active none"));
    QCOMPARE(c.readReply(), QByteArray("quorix2 ok"));
}

void SimGrammarTest::overlongCommandWithoutZeroGetsErrAndStreamResyncs()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    SimTestClient c;
    QVERIFY(c.connectTo(kHost, 50105, kClient));
    c.sendRaw("quorix2 get " + QByteArray(300, 'a'));
    QVERIFY(isErrorReply(c.readReply()));
    c.sendRaw(QByteArray(500, 'b') + QByteArray("\0quorix2 get system model\0", 26));
    QCOMPARE(c.readReply(), QByteArray("quorix2 set system model 0"));
    // Exactly 200 characters is still a command; 201 is not.
    const QByteArray c200 = "quorix2 get " + QByteArray(188, 'z');
    QVERIFY(c.command(c200).startsWith("quorix2 err -2 "));
    QVERIFY(c.command(c200 + 'z').startsWith("quorix2 err -1 "));
}

void SimGrammarTest::garbageAndBadCommandsGetErrAndOthersAreStillServed()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    SimTestClient bad, good;
    QVERIFY(bad.connectTo(kHost, 50105, kClient));
    QVERIFY(good.connectTo(kHost, 50105, QStringLiteral("127.0.3.3")));
    QByteArray binary;
    for (int i = 1; i < 256; ++i)
        binary.append(char(i));
    bad.sendRaw(binary.left(150) + '\0');
    QVERIFY(isErrorReply(bad.readReply()));
    QVERIFY(isErrorReply(bad.command("hello")));
    // A flood of commands written without reading: every one is answered, in order.
    QByteArray flood;
    for (int i = 0; i < 2000; ++i)
        flood += QByteArray("quorix2 get status active\0", 26);
    bad.sendRaw(flood);
    QCOMPARE(good.command("quorix2 get system hostname"), QByteArray("quorix2 set system hostname quorixsim"));
    for (int i = 0; i < 2000; ++i)
        QCOMPARE(bad.readReply(), QByteArray("quorix2 set status active none"));
    QCOMPARE(bad.command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
}

void SimGrammarTest::severalClientsAtOnce()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    SimTestClient a, b;
    QVERIFY(a.connectTo(kHost, 50105, kClient));
    QVERIFY(b.connectTo(kHost, 50105, QStringLiteral("127.0.3.3")));
    QCOMPARE(a.command("quorix2 tracking start"), QByteArray("quorix2 ok"));
    QCOMPARE(b.command("quorix2 get status active"), QByteArray("quorix2 set status active mea"));
    QCOMPARE(b.command("quorix2 tracking stop"), QByteArray("quorix2 ok"));
    QCOMPARE(a.command("quorix2 get status active"), QByteArray("quorix2 set status active none"));
}

void SimGrammarTest::udpRepliesGoToTheSender()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    QCOMPARE(SimTestClient::udpCommand(kHost, QByteArray("quorix2 get system version\0", 27), kClient),
             QByteArray("quorix2 set system version v3.4.2"));
    QCOMPARE(SimTestClient::udpCommand(kHost, QByteArray("quorix2 get system access\0", 26), QStringLiteral("127.0.3.3")),
             QByteArray("quorix2 set system access full"));
}

void SimGrammarTest::udpDatagramWithoutZeroOrOverlongGetsErr()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    QVERIFY(isErrorReply(SimTestClient::udpCommand(kHost, "quorix2 get system version", kClient)));
    QVERIFY(isErrorReply(SimTestClient::udpCommand(kHost, QByteArray(3000, 'x') + '\0', kClient)));
    QCOMPARE(SimTestClient::udpCommand(kHost, QByteArray("quorix2 get system model\0", 25), kClient),
             QByteArray("quorix2 set system model 0"));
}

void SimGrammarTest::reinitIsAnsweredAfterItsDelayAndLaterCommandsWait()
{
    SimScenario s;
    s.reinitDelayMs = 300;
    ControllerSimulator sim(s);
    QVERIFY(sim.start(kHost));
    SimTestClient c;
    QVERIFY(c.connectTo(kHost, 50105, kClient));
    c.sendRaw(QByteArray("quorix2 reinit\0quorix2 get system model\0", 40));
    QCOMPARE(c.readReply(100), QByteArray("<timeout>")); // the hardware search is still running
    QCOMPARE(c.readReply(), QByteArray("quorix2 ok"));
    QCOMPARE(c.readReply(), QByteArray("quorix2 set system model 0"));
}

void SimGrammarTest::commandLogRecordsTransportPeerAndText()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    SimTestClient c;
    QVERIFY(c.connectTo(kHost, 50105, kClient));
    c.command("quorix2 init");
    SimTestClient::udpCommand(kHost, QByteArray("quorix2 get system version\0", 27), QStringLiteral("127.0.3.3"));
    c.sendRaw(QByteArray("quorix2 \x01\x02\0", 11));
    c.readReply();
    QVERIFY(sim.waitForCommands(3));
    const auto log = sim.commandLog();
    QCOMPARE(log.size(), 3);
    QCOMPARE(log.at(0).transport, QStringLiteral("tcp"));
    QVERIFY(log.at(0).peer.startsWith(kClient + QLatin1Char(':')));
    QCOMPARE(log.at(0).text, QStringLiteral("quorix2 init"));
    QCOMPARE(log.at(1).transport, QStringLiteral("udp"));
    QCOMPARE(log.at(2).text, QStringLiteral("quorix2 \\x01\\x02"));
    QVERIFY(log.at(0).time.isValid());
    sim.clearCommandLog();
    QVERIFY(sim.commandLog().isEmpty());
}

QTEST_GUILESS_MAIN(SimGrammarTest)
#include "tst_SimGrammar.moc"
