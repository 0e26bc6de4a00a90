#include "SimParameterModel.h"

#include "SimMotion.h"
#include "SimScenario.h"

#include <cmath>

namespace {

using T = SimParameterModel::Type;

QString yesNo(bool b)
{
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

QString num(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

QString q(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString poseText(const SimMotion::Pose& p)
{
    QStringList parts;
    for (double v : p.position)
        parts << num(v, 3);
    for (double v : p.rotation)
        parts << num(v, 6);
    return parts.join(QLatin1Char(' '));
}

// Marker geometry of a rigid target: a flat irregular star, different per target.
QString markerPosition(int seed, int marker, double scale)
{
    const double a = 2.0 * 3.14159265358979 * marker / 5.0 + 0.37 * seed;
    const double r = scale * (0.6 + 0.4 * std::fabs(std::sin(1.7 * marker + seed)));
    const double z = (marker % 2 ? 1.0 : -1.0) * scale * 0.15 * (1 + seed % 3);
    return QStringLiteral("%1 %2 %3").arg(num(r * std::cos(a), 3), num(r * std::sin(a), 3), num(z, 3));
}

const char* const kBodyTypes[] = {"standard", "gripwand", "measurementtool", "measurementtool_reference", "fingertracking"};
const char* const kOutputTypes[] = {"ts", "6dcal", "6d", "6df2", "6dmt2", "6dmtr", "3d", "6di", "gl", "2dmon"};
const char* const kOutputDesc[] = {"time stamp", "number of calibrated bodies", "standard bodies", "gripwands",
                                   "measurement tools", "measurement tool references", "single markers",
                                   "inertial bodies", "fingertracking hands", "2D monitor data"};

} // namespace

QString SimParameterModel::selector(const char* letter, int n)
{
    return QStringLiteral("%1%2").arg(QLatin1String(letter)).arg(n, 2, 10, QLatin1Char('0'));
}

QString SimParameterModel::cameraModel(int camera)
{
    return camera % 3 == 0 ? QStringLiteral("0x0a03") : QStringLiteral("0x0a05");
}

QString SimParameterModel::cameraHardwareId(int camera)
{
    return QStringLiteral("0x%1").arg(0x19b300 + camera, 8, 16, QLatin1Char('0'));
}

QString SimParameterModel::deviceId(const char* model, int n)
{
    return QStringLiteral("0x0a %1 %2").arg(QLatin1String(model)).arg(1000 + n);
}

void SimParameterModel::ro(const QString& key, const QString& value, Type type)
{
    m_entries.insert(key, Entry{value, false, type});
}

void SimParameterModel::rw(const QString& key, const QString& value, Type type)
{
    m_entries.insert(key, Entry{value, true, type});
}

const SimParameterModel::Entry* SimParameterModel::find(const QString& key) const
{
    const auto it = m_entries.constFind(key);
    return it == m_entries.constEnd() ? nullptr : &it.value();
}

QString SimParameterModel::value(const QString& key) const
{
    const Entry* e = find(key);
    return e ? e->value : QString();
}

void SimParameterModel::store(const QString& key, const QString& value)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        m_entries.insert(key, Entry{value, false, Type::Text});
    else
        it->value = value;
}

int SimParameterModel::matchSetKey(const QStringList& words, QString* key) const
{
    for (int n = words.size() - 1; n >= 1; --n) {
        const QString k = QStringList(words.mid(0, n)).join(QLatin1Char(' '));
        if (m_entries.contains(k)) {
            *key = k;
            return n;
        }
    }
    return 0;
}

bool SimParameterModel::validValue(Type type, const QString& value)
{
    if (value.isEmpty())
        return false;
    bool ok = false;
    switch (type) {
    case Type::Text:
        return true;
    case Type::Word:
        return !value.contains(QLatin1Char(' ')) || value.startsWith(QLatin1Char('"'));
    case Type::Bool:
        return value == QLatin1String("yes") || value == QLatin1String("no");
    case Type::Int:
        value.toInt(&ok);
        return ok;
    case Type::Double:
        value.toDouble(&ok);
        return ok;
    case Type::Numbers:
        for (const QString& w : value.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            w.toDouble(&ok);
            if (!ok)
                return false;
        }
        return true;
    }
    return false;
}

void SimParameterModel::build(const SimScenario& s)
{
    m_entries.clear();
    const QString n0 = QStringLiteral("0");

    // system
    ro(QStringLiteral("system version"), s.systemVersion);
    ro(QStringLiteral("system protocol_version"), s.protocolVersion);
    ro(QStringLiteral("system controller_version"), s.controllerVersion);
    ro(QStringLiteral("system model"), QString::number(s.modelCode), T::Int);
    rw(QStringLiteral("system hostname"), s.hostName, T::Word);
    rw(QStringLiteral("system domainname"), QStringLiteral("local"), T::Word);
    ro(QStringLiteral("system full_name"), q(QStringLiteral("Quorix Controller %1").arg(s.hostName)));
    ro(QStringLiteral("system controller_serial"), s.serial);
    ro(QStringLiteral("system ethernet_mac"), s.mac);
    ro(QStringLiteral("system version_copyright"), q(QStringLiteral("(c) 2026 Quorix tracking simulator")));
    ro(QStringLiteral("system update_date"), QStringLiteral("2025-11-04T10:12:00"));
    rw(QStringLiteral("system nameserver"), QStringLiteral("127.0.0.53"), T::Text);
    rw(QStringLiteral("system ntp_server"), QStringLiteral("none"), T::Word);
    ro(QStringLiteral("system ntp_status"), QStringLiteral("0 0.000 0.000"));
    rw(QStringLiteral("system ptp"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("system ptp_status"), QStringLiteral("disabled none 0 0"));
    ro(QStringLiteral("system temperature_cpu"), QStringLiteral("47.5"), T::Double);
    ro(QStringLiteral("system can_slave"), QStringLiteral("yes"), T::Bool);
    ro(QStringLiteral("system slave"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("system slave_port"), QStringLiteral("50106"), T::Int);
    const QStringList singles = {QStringLiteral("tracking v2.1.0"), QStringLiteral("camera_server v1.8.2"),
                                 QStringLiteral("radio v1.2.0"), QStringLiteral("webui v0.9.1"),
                                 QStringLiteral("simulator v4.0.1")};
    ro(QStringLiteral("system number_of_single_versions"), QString::number(singles.size()), T::Int);
    for (int i = 0; i < singles.size(); ++i)
        ro(QStringLiteral("system single_version ") + selector("t", i + 1), singles.at(i));
    ro(QStringLiteral("system extra motherboard"), QStringLiteral("QSIM-MB 1.0"));
    const QStringList hardware = {QStringLiteral("cpu_name Simulated x86-64"), QStringLiteral("cpu_cores 4"),
                                  QStringLiteral("memory_ram 8192 MB"), QStringLiteral("ethernetmac_lan ") + s.mac,
                                  QStringLiteral("ethernetmac_cam 00:1B:3F:00:27:9B")};
    ro(QStringLiteral("system extra number_of_hardware"), QString::number(hardware.size()), T::Int);
    for (int i = 0; i < hardware.size(); ++i)
        ro(QStringLiteral("system extra hardware h%1").arg(i + 1), hardware.at(i));

    // cascade
    ro(QStringLiteral("cascade available"), yesNo(s.cascadeSlaves > 0), T::Bool);
    ro(QStringLiteral("cascade number_of_connected_slaves"), QString::number(s.cascadeSlaves), T::Int);
    rw(QStringLiteral("cascade wol_slaves"), QStringLiteral("no"), T::Bool);
    rw(QStringLiteral("cascade scan_slaves_lan"), QStringLiteral("no"), T::Bool);
    for (int i = 1; i <= s.cascadeSlaves; ++i) {
        const QString id = QStringLiteral("slave_%1").arg(i);
        ro(QStringLiteral("cascade connected_slave ") + selector("d", i), id);
        ro(QStringLiteral("cascade connected_slave_available ") + id, QStringLiteral("yes"), T::Bool);
        ro(QStringLiteral("cascade connected_slave_controller ") + id, QStringLiteral("%1 %2").arg(s.modelCode).arg(20000 + i));
        ro(QStringLiteral("system hostname_slave ") + id, QStringLiteral("%1-slave%2").arg(s.hostName).arg(i));
        ro(QStringLiteral("system version_slave ") + id, s.systemVersion);
        ro(QStringLiteral("system domainname_slave ") + id, QStringLiteral("local"));
        ro(QStringLiteral("system net_slave ") + id, QStringLiteral("no 127.0.0.%1 255.255.255.0 0.0.0.0").arg(200 + i));
    }

    // camera and room calibration
    const int nc = s.cameras;
    int calibrated = 0;
    ro(QStringLiteral("camera number_of_cameras"), QString::number(nc), T::Int);
    ro(QStringLiteral("camera scan_duration"), QStringLiteral("5"), T::Int);
    // Older Controllers answer these for the whole system, newer ones per camera.
    ro(QStringLiteral("camera is_flash_low_power"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("camera max_sync_frequency"), QStringLiteral("300"), T::Int);
    ro(QStringLiteral("camera model_desc 0x0a05"), QStringLiteral("QuorixCam_5"));
    ro(QStringLiteral("camera model_desc 0x0a03"), QStringLiteral("QuorixCam_3"));
    for (int c = 1; c <= nc; ++c) {
        const QString sc = selector("c", c);
        const QString model = cameraModel(c);
        const QString hw = cameraHardwareId(c);
        const QString serialDesc = QString::number(105600 + c);
        ro(QStringLiteral("camera camera ") + sc, model + QLatin1Char(' ') + hw);
        ro(QStringLiteral("camera serial_desc ") + hw, serialDesc);
        ro(QStringLiteral("camera serial_desc ") + model + QLatin1Char(' ') + hw, serialDesc);
        ro(QStringLiteral("camera version ") + sc, QStringLiteral("v2.4.1"));
        ro(QStringLiteral("camera is_flash_low_power ") + sc, QStringLiteral("no"), T::Bool);
        ro(QStringLiteral("camera max_sync_frequency ") + sc, QStringLiteral("300"), T::Int);
        ro(QStringLiteral("camera focal_length ") + sc, model == QLatin1String("0x0a03") ? QStringLiteral("12.5") : QStringLiteral("16.0"), T::Double);
        ro(QStringLiteral("camera max_flash_intensity ") + sc, QStringLiteral("8"), T::Int);
        rw(QStringLiteral("camera flash_intensity ") + sc, QStringLiteral("6"), T::Int);
        ro(QStringLiteral("camera has_modulated_flash ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera modulated_flash ") + sc, QStringLiteral("no"), T::Bool);
        ro(QStringLiteral("camera has_temperature_measurement ") + sc, QStringLiteral("yes"), T::Bool);
        ro(QStringLiteral("camera has_automatic_warming ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera automatic_warming ") + sc, QStringLiteral("yes"), T::Bool);
        ro(QStringLiteral("camera has_marker_mode_accurate ") + sc, QStringLiteral("yes"), T::Bool);
        ro(QStringLiteral("camera has_marker_mode_fast ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera marker_mode ") + sc, QStringLiteral("accurate"), T::Word);
        ro(QStringLiteral("camera marker_max_number ") + sc, QStringLiteral("250"), T::Int);
        rw(QStringLiteral("camera marker_min_size ") + sc, QStringLiteral("3"), T::Int);
        rw(QStringLiteral("camera marker_max_size ") + sc, QStringLiteral("150"), T::Int);
        ro(QStringLiteral("camera sensor_pixel_horizontal ") + sc, QStringLiteral("1280"), T::Int);
        ro(QStringLiteral("camera sensor_pixel_vertical ") + sc, QStringLiteral("1024"), T::Int);
        ro(QStringLiteral("camera has_dynamic_reflex_skip ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera dynamic_reflex_skip ") + sc, QStringLiteral("no"), T::Bool);
        ro(QStringLiteral("camera has_static_reflex_skip ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera static_reflex_skip ") + sc, QStringLiteral("no"), T::Bool);
        ro(QStringLiteral("camera number_of_areas ") + sc, QStringLiteral("1"), T::Int);
        rw(QStringLiteral("camera area ") + sc + QStringLiteral(" t01"), QStringLiteral("0 0 1280 40"), T::Numbers);
        rw(QStringLiteral("camera mode ") + sc, QStringLiteral("standard"), T::Word);
        ro(QStringLiteral("camera mode_desc ") + sc + QStringLiteral(" standard"), q(QStringLiteral("standard tracking")));
        ro(QStringLiteral("camera mode_desc ") + sc + QStringLiteral(" fast"), q(QStringLiteral("fast marker detection")));
        rw(QStringLiteral("camera display_upside_down ") + sc, QStringLiteral("no"), T::Bool);
        ro(QStringLiteral("camera has_sync_group ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera sync_group ") + sc, QStringLiteral("1"), T::Int);
        ro(QStringLiteral("camera has_display_intensity ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera display_intensity ") + sc, QStringLiteral("3"), T::Int);
        rw(QStringLiteral("camera display_setting ") + sc, QStringLiteral("status"), T::Word);
        ro(QStringLiteral("camera display_setting_desc ") + sc + QStringLiteral(" status"), q(QStringLiteral("camera number and status")));
        ro(QStringLiteral("camera has_display_ring_intensity ") + sc, QStringLiteral("no"), T::Bool);
        ro(QStringLiteral("camera display_ring_intensity ") + sc, n0, T::Int);
        ro(QStringLiteral("camera cascade_slave ") + sc, QStringLiteral("none"));
        ro(QStringLiteral("camera has_marker_threshold ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera marker_threshold ") + sc, QStringLiteral("60"), T::Int);
        ro(QStringLiteral("camera has_sensor_exposure ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera sensor_exposure ") + sc, QStringLiteral("300"), T::Int);
        ro(QStringLiteral("camera max_sensor_exposure ") + sc, QStringLiteral("1000"), T::Int);
        ro(QStringLiteral("camera has_sensor_gain ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera sensor_gain ") + sc, QStringLiteral("1"), T::Int);
        ro(QStringLiteral("camera min_max_sensor_gain ") + sc, QStringLiteral("1 4"), T::Numbers);
        ro(QStringLiteral("camera has_sensor_offset ") + sc, QStringLiteral("yes"), T::Bool);
        rw(QStringLiteral("camera sensor_horizontal_offset ") + sc, n0, T::Int);
        rw(QStringLiteral("camera sensor_vertical_offset ") + sc, n0, T::Int);

        const bool cal = s.cameraCalibrated(c);
        calibrated += cal ? 1 : 0;
        ro(QStringLiteral("tracking room ") + sc,
           cal ? poseText(SimMotion::cameraPose(c - 1, nc, s.powerwall())) : QStringLiteral("none"));
        ro(QStringLiteral("tracking has_room ") + sc, yesNo(cal), T::Bool);
        ro(QStringLiteral("roomcal last_cam_ident ") + sc, model + QLatin1Char(' ') + hw);
        ro(QStringLiteral("roomcal last_cam_residual ") + sc, cal ? QStringLiteral("0.12") : QStringLiteral("-1.00"), T::Double);
        rw(QStringLiteral("roomcal reference ") + sc, QStringLiteral("no"), T::Bool);
        ro(QStringLiteral("roomcal has_reference ") + sc, QStringLiteral("no"), T::Bool);
        rw(QStringLiteral("roomcal fixed_camera ") + sc, QStringLiteral("no"), T::Bool);
    }
    int missing = 0;
    for (int c = 1; c <= nc; ++c)
        if (!s.cameraCalibrated(c))
            ro(QStringLiteral("tracking missing_camera ") + selector("c", ++missing), selector("c", c));
    ro(QStringLiteral("tracking number_of_missing_cameras"), QString::number(missing), T::Int);

    rw(QStringLiteral("roomcal has_type wand"), QStringLiteral("yes"), T::Bool);
    ro(QStringLiteral("roomcal has_type wand_no_angle"), QStringLiteral("yes"), T::Bool);
    rw(QStringLiteral("roomcal wand_length"), QStringLiteral("500.0"), T::Double);
    rw(QStringLiteral("roomcal coordinate_type"), s.coordinateType, T::Word);
    rw(QStringLiteral("roomcal marker_min_quality"), QStringLiteral("0.50"), T::Double);
    ro(QStringLiteral("roomcal angle"), QStringLiteral("560.0 450.0 370.0"), T::Numbers);
    rw(QStringLiteral("roomcal type"), QStringLiteral("wand"), T::Word);
    rw(QStringLiteral("roomcal duration"), QStringLiteral("30"), T::Int);
    ro(QStringLiteral("roomcal last_date"), QStringLiteral("2026-01-15T09:30:00"));
    ro(QStringLiteral("roomcal last_coordinate_type"), s.coordinateType);
    ro(QStringLiteral("roomcal last_wand_residual"), QStringLiteral("0.42"), T::Double);
    ro(QStringLiteral("roomcal last_cam_number"), QString::number(calibrated), T::Int);

    // tracking
    rw(QStringLiteral("tracking reference"), QStringLiteral("none"), T::Text);
    rw(QStringLiteral("tracking axis_5dof_central"), QStringLiteral("no"), T::Bool);
    rw(QStringLiteral("tracking body_max_residual"), QStringLiteral("2.0"), T::Double);
    rw(QStringLiteral("tracking body_prediction_error"), QStringLiteral("50.0"), T::Double);
    rw(QStringLiteral("tracking body_separation_tolerance"), QStringLiteral("5.0"), T::Double);
    rw(QStringLiteral("tracking marker_max_residual"), QStringLiteral("2.0"), T::Double);
    rw(QStringLiteral("tracking marker_prediction_error"), QStringLiteral("30.0"), T::Double);
    rw(QStringLiteral("tracking extra_translation"), QStringLiteral("0.0 0.0 0.0"), T::Numbers);
    rw(QStringLiteral("tracking extra_rotation"), QStringLiteral("0.0 0.0 0.0"), T::Numbers);
    rw(QStringLiteral("tracking extra_scaling"), QStringLiteral("1.000"), T::Double);
    rw(QStringLiteral("tracking pulse"), QStringLiteral("no"), T::Bool);

    // filter
    const QStringList presets = {QStringLiteral("off"), QStringLiteral("smooth"), QStringLiteral("strong")};
    const QStringList modes = {QStringLiteral("kalman"), QStringLiteral("average")};
    for (const char* family : {"standard", "gripwand", "measurementtool"})
        ro(QStringLiteral("filter6d available %1").arg(QLatin1String(family)), QStringLiteral("yes"), T::Bool);
    ro(QStringLiteral("filter6d number_of_presets"), QString::number(presets.size()), T::Int);
    for (int i = 0; i < presets.size(); ++i) {
        ro(QStringLiteral("filter6d preset_id ") + selector("t", i + 1), presets.at(i));
        ro(QStringLiteral("filter6d preset_desc ") + presets.at(i), q(QStringLiteral("%1 filter").arg(presets.at(i))));
    }
    ro(QStringLiteral("filter6d number_of_modes"), QString::number(modes.size()), T::Int);
    for (int i = 0; i < modes.size(); ++i) {
        ro(QStringLiteral("filter6d mode_id ") + selector("t", i + 1), modes.at(i));
        ro(QStringLiteral("filter6d mode_desc ") + modes.at(i), q(QStringLiteral("%1 filter mode").arg(modes.at(i))));
    }
    ro(QStringLiteral("filter6d limit strength_min"), QStringLiteral("0.0"), T::Double);
    ro(QStringLiteral("filter6d limit strength_max"), QStringLiteral("1.0"), T::Double);
    ro(QStringLiteral("filter6d limit prediction_min"), QStringLiteral("0.0"), T::Double);
    ro(QStringLiteral("filter6d limit prediction_max"), QStringLiteral("50.0"), T::Double);

    // inertial sensors (needed before the bodies, which name them)
    const int ns = s.inertialSensors;
    ro(QStringLiteral("inertial available"), yesNo(ns > 0), T::Bool);
    rw(QStringLiteral("inertial frequency"), QStringLiteral("100"), T::Int);
    ro(QStringLiteral("inertial number_of_transceivers"), QString::number(ns > 0 ? 1 : 0), T::Int);
    ro(QStringLiteral("inertial number_of_sensors"), QString::number(ns), T::Int);
    auto radioDevice = [&](const QString& family, const QString& prefix, const QString& id, const QString& vendorDesc,
                           const QString& modelDesc, const QStringList& extra) {
        const QStringList w = id.split(QLatin1Char(' '));
        const QString vm = w.at(0) + QLatin1Char(' ') + w.at(1);
        ro(family + QLatin1Char(' ') + prefix + QStringLiteral("vendor_desc ") + w.at(0), q(vendorDesc));
        // Also answered for the whole identifier, as the reports ask it.
        ro(family + QLatin1Char(' ') + prefix + QStringLiteral("vendor_desc ") + id, q(vendorDesc));
        ro(family + QLatin1Char(' ') + prefix + QStringLiteral("model_desc ") + vm, q(modelDesc));
        ro(family + QLatin1Char(' ') + prefix + QStringLiteral("version ") + id, QStringLiteral("v1.3.0"));
        ro(family + QLatin1Char(' ') + prefix + QStringLiteral("present ") + id, QStringLiteral("yes"), T::Bool);
        for (const QString& e : extra) {
            const int sp = e.indexOf(QLatin1Char('='));
            ro(family + QLatin1Char(' ') + prefix + e.left(sp) + QLatin1Char(' ') + id, e.mid(sp + 1));
        }
    };
    if (ns > 0)
        ro(QStringLiteral("inertial transceiver d01"), deviceId("0x41", 1));
    if (ns > 0)
        radioDevice(QStringLiteral("inertial"), QStringLiteral("transceiver_"), deviceId("0x41", 1),
                    QStringLiteral("Quorix"), QStringLiteral("Inertial dongle"), {QStringLiteral("radio_channel=15")});
    for (int i = 1; i <= ns; ++i) {
        const QString id = deviceId("0x42", 100 + i);
        ro(QStringLiteral("inertial sensor ") + selector("d", i), id);
        radioDevice(QStringLiteral("inertial"), QStringLiteral("sensor_"), id, QStringLiteral("Quorix"),
                    QStringLiteral("Inertial sensor"),
                    {QStringLiteral("radio_channel=15"), QStringLiteral("wakeup_mode=motion"),
                     QStringLiteral("sleep_timeout=300"), QStringLiteral("delay=4.0"), QStringLiteral("has_storage=no"),
                     QStringLiteral("has_gyro_calibration=yes"), QStringLiteral("output_frequency=100")});
        const QString body = i <= s.bodies ? selector("b", i) : QStringLiteral("none");
        ro(QStringLiteral("inertial body_of_sensor ") + id, body);
        ro(QStringLiteral("inertial sensor_handeye ") + id, QStringLiteral("yes"), T::Bool);
    }

    // radio (gripwands, tools and tactile devices are radio devices)
    QStringList radio;
    for (int i = 1; i <= s.gripwands; ++i)
        radio << deviceId("0x12", i);
    for (int i = 1; i <= s.tools; ++i)
        radio << deviceId("0x21", 10 + i);
    for (int i = 1; i <= s.hands; ++i)
        radio << deviceId("0x31", 20 + i);
    ro(QStringLiteral("zelwpan available"), QStringLiteral("yes"), T::Bool);
    rw(QStringLiteral("zelwpan radio"), QStringLiteral("11 0x3a2f"), T::Text);
    ro(QStringLiteral("zelwpan number_of_devices"), QString::number(radio.size()), T::Int);
    for (int i = 0; i < radio.size(); ++i) {
        const QString id = radio.at(i);
        const QString model = id.section(QLatin1Char(' '), 1, 1);
        const QString desc = model == QLatin1String("0x12") ? QStringLiteral("Gripwand 3")
            : model == QLatin1String("0x21")                ? QStringLiteral("Measurement tool 2")
                                                            : QStringLiteral("Tactile thimbles");
        ro(QStringLiteral("zelwpan device ") + selector("d", i + 1), id);
        radioDevice(QStringLiteral("zelwpan"), QStringLiteral("device_"), id, QStringLiteral("Quorix"), desc,
                    {QStringLiteral("free=no")});
        // Also answered for the whole identifier.
        ro(QStringLiteral("zelwpan device_model_desc ") + id, q(desc));
    }
    ro(QStringLiteral("zelwpan number_of_transceivers"), QStringLiteral("1"), T::Int);
    ro(QStringLiteral("zelwpan transceiver d01"), deviceId("0x01", 0));
    radioDevice(QStringLiteral("zelwpan"), QStringLiteral("transceiver_"), deviceId("0x01", 0), QStringLiteral("Quorix"),
                QStringLiteral("Radio transceiver"), {});

    // bodies of all kinds
    const int counts[] = {s.bodies, s.gripwands, s.tools, s.references, s.hands};
    const double scales[] = {60.0, 45.0, 35.0, 80.0, 40.0};
    const int markerCounts[] = {4, 5, 4, 5, 4};
    ro(QStringLiteral("body number_of_types"), QStringLiteral("5"), T::Int);
    for (int k = 0; k < 5; ++k) {
        const QString type = QLatin1String(kBodyTypes[k]);
        ro(QStringLiteral("body type ") + selector("t", k + 1), type);
        ro(QStringLiteral("body type_desc ") + type, q(type + QStringLiteral(" targets")));
        ro(QStringLiteral("body number_of_bodies ") + type, QString::number(counts[k]), T::Int);
        for (int b = 1; b <= counts[k]; ++b) {
            const QString sb = type + QLatin1Char(' ') + selector("b", b);
            const int seed = k * 100 + b;
            const bool fromLibrary = b == 1;
            rw(QStringLiteral("body active ") + sb, QStringLiteral("yes"), T::Bool);
            rw(QStringLiteral("body desc ") + sb, q(QStringLiteral("%1 %2").arg(type).arg(b)), T::Text);
            ro(QStringLiteral("body calibrated ") + sb, QStringLiteral("yes"), T::Bool);
            ro(QStringLiteral("body targetlib_name ") + sb,
               fromLibrary ? QStringLiteral("tl_%1_a").arg(type) : QStringLiteral("none"));
            rw(QStringLiteral("body filter6d_enabled ") + sb, yesNo(k < 3), T::Bool);
            rw(QStringLiteral("body filter6d_preset ") + sb, presets.at(1), T::Word);
            rw(QStringLiteral("body filter6d_strength ") + sb, QStringLiteral("0.50"), T::Double);
            rw(QStringLiteral("body filter6d_prediction ") + sb, QStringLiteral("10.0"), T::Double);
            rw(QStringLiteral("body filter6d_mode ") + sb, modes.at(0), T::Word);
            ro(QStringLiteral("body target_type ") + sb, QStringLiteral("flat"));
            rw(QStringLiteral("body min_number_of_stereo_markers ") + sb, QStringLiteral("3"), T::Int);
            const int nm = markerCounts[k];
            ro(QStringLiteral("body number_of_marker ") + sb, QString::number(nm), T::Int);
            for (int m = 1; m <= nm; ++m) {
                const QString sm = sb + QLatin1Char(' ') + selector("m", m);
                ro(QStringLiteral("body marker ") + sm, markerPosition(seed, m, scales[k]), T::Numbers);
                ro(QStringLiteral("body marker_emission ") + sm, QStringLiteral("passive"));
                ro(QStringLiteral("body marker_cylinder ") + sm, QStringLiteral("no"), T::Bool);
            }
            if (k == 0) {
                ro(QStringLiteral("body inertial_sensor ") + sb,
                   b <= ns ? deviceId("0x42", 100 + b) : QStringLiteral("none"));
                rw(QStringLiteral("standard fixed_angle ") + selector("b", b), QStringLiteral("no"), T::Bool);
            }
        }
    }
    ro(QStringLiteral("bodycal number_of_target_types"), QStringLiteral("2"), T::Int);
    ro(QStringLiteral("bodycal target_type_id t01"), QStringLiteral("flat"));
    ro(QStringLiteral("bodycal target_type_id t02"), QStringLiteral("spherical"));
    ro(QStringLiteral("bodycal target_type_desc flat"), q(QStringLiteral("flat target")));
    ro(QStringLiteral("bodycal target_type_desc spherical"), q(QStringLiteral("spherical target")));

    // targets with a target library entry: the first of each kind
    QStringList library;
    for (int k = 0; k < 5; ++k)
        if (counts[k] > 0)
            library << QStringLiteral("tl_%1_a").arg(QLatin1String(kBodyTypes[k]));
    ro(QStringLiteral("targetlib number_of_targets"), QString::number(library.size()), T::Int);
    for (int i = 0; i < library.size(); ++i) {
        ro(QStringLiteral("targetlib target_name ") + selector("t", i + 1), library.at(i));
        ro(QStringLiteral("targetlib target_status_calibrated_custom ") + selector("t", i + 1), yesNo(i == 0), T::Bool);
    }

    // standard bodies
    ro(QStringLiteral("standard number_of_bodies"), QString::number(s.bodies), T::Int);
    ro(QStringLiteral("standard max_number_of_bodies"), QString::number(qMax(50, s.bodies)), T::Int);
    rw(QStringLiteral("standard calculate_marker"), QStringLiteral("yes"), T::Bool);
    rw(QStringLiteral("standard filter_bodies"), QStringLiteral("no"), T::Bool);

    // gripwands
    ro(QStringLiteral("gripwand max_number_of_devices"), QStringLiteral("8"), T::Int);
    ro(QStringLiteral("gripwand number_of_devices"), QString::number(s.gripwands), T::Int);
    rw(QStringLiteral("gripwand filter"), QStringLiteral("yes"), T::Bool);
    rw(QStringLiteral("gripwand output_6df"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("gripwand multiuser_available"), QStringLiteral("yes"), T::Bool);
    rw(QStringLiteral("gripwand multiuser"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("gripwand multiuser_with_head_available"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("gripwand multiuser_with_head"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("gripwand number_of_zelwpan_devices"), QString::number(s.gripwands), T::Int);
    for (int b = 1; b <= s.gripwands; ++b) {
        const QString sb = selector("b", b);
        ro(QStringLiteral("gripwand device ") + sb, deviceId("0x12", b));
        ro(QStringLiteral("gripwand zelwpan_device ") + selector("d", b), deviceId("0x12", b));
        ro(QStringLiteral("gripwand has_target_parameter ") + sb, QStringLiteral("yes"), T::Bool);
        ro(QStringLiteral("gripwand target_max_sync_groups ") + sb, QStringLiteral("4"), T::Int);
        rw(QStringLiteral("gripwand target_sync_groups ") + sb, QStringLiteral("1"), T::Int);
        ro(QStringLiteral("gripwand target_max_flash_intensity ") + sb, QStringLiteral("8"), T::Int);
        rw(QStringLiteral("gripwand target_flash_intensity ") + sb, QStringLiteral("6"), T::Int);
    }

    // measurement tools
    ro(QStringLiteral("measurementtool available"), yesNo(s.tools > 0 || s.references > 0), T::Bool);
    rw(QStringLiteral("measurementtool output_6dmt"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("measurementtool max_number_of_tools"), QStringLiteral("8"), T::Int);
    ro(QStringLiteral("measurementtool number_of_tools"), QString::number(s.tools), T::Int);
    ro(QStringLiteral("measurementtool max_number_of_references"), QStringLiteral("4"), T::Int);
    ro(QStringLiteral("measurementtool number_of_references"), QString::number(s.references), T::Int);
    for (int b = 1; b <= s.tools; ++b) {
        const QString sb = selector("b", b);
        rw(QStringLiteral("measurementtool reference_of_tool ") + sb,
           s.references > 0 ? selector("b", (b - 1) % s.references + 1) : QStringLiteral("none"), T::Word);
        ro(QStringLiteral("measurementtool tip_calibrated ") + sb, QStringLiteral("yes"), T::Bool);
        ro(QStringLiteral("measurementtool tip_residual ") + sb, QStringLiteral("0.050"), T::Double);
        ro(QStringLiteral("measurementtool tip_radius ") + sb, QStringLiteral("3.000"), T::Double);
        ro(QStringLiteral("measurementtool device ") + sb, deviceId("0x21", 10 + b));
        rw(QStringLiteral("measurementtool measurement_duration ") + sb, QStringLiteral("1.0"), T::Double);
        rw(QStringLiteral("measurementtool measurement_tip_tolerance ") + sb, QStringLiteral("0.5"), T::Double);
        rw(QStringLiteral("measurementtool measurement_start_simulation ") + sb, QStringLiteral("no"), T::Bool);
        rw(QStringLiteral("measurementtool measurement_start_angle ") + sb, QStringLiteral("10.0"), T::Double);
        rw(QStringLiteral("measurementtool measurement_start_lead_time ") + sb, QStringLiteral("0.5"), T::Double);
    }

    // fingertracking
    const QStringList geometries = {QStringLiteral("hg_left"), QStringLiteral("hg_right")};
    ro(QStringLiteral("fingertracking max_number_of_hands"), QStringLiteral("4"), T::Int);
    ro(QStringLiteral("fingertracking number_of_hands"), QString::number(s.hands), T::Int);
    ro(QStringLiteral("fingertracking number_of_hand_geometries"), QString::number(geometries.size()), T::Int);
    ro(QStringLiteral("fingertracking tactile_available"), yesNo(s.hands > 0), T::Bool);
    rw(QStringLiteral("fingertracking tactile_enabled"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("fingertracking number_of_tactile_devices"), QString::number(s.hands), T::Int);
    for (int b = 1; b <= s.hands; ++b) {
        const QString sb = selector("b", b);
        const QString dev = deviceId("0x31", 20 + b);
        ro(QStringLiteral("fingertracking tactile_device ") + selector("d", b), dev);
        ro(QStringLiteral("fingertracking tactile_device_of_body ") + sb, dev);
        ro(QStringLiteral("fingertracking body_of_tactile_device zelwpan ") + dev, sb);
        rw(QStringLiteral("fingertracking hand_geometry_of_body ") + sb, geometries.at((b - 1) % 2), T::Word);
        rw(QStringLiteral("fingertracking tactile_feedback_gain ") + sb, QStringLiteral("0.5"), T::Double);
        for (const QString& g : geometries)
            ro(QStringLiteral("fingertracking hand_geometry_for_body_available ") + sb + QLatin1Char(' ') + g,
               QStringLiteral("yes"), T::Bool);
    }
    for (int i = 0; i < geometries.size(); ++i) {
        const QString g = geometries.at(i);
        const QString f = QStringLiteral("fingertracking ");
        ro(f + QStringLiteral("hand_geometry ") + selector("t", i + 1), g);
        ro(f + QStringLiteral("hand_geometry_desc ") + g, q(i == 0 ? QStringLiteral("left hand") : QStringLiteral("right hand")));
        ro(f + QStringLiteral("hand_geometry_available ") + g, QStringLiteral("yes"), T::Bool);
        ro(f + QStringLiteral("hand_geometry_creation_date ") + g, QStringLiteral("2025-10-01"));
        ro(f + QStringLiteral("handedness ") + g, i == 0 ? QStringLiteral("left") : QStringLiteral("right"));
        ro(f + QStringLiteral("simulate_5finger ") + g, QStringLiteral("no"), T::Bool);
        ro(f + QStringLiteral("number_of_hand_marker ") + g, QStringLiteral("4"), T::Int);
        for (int m = 1; m <= 4; ++m)
            ro(f + QStringLiteral("hand_marker ") + g + QLatin1Char(' ') + selector("m", m), markerPosition(700 + i, m, 40.0), T::Numbers);
        ro(f + QStringLiteral("number_of_finger_marker ") + g, QStringLiteral("1"), T::Int);
        for (int finger = 1; finger <= 3; ++finger) {
            const QString sf = g + QStringLiteral(" f%1").arg(finger);
            ro(f + QStringLiteral("finger_marker ") + sf + QStringLiteral(" m01"), markerPosition(710 + i, finger, 20.0), T::Numbers);
            ro(f + QStringLiteral("collision_radius ") + sf, QStringLiteral("8.0"), T::Double);
            ro(f + QStringLiteral("length_of_phalanges ") + sf, QStringLiteral("42.0 28.0 20.0"), T::Numbers);
            ro(f + QStringLiteral("location_of_joint ") + sf, QStringLiteral("%1 %2 0.0").arg(num(90.0 + 5 * finger), num(-35.0 + 30 * finger)), T::Numbers);
        }
        ro(f + QStringLiteral("body_of_hand_geometry ") + g, s.hands > i ? selector("b", i + 1) : QStringLiteral("none"));
    }
    ro(QStringLiteral("fingertracking number_of_thimble_sets"), QStringLiteral("1"), T::Int);
    ro(QStringLiteral("fingertracking thimble_set t01"), QStringLiteral("thimbles_std"));
    ro(QStringLiteral("fingertracking thimble_set_available thimbles_std"), QStringLiteral("yes"), T::Bool);
    ro(QStringLiteral("fingertracking thimble_set_desc thimbles_std"), q(QStringLiteral("standard thimble set")));
    ro(QStringLiteral("fingertracking number_of_thimble_set_marker thimbles_std"), QStringLiteral("1"), T::Int);
    for (int finger = 1; finger <= 3; ++finger)
        ro(QStringLiteral("fingertracking thimble_set_marker thimbles_std f%1 m01").arg(finger), markerPosition(720, finger, 10.0), T::Numbers);

    // outputs: four numbered channels and the monitor channel "chmon"
    QStringList channels = {QStringLiteral("chmon")};
    for (int i = 1; i <= 4; ++i)
        channels << selector("ch", i);
    rw(QStringLiteral("output net_via_router"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("output number_of_types"), QString::number(int(sizeof kOutputTypes / sizeof *kOutputTypes)), T::Int);
    for (int i = 0; i < int(sizeof kOutputTypes / sizeof *kOutputTypes); ++i) {
        const QString type = QLatin1String(kOutputTypes[i]);
        ro(QStringLiteral("output type ") + selector("t", i + 1), type);
        ro(QStringLiteral("output type_desc ") + type, q(QLatin1String(kOutputDesc[i])));
        ro(QStringLiteral("output available ") + type, QStringLiteral("yes"), T::Bool);
        for (const QString& ch : channels)
            rw(QStringLiteral("output active %1 %2").arg(ch, type), yesNo(ch == QLatin1String("chmon") && type != QLatin1String("2dmon")), T::Bool);
    }
    for (const QString& ch : channels) {
        rw(QStringLiteral("output net ") + ch, QStringLiteral("none"), T::Text);
        ro(QStringLiteral("output net_active ") + ch, QStringLiteral("no"), T::Bool);
        rw(QStringLiteral("output net_divisor ") + ch, QStringLiteral("1"), T::Int);
    }

    // configurations
    const QStringList configs = {QStringLiteral("default"), QStringLiteral("demo_room")};
    rw(QStringLiteral("config owner"), q(QStringLiteral("service")), T::Text);
    rw(QStringLiteral("config desc"), q(QStringLiteral("Default configuration")), T::Text);
    ro(QStringLiteral("config has_password"), QStringLiteral("no"), T::Bool);
    ro(QStringLiteral("config is_changeable"), QStringLiteral("yes"), T::Bool);
    ro(QStringLiteral("config free_space"), QStringLiteral("14"), T::Int);
    ro(QStringLiteral("config number_of_configs"), QString::number(configs.size()), T::Int);
    for (int i = 0; i < configs.size(); ++i) {
        ro(QStringLiteral("config config ") + selector("t", i + 1), configs.at(i));
        ro(QStringLiteral("config desc_of_config ") + configs.at(i),
           q(i == 0 ? QStringLiteral("Default configuration") : QStringLiteral("Demo room")));
        ro(QStringLiteral("config owner_of_config ") + configs.at(i), q(i == 0 ? QStringLiteral("service") : QStringLiteral("demo")));
        ro(QStringLiteral("config config_has_password ") + configs.at(i), QStringLiteral("no"), T::Bool);
    }

    // sync cards
    const int nsc = s.synccards;
    const QStringList syncModes = {QStringLiteral("internal"), QStringLiteral("external"), QStringLiteral("direct")};
    const QStringList sources = {QStringLiteral("internal"), QStringLiteral("video"), QStringLiteral("ttl")};
    ro(QStringLiteral("synccard available"), yesNo(nsc > 0), T::Bool);
    ro(QStringLiteral("synccard number_of_synccards"), QString::number(nsc), T::Int);
    if (nsc > 0) {
        for (int i = 1; i <= nsc; ++i)
            ro(QStringLiteral("synccard synccard ") + selector("d", i), QStringLiteral("0x0401 %1").arg(3300 + i));
        ro(QStringLiteral("synccard model_desc 0x0401"), q(QStringLiteral("Sync card 2")));
        ro(QStringLiteral("synccard has_input_frequency"), QStringLiteral("yes"), T::Bool);
        ro(QStringLiteral("synccard input_frequency"), QStringLiteral("0.00"), T::Double);
        rw(QStringLiteral("synccard active_mode"), syncModes.at(0), T::Word);
        ro(QStringLiteral("synccard output_frequency"), num(s.rate, 2), T::Double);
        ro(QStringLiteral("synccard number_of_modes"), QString::number(syncModes.size()), T::Int);
        for (int i = 0; i < syncModes.size(); ++i) {
            ro(QStringLiteral("synccard mode ") + selector("t", i + 1), syncModes.at(i));
            ro(QStringLiteral("synccard mode_desc ") + syncModes.at(i), q(QStringLiteral("%1 synchronisation").arg(syncModes.at(i))));
        }
        for (const QString& src : sources) {
            ro(QStringLiteral("synccard has_source d01 ") + src, QStringLiteral("yes"), T::Bool);
            ro(QStringLiteral("synccard max_external_divisor d01 ") + src, QStringLiteral("16"), T::Int);
        }
        ro(QStringLiteral("synccard max_output_delay d01"), QStringLiteral("1000"), T::Int);
        rw(QStringLiteral("synccard source d01"), sources.at(0), T::Word);
        rw(QStringLiteral("synccard external_divisor d01"), QStringLiteral("1"), T::Int);
        rw(QStringLiteral("synccard internal_frequency d01"), num(s.rate, 3), T::Double);
        ro(QStringLiteral("synccard number_of_channels d01"), QStringLiteral("4"), T::Int);
        for (int ch = 1; ch <= 4; ++ch) {
            rw(QStringLiteral("synccard output_delay d01 ") + selector("ch", ch), n0, T::Int);
            rw(QStringLiteral("synccard output_during_idle d01 ") + selector("ch", ch), QStringLiteral("no"), T::Bool);
        }
    }
}
