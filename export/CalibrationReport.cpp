#include "CalibrationReport.h"

#include "ReportWriter.h"

#include <QStringList>
#include <QVector>

#include <functional>

CalibrationReport::CalibrationReport(ReportWriter &out)
    : ReportSection(out)
{
}

void CalibrationReport::write()
{
    writeRoomCalibration();
    writeRoomAdjustments();
    writeBodyCalibration();
    writeFingertracking();
    writeTactile();
    writeInertial();
}

void CalibrationReport::writeRoomCalibration()
{
    m_out.line(QStringLiteral("[Room calibration]"));
    m_out.line();
    const int w = 30;
    m_out.value(QStringLiteral("Has type wand"), w, QStringLiteral("roomcal has_type wand"));
    if (atLeast(1, 10))
        m_out.value(QStringLiteral("Has type wand without angle"), w, QStringLiteral("roomcal has_type wand_no_angle"));
    m_out.value(QStringLiteral("Wand length [mm]"), w, QStringLiteral("roomcal wand_length"));
    m_out.value(QStringLiteral("Coordinate type"), w, QStringLiteral("roomcal coordinate_type"));
    if (atLeast(0, 11))
        m_out.value(QStringLiteral("Marker min quality"), w, QStringLiteral("roomcal marker_min_quality"));
    QString angle;
    const int ra = m_out.get(&angle, QStringLiteral("roomcal angle"));
    if (ra) {
        m_out.text(QStringLiteral("Angle marker distances"), w, ReportWriter::errorText(ra));
    } else {
        m_out.text(QStringLiteral("Angle distance A (1-2) [mm]"), w, word(angle, 0));
        m_out.text(QStringLiteral("Angle distance B (1-4) [mm]"), w, word(angle, 1));
        m_out.text(QStringLiteral("Angle distance C (1-3) [mm]"), w, word(angle, 2));
    }
    if (atLeast(1, 9)) {
        m_out.value(QStringLiteral("Type"), w, QStringLiteral("roomcal type"));
        m_out.value(QStringLiteral("Duration [s]"), w, QStringLiteral("roomcal duration"));
    }
    m_out.value(QStringLiteral("Last calibration date"), w, QStringLiteral("roomcal last_date"));
    m_out.line();
    m_out.line(QStringLiteral("Last calibration:"));
    if (atLeast(0, 12)) {
        m_out.value(QStringLiteral("  Coordinate type"), w, QStringLiteral("roomcal last_coordinate_type"));
        m_out.value(QStringLiteral("  Wand residual [mm]"), w, QStringLiteral("roomcal last_wand_residual"));
    }
    int cameras = 0;
    const int rc = m_out.getCount(&cameras, QStringLiteral("camera number_of_cameras"));
    if (rc)
        m_out.text(QStringLiteral("  Number of cameras"), w, ReportWriter::errorText(rc));
    if (atLeast(1, 18)) {
        for (int c = 1; c <= cameras; ++c)
            m_out.value(QStringLiteral("  Camera %1 has room").arg(sel("c", c)), w, QStringLiteral("tracking has_room ") + sel("c", c));
        const int missing = count(QStringLiteral("  Number of missing cameras"), w, QStringLiteral("tracking number_of_missing_cameras"));
        for (int c = 1; c <= missing; ++c)
            m_out.value(QStringLiteral("    Missing camera %1").arg(c), w, QStringLiteral("tracking missing_camera ") + sel("c", c));
    }
    const int n = count(QStringLiteral("  Number of calibrated cameras"), w, QStringLiteral("roomcal last_cam_number"));
    QVector<QStringList> rows;
    for (int c = 1; c <= n; ++c) {
        const QString sc = sel("c", c);
        QString ident;
        const int r = m_out.get(&ident, QStringLiteral("roomcal last_cam_ident ") + sc);
        if (r) {
            rows << QStringList{sc, ReportWriter::errorText(r)};
            continue;
        }
        QString model = m_out.valueOrError(QStringLiteral("camera model_desc ") + word(ident, 0));
        model.remove(QLatin1Char('"'));
        QStringList row{sc, model, m_out.valueOrError(QStringLiteral("camera serial_desc ") + ident),
                        m_out.valueOrError(QStringLiteral("roomcal last_cam_residual ") + sc)};
        if (atLeast(1, 11)) {
            const QString has = m_out.valueOrError(QStringLiteral("roomcal has_reference ") + sc);
            row << (has == QLatin1String("yes") ? m_out.valueOrError(QStringLiteral("roomcal reference ") + sc) : has);
        } else {
            row << QStringLiteral("-");
        }
        if (atLeast(1, 13)) {
            // The fixed-camera flag belongs to the camera in its current position.
            row << (c <= cameras ? m_out.valueOrError(QStringLiteral("roomcal fixed_camera ") + sc) : QStringLiteral("-"));
        } else {
            row << QStringLiteral("-");
        }
        rows << row;
    }
    m_out.table(QStringLiteral("Calibrated cameras"),
                {{QStringLiteral("ID"), 3}, {QStringLiteral("Model"), 14}, {QStringLiteral("Serial"), 8},
                 {QStringLiteral("Residual"), 8}, {QStringLiteral("Reference"), 9}, {QStringLiteral("Fixed"), 5}},
                rows);
    m_out.line();
}

void CalibrationReport::writeRoomAdjustments()
{
    if (!openSection(QStringLiteral("[Room adjustments]"), 0, 16))
        return;
    QString v;
    int r = m_out.get(&v, QStringLiteral("tracking extra_translation"));
    m_out.line(QStringLiteral("Zero point offset:"));
    const char *axes[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i)
        m_out.line(QStringLiteral("%1 [mm]: %2").arg(QLatin1String(axes[i]), r ? ReportWriter::errorText(r) : word(v, i)));
    r = m_out.get(&v, QStringLiteral("tracking extra_rotation"));
    m_out.line(QStringLiteral("Rotation angles:"));
    const char *rot[] = {"rx [deg]: %1", "ry [deg]: %1", "rz [deg]: %1"};
    for (int i = 0; i < 3; ++i)
        m_out.line(QString::fromLatin1(rot[i]).arg(r ? ReportWriter::errorText(r) : word(v, i)));
    m_out.line(QStringLiteral("Scaling (+/- 5%):"));
    m_out.line(QStringLiteral("Factor: ") + m_out.valueOrError(QStringLiteral("tracking extra_scaling")));
    if (atLeast(1, 18)) {
        m_out.line();
        int n = 0;
        const int rc = m_out.getCount(&n, QStringLiteral("camera number_of_cameras"));
        if (rc)
            m_out.line(QStringLiteral("Number of cameras: Error %1").arg(rc));
        QVector<QStringList> rows;
        for (int c = 1; c <= n; ++c) {
            const QString sc = sel("c", c);
            const QString has = m_out.valueOrError(QStringLiteral("tracking has_room ") + sc);
            if (has != QLatin1String("yes")) {
                rows << QStringList{sc, has == QLatin1String("no") ? QStringLiteral("not calibrated") : has};
                continue;
            }
            rows << QStringList{sc, m_out.valueOrError(QStringLiteral("tracking room ") + sc)};
        }
        m_out.table(QStringLiteral("Camera coordinates and rotations"),
                    {{QStringLiteral("ID"), 3}, {QStringLiteral("x y z [mm], rotation matrix"), 0}}, rows);
    }
    m_out.line();
}

void CalibrationReport::writeBodyCalibration()
{
    if (!openSection(QStringLiteral("[Body calibration]"), 0, 3))
        return;
    int types = 0;
    const int r = m_out.getCount(&types, QStringLiteral("body number_of_types"));
    QVector<QStringList> rows;
    QStringList kinds;
    QVector<int> counts;
    if (r)
        rows << QStringList{ReportWriter::errorText(r)};
    for (int t = 1; !r && t <= types; ++t) {
        QString kind;
        const int rt = m_out.get(&kind, QStringLiteral("body type ") + sel("t", t));
        if (rt) {
            rows << QStringList{QString::number(t), ReportWriter::errorText(rt)};
            continue;
        }
        int n = 0;
        const int rn = m_out.getCount(&n, QStringLiteral("body number_of_bodies ") + kind);
        QString desc = m_out.valueOrError(QStringLiteral("body type_desc ") + kind);
        desc.remove(QLatin1Char('"'));
        rows << QStringList{QString::number(t), kind, desc, rn ? ReportWriter::errorText(rn) : QString::number(n)};
        kinds << kind;
        counts << (rn ? 0 : n);
    }
    m_out.table(QStringLiteral("Body types"),
                {{QStringLiteral("ID"), 3}, {QStringLiteral("Type"), 26}, {QStringLiteral("Description"), 32},
                 {QStringLiteral("Count"), 5}},
                rows);
    const int w = 30;
    for (int k = 0; k < kinds.size(); ++k) {
        const QString kind = kinds.at(k);
        for (int b = 1; b <= counts.at(k); ++b) {
            const QString sb = sel("b", b);
            const QString kb = kind + QLatin1Char(' ') + sb;
            m_out.line();
            m_out.line(QStringLiteral("Body %1 %2:").arg(kind).arg(b));
            m_out.value(QStringLiteral("  Calibrated"), w, QStringLiteral("body calibrated ") + kb);
            m_out.value(QStringLiteral("  Description"), w, QStringLiteral("body desc ") + kb);
            if (atLeast(1, 5)) {
                QString enabled;
                const int re = m_out.get(&enabled, QStringLiteral("body filter6d_enabled ") + kb);
                m_out.text(QStringLiteral("  Filter enabled"), w, re ? ReportWriter::errorText(re) : enabled);
                if (!re && enabled == QLatin1String("yes")) {
                    QString preset;
                    const int rp = m_out.get(&preset, QStringLiteral("body filter6d_preset ") + kb);
                    m_out.text(QStringLiteral("  Filter preset"), w, rp ? ReportWriter::errorText(rp)
                                                                       : preset + QLatin1Char(' ') + m_out.valueOrError(QStringLiteral("filter6d preset_desc ") + preset));
                    m_out.value(QStringLiteral("  Filter strength"), w, QStringLiteral("body filter6d_strength ") + kb);
                    m_out.value(QStringLiteral("  Filter prediction"), w, QStringLiteral("body filter6d_prediction ") + kb);
                    QString mode;
                    const int rm = m_out.get(&mode, QStringLiteral("body filter6d_mode ") + kb);
                    m_out.text(QStringLiteral("  Filter mode"), w, rm ? ReportWriter::errorText(rm)
                                                                     : mode + QLatin1Char(' ') + m_out.valueOrError(QStringLiteral("filter6d mode_desc ") + mode));
                }
            }
            if (atLeast(1, 6)) {
                m_out.value(QStringLiteral("  Target type"), w, QStringLiteral("body target_type ") + kb);
                m_out.value(QStringLiteral("  Min. stereo markers"), w, QStringLiteral("body min_number_of_stereo_markers ") + kb);
            }
            if (kind == QLatin1String("measurementtool") && atLeast(1, 12)) {
                m_out.value(QStringLiteral("  Tip calibrated"), w, QStringLiteral("measurementtool tip_calibrated ") + sb);
                m_out.value(QStringLiteral("  Tip residual"), w, QStringLiteral("measurementtool tip_residual ") + sb);
            }
            if (kind == QLatin1String("standard") && atLeast(1, 12))
                m_out.value(QStringLiteral("  Fixed angle"), w, QStringLiteral("standard fixed_angle ") + sb);
            const int markers = count(QStringLiteral("  Number of markers"), w, QStringLiteral("body number_of_marker ") + kb);
            for (int m = 1; m <= markers; ++m) {
                const QString km = kb + QString::asprintf(" m%2.2d", m);
                QString line = QStringLiteral("    Marker %1: ").arg(m, 2) + m_out.valueOrError(QStringLiteral("body marker ") + km);
                if (atLeast(1, 12))
                    line += QStringLiteral("; emission ") + m_out.valueOrError(QStringLiteral("body marker_emission ") + km)
                        + QStringLiteral("; cylinder ") + m_out.valueOrError(QStringLiteral("body marker_cylinder ") + km);
                m_out.line(line);
            }
        }
    }
    if (atLeast(1, 6)) {
        m_out.line();
        const int n = count(QStringLiteral("Number of target types"), w, QStringLiteral("bodycal number_of_target_types"));
        for (int t = 1; t <= n; ++t) {
            QString id;
            const int rt = m_out.get(&id, QStringLiteral("bodycal target_type_id ") + sel("t", t));
            m_out.text(QStringLiteral("  Target type %1").arg(t), w,
                       rt ? ReportWriter::errorText(rt)
                          : id + QLatin1Char(' ') + m_out.valueOrError(QStringLiteral("bodycal target_type_desc ") + id));
        }
    }
    m_out.line();
}

void CalibrationReport::writeFingertracking()
{
    if (!openSection(QStringLiteral("[Fingertracking settings]"), 0, 17))
        return;
    const QString f = QStringLiteral("fingertracking ");
    const int w = 30;
    m_out.value(QStringLiteral("Max number of hands"), w, f + QStringLiteral("max_number_of_hands"));
    int hands = 0;
    const int rh = m_out.getCount(&hands, f + QStringLiteral("number_of_hands"));
    m_out.line(rh ? QStringLiteral("Number of hands: Error %1").arg(rh) : QStringLiteral("Number of hands: %1").arg(hands));
    const int geometries = count(QStringLiteral("Number of hand geometries"), w, f + QStringLiteral("number_of_hand_geometries"));
    if (atLeast(1, 20)) {
        QVector<QStringList> rows;
        for (int b = 1; b <= hands; ++b) {
            const QString sb = sel("b", b);
            QString name = m_out.valueOrError(QStringLiteral("body desc fingertracking ") + sb);
            name.remove(QLatin1Char('"'));
            QString device;
            const int rd = m_out.get(&device, f + QStringLiteral("tactile_device_of_body ") + sb);
            QString model = rd ? ReportWriter::errorText(rd) : m_out.valueOrError(QStringLiteral("zelwpan device_model_desc ") + device);
            model.remove(QLatin1Char('"'));
            QString geometry;
            const int rg = m_out.get(&geometry, f + QStringLiteral("hand_geometry_of_body ") + sb);
            QString geometryText = rg ? ReportWriter::errorText(rg) : m_out.valueOrError(f + QStringLiteral("hand_geometry_desc ") + geometry);
            geometryText.remove(QLatin1Char('"'));
            rows << QStringList{QStringLiteral("H%1").arg(b), name, model, rd ? QString() : word(device, 2), geometryText,
                                m_out.valueOrError(f + QStringLiteral("tactile_feedback_gain ") + sb)};
        }
        m_out.table(QStringLiteral("Selected hands:"),
                    {{QStringLiteral("ID"), 3}, {QStringLiteral("Name"), 20}, {QStringLiteral("Model"), 18},
                     {QStringLiteral("Serial"), 6}, {QStringLiteral("Geometry"), 16},
                     {QStringLiteral("Tactile feedback gain [-1.0 .. +1.0]"), 0}},
                    rows);
        for (int t = 1; t <= geometries; ++t) {
            QString g;
            const int r = m_out.get(&g, f + QStringLiteral("hand_geometry ") + sel("t", t));
            m_out.line();
            m_out.line(QStringLiteral("Hand geometry %1: %2").arg(t).arg(r ? ReportWriter::errorText(r) : g));
            if (r)
                continue;
            m_out.value(QStringLiteral("  Available"), w, f + QStringLiteral("hand_geometry_available ") + g);
            m_out.value(QStringLiteral("  Creation date"), w, f + QStringLiteral("hand_geometry_creation_date ") + g);
            m_out.value(QStringLiteral("  Handedness"), w, f + QStringLiteral("handedness ") + g);
            m_out.value(QStringLiteral("  Simulate 5 fingers"), w, f + QStringLiteral("simulate_5finger ") + g);
            const int hm = count(QStringLiteral("  Number of hand markers"), w, f + QStringLiteral("number_of_hand_marker ") + g);
            for (int m = 1; m <= hm; ++m)
                m_out.value(QStringLiteral("    Hand marker %1").arg(m), w, f + QStringLiteral("hand_marker %1 m%2").arg(g).arg(m, 2, 10, QLatin1Char('0')));
            const int fm = count(QStringLiteral("  Number of finger markers"), w, f + QStringLiteral("number_of_finger_marker ") + g);
            for (int finger = 1; finger <= 3; ++finger) {
                const QString gf = QStringLiteral("%1 f%2").arg(g).arg(finger);
                for (int m = 1; m <= fm; ++m)
                    m_out.value(QStringLiteral("    Finger %1 marker %2").arg(finger).arg(m), w,
                                f + QStringLiteral("finger_marker %1 m%2").arg(gf).arg(m, 2, 10, QLatin1Char('0')));
                m_out.value(QStringLiteral("    Finger %1 collision radius").arg(finger), w, f + QStringLiteral("collision_radius ") + gf);
                m_out.value(QStringLiteral("    Finger %1 phalanges").arg(finger), w, f + QStringLiteral("length_of_phalanges ") + gf);
                m_out.value(QStringLiteral("    Finger %1 joint").arg(finger), w, f + QStringLiteral("location_of_joint ") + gf);
            }
            QString body;
            const int rb = m_out.get(&body, f + QStringLiteral("body_of_hand_geometry ") + g);
            m_out.text(QStringLiteral("  Body"), w, rb ? ReportWriter::errorText(rb) : body);
            for (int b = 1; b <= hands; ++b)
                m_out.value(QStringLiteral("  Usable for H%1").arg(b), w,
                            f + QStringLiteral("hand_geometry_for_body_available b%1 %2").arg(b, 2, 10, QLatin1Char('0')).arg(g));
        }
        m_out.line();
        const int sets = count(QStringLiteral("Number of thimble sets"), w, f + QStringLiteral("number_of_thimble_sets"));
        for (int t = 1; t <= sets; ++t) {
            QString s;
            const int r = m_out.get(&s, f + QStringLiteral("thimble_set t%1").arg(t, 2, 10, QLatin1Char('0')));
            m_out.line(QStringLiteral("Thimble set %1: %2").arg(t).arg(r ? ReportWriter::errorText(r) : s));
            if (r)
                continue;
            m_out.value(QStringLiteral("  Available"), w, f + QStringLiteral("thimble_set_available ") + s);
            m_out.value(QStringLiteral("  Description"), w, f + QStringLiteral("thimble_set_desc ") + s);
            const int markers = count(QStringLiteral("  Number of markers"), w, f + QStringLiteral("number_of_thimble_set_marker ") + s);
            for (int finger = 1; finger <= 3; ++finger)
                for (int m = 1; m <= markers; ++m)
                    m_out.value(QStringLiteral("    Finger %1 marker %2").arg(finger).arg(m), w,
                                f + QStringLiteral("thimble_set_marker %1 f%2 m%3").arg(s).arg(finger).arg(m, 2, 10, QLatin1Char('0')));
        }
    }
    m_out.line();
}

void CalibrationReport::writeTactile()
{
    if (!openSection(QStringLiteral("[Tactile settings]"), 1, 2))
        return;
    const QString f = QStringLiteral("fingertracking ");
    const int w = 30;
    m_out.value(QStringLiteral("Tactile available"), w, f + QStringLiteral("tactile_available"));
    m_out.value(QStringLiteral("Tactile enabled"), w, f + QStringLiteral("tactile_enabled"));
    const int n = count(QStringLiteral("Number of tactile devices"), w, f + QStringLiteral("number_of_tactile_devices"));
    for (int d = 1; d <= n; ++d) {
        m_out.line(QStringLiteral("Tactile device %1:").arg(d));
        QString id;
        const int r = m_out.get(&id, f + QStringLiteral("tactile_device ") + sel("d", d));
        if (r) {
            m_out.line(QStringLiteral("  Error %1").arg(r));
            continue;
        }
        const QStringList p = id.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        m_out.line(QStringLiteral("  Vendor           :  ") + p.value(0));
        m_out.line(QStringLiteral("  Model            :  ") + p.value(1));
        m_out.line(QStringLiteral("  Model description:  ")
                   + m_out.valueOrError(QStringLiteral("zelwpan device_model_desc %1 %2").arg(p.value(0), p.value(1))));
        m_out.line(QStringLiteral("  Serial           :  ") + p.value(2));
        m_out.line(QStringLiteral("  Assigned body:  ")
                   + m_out.valueOrError(f + QStringLiteral("body_of_tactile_device zelwpan ") + id));
    }
    m_out.line();
}

void CalibrationReport::writeInertial()
{
    if (!openSection(QStringLiteral("[Inertial settings]"), 1, 12))
        return;
    const QString f = QStringLiteral("inertial ");
    const int w = 30;
    m_out.value(QStringLiteral("Available"), w, f + QStringLiteral("available"));
    m_out.value(QStringLiteral("Frequency"), w, f + QStringLiteral("frequency"));
    auto device = [&](const QString &kind, const QString &id, const QStringList &extra) {
        const QStringList p = id.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        m_out.text(QStringLiteral("  Identifier"), w, id);
        m_out.value(QStringLiteral("  Vendor"), w, f + kind + QStringLiteral("_vendor_desc ") + p.value(0));
        m_out.value(QStringLiteral("  Model"), w, f + kind + QStringLiteral("_model_desc %1 %2").arg(p.value(0), p.value(1)));
        for (const QString &e : extra)
            m_out.value(QStringLiteral("  ") + e, w, f + e + QLatin1Char(' ') + id);
    };
    int dongles = 0;
    const int rd = m_out.getCount(&dongles, f + QStringLiteral("number_of_transceivers"));
    m_out.line(rd ? QStringLiteral("Number of dongles: Error %1").arg(rd) : QStringLiteral("Number of dongles: %1").arg(dongles));
    for (int d = 1; d <= dongles; ++d) {
        m_out.line(QStringLiteral("Dongle %1:").arg(d));
        QString id;
        const int r = m_out.get(&id, f + QStringLiteral("transceiver ") + sel("d", d));
        if (r) {
            m_out.text(QStringLiteral("  Identifier"), w, ReportWriter::errorText(r));
            continue;
        }
        device(QStringLiteral("transceiver"), id,
               {QStringLiteral("transceiver_version"), QStringLiteral("transceiver_present"),
                QStringLiteral("transceiver_radio_channel")});
    }
    int sensors = 0;
    const int rs = m_out.getCount(&sensors, f + QStringLiteral("number_of_sensors"));
    m_out.line(rs ? QStringLiteral("Number of sensors: Error %1").arg(rs) : QStringLiteral("Number of sensors: %1").arg(sensors));
    for (int d = 1; d <= sensors; ++d) {
        m_out.line(QStringLiteral("Sensor %1:").arg(d));
        QString id;
        const int r = m_out.get(&id, f + QStringLiteral("sensor ") + sel("d", d));
        if (r) {
            m_out.text(QStringLiteral("  Identifier"), w, ReportWriter::errorText(r));
            continue;
        }
        QStringList extras{QStringLiteral("sensor_version"), QStringLiteral("sensor_present"), QStringLiteral("sensor_radio_channel"),
                           QStringLiteral("sensor_wakeup_mode"), QStringLiteral("sensor_sleep_timeout"), QStringLiteral("body_of_sensor"),
                           QStringLiteral("sensor_handeye"), QStringLiteral("sensor_delay")};
        // Storage, gyro calibration, output rate and the pulse came with 1.21.
        if (atLeast(1, 21))
            extras << QStringLiteral("sensor_has_storage") << QStringLiteral("sensor_has_gyro_calibration")
                   << QStringLiteral("sensor_output_frequency");
        device(QStringLiteral("sensor"), id, extras);
    }
    if (atLeast(1, 21))
        m_out.value(QStringLiteral("Pulse"), w, QStringLiteral("tracking pulse"));
    m_out.line();
}

