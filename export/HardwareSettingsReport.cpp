#include "HardwareSettingsReport.h"

#include "ReportWriter.h"

#include <QStringList>
#include <QVector>

#include <functional>

HardwareSettingsReport::HardwareSettingsReport(ReportWriter &out, const QMap<QString, bool> *customCalibrated)
    : ReportSection(out)
    , m_customCalibrated(customCalibrated)
{
}

void HardwareSettingsReport::write()
{
    writeCameras();
    writeSynccards();
    writeRadio();
    writeTracking();
    writeBodyAdministration();
    writeOutputs();
    writeGripwands();
    writeMeasurementTools();
}

void HardwareSettingsReport::writeCameras()
{
    if (!openSection(QStringLiteral("[Camera settings]"), 0, 9))
        return;
    const int w = 30;
    const int n = count(QStringLiteral("Number of cameras"), w, QStringLiteral("camera number_of_cameras"));
    m_out.value(QStringLiteral("Scan duration"), w, QStringLiteral("camera scan_duration"));
    // Per-camera parameters, each asked with the camera's selector appended.
    struct Item { const char *label; const char *parameter; int major; int minor; };
    static const Item items[] = {
        {"Version", "camera version", 0, 9}, {"Focal length", "camera focal_length", 0, 9},
        {"Flash low power", "camera is_flash_low_power", 1, 27}, {"Max flash intensity", "camera max_flash_intensity", 0, 9},
        {"Flash intensity", "camera flash_intensity", 0, 9}, {"Has modulated flash", "camera has_modulated_flash", 0, 14},
        {"Modulated flash", "camera modulated_flash", 0, 14}, {"Max sync frequency", "camera max_sync_frequency", 1, 27},
        {"Has temperature measurement", "camera has_temperature_measurement", 0, 11},
        {"Has automatic warming", "camera has_automatic_warming", 0, 11}, {"Automatic warming", "camera automatic_warming", 0, 11},
        {"Has marker mode accurate", "camera has_marker_mode_accurate", 0, 11},
        {"Has marker mode fast", "camera has_marker_mode_fast", 0, 11}, {"Marker mode", "camera marker_mode", 0, 11},
        {"Marker max number", "camera marker_max_number", 0, 11}, {"Marker min size", "camera marker_min_size", 0, 11},
        {"Marker max size", "camera marker_max_size", 0, 11}, {"Sensor pixel horizontal", "camera sensor_pixel_horizontal", 0, 9},
        {"Sensor pixel vertical", "camera sensor_pixel_vertical", 0, 9},
        {"Has dynamic reflex skip", "camera has_dynamic_reflex_skip", 0, 14}, {"Dynamic reflex skip", "camera dynamic_reflex_skip", 0, 14},
        {"Has static reflex skip", "camera has_static_reflex_skip", 0, 14}, {"Static reflex skip", "camera static_reflex_skip", 0, 14},
    };
    static const Item display[] = {
        {"Display upside down", "camera display_upside_down", 0, 11}, {"Has sync group", "camera has_sync_group", 0, 14},
        {"Sync group", "camera sync_group", 0, 14}, {"Has display intensity", "camera has_display_intensity", 0, 11},
        {"Display intensity", "camera display_intensity", 0, 11}, {"Display setting", "camera display_setting", 0, 11},
    };
    static const Item image[] = {
        {"Has display ring intensity", "camera has_display_ring_intensity", 1, 27},
        {"Display ring intensity", "camera display_ring_intensity", 1, 27},
        {"Has marker threshold", "camera has_marker_threshold", 0, 14}, {"Marker threshold", "camera marker_threshold", 0, 14},
        {"Has sensor exposure", "camera has_sensor_exposure", 0, 14}, {"Sensor exposure", "camera sensor_exposure", 0, 14},
        {"Max sensor exposure", "camera max_sensor_exposure", 0, 14}, {"Has sensor gain", "camera has_sensor_gain", 0, 14},
        {"Sensor gain", "camera sensor_gain", 0, 14}, {"Min/max sensor gain", "camera min_max_sensor_gain", 0, 14},
        {"Has sensor offset", "camera has_sensor_offset", 0, 14},
        {"Sensor horizontal offset", "camera sensor_horizontal_offset", 0, 14},
        {"Sensor vertical offset", "camera sensor_vertical_offset", 0, 14},
    };
    auto run = [&](const Item *list, int size, const QString &sc) {
        for (int i = 0; i < size; ++i)
            if (atLeast(list[i].major, list[i].minor))
                m_out.value(QStringLiteral("  ") + QLatin1String(list[i].label), w,
                            QLatin1String(list[i].parameter) + QLatin1Char(' ') + sc);
    };
    const bool cascade = m_out.valueOrError(QStringLiteral("cascade available")) == QLatin1String("yes");
    for (int c = 1; c <= n; ++c) {
        const QString sc = sel("c", c);
        m_out.line();
        // Two digits as the Controller names cameras ("c01" ... "c12").
        m_out.line(QStringLiteral("Camera ") + sc);
        QString ident;
        const int r = m_out.get(&ident, QStringLiteral("camera camera ") + sc);
        if (r) {
            m_out.text(QStringLiteral("  Camera"), w, ReportWriter::errorText(r));
            continue;
        }
        m_out.text(QStringLiteral("  Camera"), w, ident);
        m_out.value(QStringLiteral("  Model"), w, QStringLiteral("camera model_desc ") + word(ident, 0));
        m_out.value(QStringLiteral("  Serial"), w, QStringLiteral("camera serial_desc ") + ident);
        run(items, int(sizeof items / sizeof *items), sc);
        if (atLeast(0, 14)) {
            int areas = 0;
            const int ra = m_out.getCount(&areas, QStringLiteral("camera number_of_areas ") + sc);
            m_out.text(QStringLiteral("  Number of areas"), w, ra ? ReportWriter::errorText(ra) : QString::number(areas));
            for (int a = 1; !ra && a <= areas; ++a)
                m_out.value(QStringLiteral("    Area %1").arg(a), w, QStringLiteral("camera area %1 %2").arg(sc, sel("t", a)));
        }
        QString mode;
        const int rm = m_out.get(&mode, QStringLiteral("camera mode ") + sc);
        m_out.text(QStringLiteral("  Mode"), w, rm ? ReportWriter::errorText(rm)
                                                  : mode + QStringLiteral(" (") + m_out.valueOrError(QStringLiteral("camera mode_desc %1 %2").arg(sc, mode)) + QLatin1Char(')'));
        run(display, int(sizeof display / sizeof *display), sc);
        if (atLeast(0, 11)) {
            QString setting;
            if (m_out.get(&setting, QStringLiteral("camera display_setting ") + sc) == 0)
                m_out.value(QStringLiteral("  Display setting description"), w,
                            QStringLiteral("camera display_setting_desc %1 %2").arg(sc, setting));
        }
        if (cascade && atLeast(1, 7)) {
            QString slave;
            const int rs = m_out.get(&slave, QStringLiteral("camera cascade_slave ") + sc);
            m_out.text(QStringLiteral("  Cascade slave"), w, rs ? ReportWriter::errorText(rs) : slave);
            if (!rs && slave != QLatin1String("none") && !slave.isEmpty())
                m_out.value(QStringLiteral("  Cascade slave host"), w, QStringLiteral("system hostname_slave ") + slave);
        }
        run(image, int(sizeof image / sizeof *image), sc);
    }
    m_out.line();
}

void HardwareSettingsReport::writeSynccards()
{
    if (!openSection(QStringLiteral("[Synccard settings]"), 0, 8))
        return;
    const int w = 30;
    m_out.value(QStringLiteral("Available"), w, QStringLiteral("synccard available"));
    const int n = count(QStringLiteral("Number of synccards"), w, QStringLiteral("synccard number_of_synccards"));
    for (int d = 1; d <= n; ++d) {
        m_out.line(QStringLiteral("Synccard %1:").arg(d));
        QString id;
        const int r = m_out.get(&id, QStringLiteral("synccard synccard ") + sel("d", d));
        if (r) {
            m_out.text(QStringLiteral("  Synccard"), w, ReportWriter::errorText(r));
            continue;
        }
        m_out.text(QStringLiteral("  Synccard"), w, id);
        m_out.value(QStringLiteral("  Model"), w, QStringLiteral("synccard model_desc ") + word(id, 0));
        if (atLeast(0, 13)) {
            m_out.value(QStringLiteral("  Has input frequency"), w, QStringLiteral("synccard has_input_frequency"));
            m_out.value(QStringLiteral("  Input frequency"), w, QStringLiteral("synccard input_frequency"));
        }
        QString mode;
        const int rm = m_out.get(&mode, QStringLiteral("synccard active_mode"));
        m_out.text(QStringLiteral("  Active mode"), w, rm ? ReportWriter::errorText(rm) : mode);
        if (!rm)
            m_out.value(QStringLiteral("  Mode description"), w, QStringLiteral("synccard mode_desc ") + mode);
        m_out.value(QStringLiteral("  Output frequency"), w, QStringLiteral("synccard output_frequency"));
        const int modes = count(QStringLiteral("  Number of modes"), w, QStringLiteral("synccard number_of_modes"));
        for (int t = 1; t <= modes; ++t)
            m_out.value(QStringLiteral("    Mode %1").arg(t), w, QStringLiteral("synccard mode ") + sel("t", t));
        if (d != 1 || !atLeast(1, 2))
            continue;
        for (const char *source : {"internal", "video", "ttl"}) {
            m_out.value(QStringLiteral("  Has source %1").arg(QLatin1String(source)), w,
                        QStringLiteral("synccard has_source d01 %1").arg(QLatin1String(source)));
            m_out.value(QStringLiteral("  Max ext. divisor %1").arg(QLatin1String(source)), w,
                        QStringLiteral("synccard max_external_divisor d01 %1").arg(QLatin1String(source)));
        }
        m_out.value(QStringLiteral("  Max output delay"), w, QStringLiteral("synccard max_output_delay d01"));
        m_out.value(QStringLiteral("  Source"), w, QStringLiteral("synccard source d01"));
        m_out.value(QStringLiteral("  External divisor"), w, QStringLiteral("synccard external_divisor d01"));
        m_out.value(QStringLiteral("  Internal frequency"), w, QStringLiteral("synccard internal_frequency d01"));
        if (!atLeast(1, 15))
            continue;
        const int channels = count(QStringLiteral("  Number of channels"), w, QStringLiteral("synccard number_of_channels d01"));
        for (int ch = 1; ch <= channels; ++ch) {
            m_out.value(QStringLiteral("    Output delay ch%1").arg(ch), w,
                        QString::asprintf("synccard output_delay d01 ch%2.2d", ch));
            m_out.value(QStringLiteral("    Output during idle ch%1").arg(ch), w,
                        QString::asprintf("synccard output_during_idle d01 ch%2.2d", ch));
        }
    }
    m_out.line();
}

void HardwareSettingsReport::writeRadio()
{
    if (!openSection(QStringLiteral("[ZEL radio info]"), 0, 5))
        return;
    m_out.line(QStringLiteral("Available: ") + m_out.valueOrError(QStringLiteral("zelwpan available")));
    QString radio;
    const int r = m_out.get(&radio, QStringLiteral("zelwpan radio"));
    m_out.line(QStringLiteral("Channel  : ") + (r ? ReportWriter::errorText(r) : word(radio, 0)));
    m_out.line(QStringLiteral("PAN-ID   : ") + (r ? ReportWriter::errorText(r) : word(radio, 1)));
    const int w = 25;
    auto devices = [&](const QString &kind, const QString &title, bool withFree) {
        const int n = count(QStringLiteral("Number of %1s").arg(kind), w, QStringLiteral("zelwpan number_of_%1s").arg(kind));
        for (int d = 1; d <= n; ++d) {
            QString id;
            const int ri = m_out.get(&id, QStringLiteral("zelwpan %1 %2").arg(kind, sel("d", d)));
            m_out.line(QStringLiteral("%1 %2:").arg(title).arg(d));
            if (ri) {
                m_out.text(QStringLiteral("  Identifier"), w, ReportWriter::errorText(ri));
                continue;
            }
            const QStringList p = id.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            m_out.text(QStringLiteral("  Identifier"), w, id);
            m_out.value(QStringLiteral("  Vendor"), w, QStringLiteral("zelwpan %1_vendor_desc %2").arg(kind, p.value(0)));
            m_out.value(QStringLiteral("  Model"), w,
                        QStringLiteral("zelwpan %1_model_desc %2 %3").arg(kind, p.value(0), p.value(1)));
            m_out.value(QStringLiteral("  Version"), w, QStringLiteral("zelwpan %1_version %2").arg(kind, id));
            if (withFree)
                m_out.value(QStringLiteral("  Free"), w, QStringLiteral("zelwpan %1_free %2").arg(kind, id));
            m_out.value(QStringLiteral("  Present"), w, QStringLiteral("zelwpan %1_present %2").arg(kind, id));
        }
    };
    devices(QStringLiteral("device"), QStringLiteral("Device"), true);
    devices(QStringLiteral("transceiver"), QStringLiteral("Transceiver"), false);
    m_out.line();
}

void HardwareSettingsReport::writeTracking()
{
    if (!openSection(QStringLiteral("[Tracking settings]"), 0, 9))
        return;
    const int w = 30;
    m_out.value(QStringLiteral("Number of bodies"), w, QStringLiteral("standard number_of_bodies"));
    m_out.value(QStringLiteral("Max number of bodies"), w, QStringLiteral("standard max_number_of_bodies"));
    m_out.value(QStringLiteral("Calculate marker"), w, QStringLiteral("standard calculate_marker"));
    m_out.value(QStringLiteral("Filter bodies"), w, QStringLiteral("standard filter_bodies"));
    if (atLeast(0, 11)) {
        m_out.value(QStringLiteral("Filter available standard"), w, QStringLiteral("filter6d available standard"));
        m_out.value(QStringLiteral("Filter available gripwand"), w, QStringLiteral("filter6d available gripwand"));
        if (m_out.valueOrError(QStringLiteral("measurementtool available")) == QLatin1String("yes"))
            m_out.value(QStringLiteral("Filter available meas. tool"), w, QStringLiteral("filter6d available measurementtool"));
        const int presets = count(QStringLiteral("Number of filter presets"), w, QStringLiteral("filter6d number_of_presets"));
        for (int t = 1; t <= presets; ++t) {
            QString id;
            const int r = m_out.get(&id, QString::asprintf("filter6d preset_id t%.2d", t));
            m_out.text(QStringLiteral("  Preset %1").arg(t), w,
                       r ? ReportWriter::errorText(r)
                         : id + QStringLiteral(" ") + m_out.valueOrError(QStringLiteral("filter6d preset_desc ") + id));
        }
        const int modes = count(QStringLiteral("Number of filter modes"), w, QStringLiteral("filter6d number_of_modes"));
        for (int t = 1; t <= modes; ++t) {
            QString id;
            const int r = m_out.get(&id, QString::asprintf("filter6d mode_id t%.2d", t));
            m_out.text(QStringLiteral("  Mode %1").arg(t), w,
                       r ? ReportWriter::errorText(r)
                         : id + QStringLiteral(" ") + m_out.valueOrError(QStringLiteral("filter6d mode_desc ") + id));
        }
        m_out.value(QStringLiteral("Filter strength min"), w, QStringLiteral("filter6d limit strength_min"));
        m_out.value(QStringLiteral("Filter strength max"), w, QStringLiteral("filter6d limit strength_max"));
        m_out.value(QStringLiteral("Filter prediction min"), w, QStringLiteral("filter6d limit prediction_min"));
        m_out.value(QStringLiteral("Filter prediction max"), w, QStringLiteral("filter6d limit prediction_max"));
    }
    if (atLeast(1, 12)) {
        m_out.value(QStringLiteral("5DOF central axis"), w, QStringLiteral("tracking axis_5dof_central"));
        m_out.value(QStringLiteral("Body max residual"), w, QStringLiteral("tracking body_max_residual"));
        m_out.value(QStringLiteral("Body prediction error"), w, QStringLiteral("tracking body_prediction_error"));
        m_out.value(QStringLiteral("Body separation tolerance"), w, QStringLiteral("tracking body_separation_tolerance"));
        m_out.value(QStringLiteral("Marker max residual"), w, QStringLiteral("tracking marker_max_residual"));
        m_out.value(QStringLiteral("Marker prediction error"), w, QStringLiteral("tracking marker_prediction_error"));
    }
    m_out.line();
}

void HardwareSettingsReport::writeBodyAdministration()
{
    m_out.line(QStringLiteral("[Body Administration]"));
    m_out.line();
    auto calibrated = [&](const QString &kind, const QString &sb) {
        QString c;
        const int r = m_out.get(&c, QStringLiteral("body calibrated %1 %2").arg(kind, sb));
        if (r)
            return ReportWriter::errorText(r);
        if (c != QLatin1String("yes"))
            return QStringLiteral("not calibrated");
        QString lib;
        if (!atLeast(1, 12) || m_out.get(&lib, QStringLiteral("body targetlib_name %1 %2").arg(kind, sb)) != 0
            || lib == QLatin1String("none") || lib.isEmpty())
            return QStringLiteral("Custom");
        // The same verdict as the overview's table: a library target calibrated by hand.
        if (m_customCalibrated && m_customCalibrated->value(lib))
            return QStringLiteral("manually calibrated, looks like %1").arg(lib);
        return QStringLiteral("Target library: %1").arg(lib);
    };
    auto bodies = [&](const QString &kind, const QString &title, const char *prefix,
                      const std::function<QStringList(const QString &)> &extra, const QVector<Column> &columns) {
        int n = 0;
        const int r = m_out.getCount(&n, QStringLiteral("body number_of_bodies ") + kind);
        QVector<QStringList> rows;
        if (r)
            rows << QStringList{ReportWriter::errorText(r)};
        for (int b = 1; !r && b <= n; ++b) {
            const QString sb = sel("b", b);
            QStringList row{QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(b),
                            m_out.valueOrError(QStringLiteral("body active %1 %2").arg(kind, sb))};
            row << extra(sb);
            row << calibrated(kind, sb);
            rows << row;
        }
        m_out.table(title, columns, rows);
        m_out.line();
    };

    if (atLeast(1, 12)) {
        const bool inertial = m_out.valueOrError(QStringLiteral("inertial available")) == QLatin1String("yes");
        bodies(QStringLiteral("standard"), QStringLiteral("Standard bodies"), "B",
               [&](const QString &sb) {
                   QString desc = m_out.valueOrError(QStringLiteral("body desc standard ") + sb);
                   QString sensor = QStringLiteral("-");
                   if (inertial) {
                       QString id;
                       if (m_out.get(&id, QStringLiteral("body inertial_sensor standard ") + sb) == 0 && id != QLatin1String("none")) {
                           const QStringList p = id.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                           sensor = m_out.valueOrError(QStringLiteral("inertial sensor_model_desc %1 %2").arg(p.value(0), p.value(1)))
                               + QStringLiteral(", hand-eye ") + m_out.valueOrError(QStringLiteral("inertial sensor_handeye ") + id);
                       }
                   }
                   QString filter = m_out.valueOrError(QStringLiteral("body filter6d_enabled standard ") + sb);
                   if (filter == QLatin1String("yes")) {
                       QString preset;
                       if (m_out.get(&preset, QStringLiteral("body filter6d_preset standard ") + sb) == 0)
                           filter = m_out.valueOrError(QStringLiteral("filter6d preset_desc ") + preset);
                   }
                   return QStringList{desc, sensor, filter};
               },
               {{QStringLiteral("ID"), 4}, {QStringLiteral("Active"), 6}, {QStringLiteral("Description"), 24},
                {QStringLiteral("Inertial sensor"), 24}, {QStringLiteral("Filter"), 16}, {QStringLiteral("Calibration"), 16}});
    } else {
        m_out.line(QStringLiteral("Standard bodies"));
        tooOld();
        m_out.line();
    }

    bodies(QStringLiteral("gripwand"), QStringLiteral("Gripwands"), "F",
           [&](const QString &sb) {
               QString device;
               const int r = m_out.get(&device, QStringLiteral("gripwand device ") + sb);
               const QStringList p = device.split(QLatin1Char(' '), Qt::SkipEmptyParts);
               const QString model = r ? ReportWriter::errorText(r)
                                       : m_out.valueOrError(QStringLiteral("zelwpan device_model_desc %1 %2").arg(p.value(0), p.value(1)));
               QString filter = m_out.valueOrError(QStringLiteral("body filter6d_enabled gripwand ") + sb);
               if (filter == QLatin1String("yes"))
                   filter = m_out.valueOrError(QStringLiteral("body filter6d_preset gripwand ") + sb);
               return QStringList{model, filter};
           },
           {{QStringLiteral("ID"), 4}, {QStringLiteral("Active"), 6}, {QStringLiteral("Device"), 24},
            {QStringLiteral("Filter"), 16}, {QStringLiteral("Calibration"), 16}});

    if (m_out.valueOrError(QStringLiteral("measurementtool available")) == QLatin1String("yes")) {
        bodies(QStringLiteral("measurementtool_reference"), QStringLiteral("Measurement Tool Reference"), "MR",
               [&](const QString &sb) {
                   return QStringList{m_out.valueOrError(QStringLiteral("body desc measurementtool_reference ") + sb)};
               },
               {{QStringLiteral("ID"), 4}, {QStringLiteral("Active"), 6}, {QStringLiteral("Description"), 24},
                {QStringLiteral("Calibration"), 16}});
        int n = 0;
        const int r = m_out.getCount(&n, QStringLiteral("measurementtool number_of_tools"));
        QVector<QStringList> rows;
        if (r)
            rows << QStringList{ReportWriter::errorText(r)};
        for (int b = 1; !r && b <= n; ++b) {
            const QString sb = sel("b", b);
            rows << QStringList{QStringLiteral("M%1").arg(b),
                                atLeast(1, 11) ? m_out.valueOrError(QStringLiteral("body active measurementtool ") + sb) : QStringLiteral("-"),
                                m_out.valueOrError(QStringLiteral("measurementtool reference_of_tool ") + sb),
                                calibrated(QStringLiteral("measurementtool"), sb)};
        }
        m_out.table(QStringLiteral("Measurement Tool"),
                    {{QStringLiteral("ID"), 4}, {QStringLiteral("Active"), 6}, {QStringLiteral("Reference ID"), 13},
                     {QStringLiteral("Calibration"), 16}},
                    rows);
        m_out.line();
    } else {
        m_out.line();
    }

    bodies(QStringLiteral("fingertracking"), QStringLiteral("Hands"), "H",
           [&](const QString &sb) {
               return QStringList{m_out.valueOrError(QStringLiteral("body desc fingertracking ") + sb)};
           },
           {{QStringLiteral("ID"), 4}, {QStringLiteral("Active"), 6}, {QStringLiteral("Description"), 24},
            {QStringLiteral("Calibration"), 16}});
    m_out.line(QStringLiteral("Reference target: ") + m_out.valueOrError(QStringLiteral("tracking reference")));
    m_out.line();
}

void HardwareSettingsReport::writeOutputs()
{
    if (!openSection(QStringLiteral("[Output settings]"), 0, 6))
        return;
    m_out.line(QStringLiteral("Act as router for tracking output: ") + m_out.valueOrError(QStringLiteral("output net_via_router")));
    QStringList channels;
    for (int ch = 1; ch <= 4; ++ch)
        channels << sel("ch", ch);
    for (int i = 0; i < channels.size(); ++i) {
        const QString ch = channels.at(i);
        m_out.line(QStringLiteral("Channel %1:").arg(i + 1));
        m_out.line(QStringLiteral("  Active             : ") + m_out.valueOrError(QStringLiteral("output net_active ") + ch));
        QString net;
        const int r = m_out.get(&net, QStringLiteral("output net ") + ch);
        const QStringList p = net.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (r) {
            m_out.line(QStringLiteral("  Send to / UDP port : Error %1").arg(r));
        } else if (p.size() == 3) {
            m_out.line(QStringLiteral("  UDP/Multicast      : ") + p.at(0));
            m_out.line(QStringLiteral("  Send to            : ") + p.at(1));
            m_out.line(QStringLiteral("  Port               : ") + p.at(2));
        } else {
            m_out.line(QStringLiteral("  Send to / UDP port: none"));
        }
        m_out.line(QStringLiteral("  Divisor            : ") + m_out.valueOrError(QStringLiteral("output net_divisor ") + ch));
    }
    m_out.line();
    int n = 0;
    const int r = m_out.getCount(&n, QStringLiteral("output number_of_types"));
    m_out.line(QStringLiteral("Number of output types: ") + (r ? ReportWriter::errorText(r) : QString::number(n)));
    QVector<QStringList> rows;
    for (int t = 1; !r && t <= n; ++t) {
        QString type;
        const int rt = m_out.get(&type, QStringLiteral("output type ") + sel("t", t));
        if (rt) {
            rows << QStringList{ReportWriter::errorText(rt)};
            continue;
        }
        QString desc = m_out.valueOrError(QStringLiteral("output type_desc ") + type);
        desc.remove(QLatin1Char('"'));
        QStringList active;
        for (const QString &ch : qAsConst(channels))
            active << (atLeast(1, 6) ? m_out.valueOrError(QStringLiteral("output active %1 %2").arg(ch, type)) : QStringLiteral("-"));
        rows << QStringList{type, desc.left(30), m_out.valueOrError(QStringLiteral("output available ") + type),
                            active.join(QLatin1Char(' '))};
    }
    m_out.table(QStringLiteral("Output types"),
                {{QStringLiteral("Type"), 6}, {QStringLiteral("Description"), 30}, {QStringLiteral("Available"), 9},
                 {QStringLiteral("Active"), 16}},
                rows);
    m_out.line();
}

void HardwareSettingsReport::writeGripwands()
{
    if (!openSection(QStringLiteral("[Gripwand settings]"), 0, 6))
        return;
    const int w = 30;
    m_out.value(QStringLiteral("Max number of devices"), w, QStringLiteral("gripwand max_number_of_devices"));
    const int n = count(QStringLiteral("Number of devices"), w, QStringLiteral("gripwand number_of_devices"));
    m_out.value(QStringLiteral("Filter"), w, QStringLiteral("gripwand filter"));
    m_out.value(QStringLiteral("Output 6df"), w, QStringLiteral("gripwand output_6df"));
    if (atLeast(0, 13)) {
        m_out.value(QStringLiteral("Multiuser available"), w, QStringLiteral("gripwand multiuser_available"));
        m_out.value(QStringLiteral("Multiuser"), w, QStringLiteral("gripwand multiuser"));
        m_out.value(QStringLiteral("Multiuser with head available"), w, QStringLiteral("gripwand multiuser_with_head_available"));
        m_out.value(QStringLiteral("Multiuser with head"), w, QStringLiteral("gripwand multiuser_with_head"));
    }
    for (int b = 1; b <= n; ++b) {
        const QString sb = sel("b", b);
        m_out.line(QStringLiteral("Gripwand F%1:").arg(b));
        QString device;
        const int r = m_out.get(&device, QStringLiteral("gripwand device ") + sb);
        if (r) {
            m_out.text(QStringLiteral("  Device"), w, ReportWriter::errorText(r));
            continue;
        }
        m_out.text(QStringLiteral("  Device"), w, device);
        m_out.value(QStringLiteral("  Model"), w, QStringLiteral("zelwpan device_model_desc ") + device);
        if (!atLeast(1, 3))
            continue;
        m_out.value(QStringLiteral("  Has target parameter"), w, QStringLiteral("gripwand has_target_parameter ") + sb);
        m_out.value(QStringLiteral("  Target max sync groups"), w, QStringLiteral("gripwand target_max_sync_groups ") + sb);
        m_out.value(QStringLiteral("  Target sync groups"), w, QStringLiteral("gripwand target_sync_groups ") + sb);
        m_out.value(QStringLiteral("  Target max flash intensity"), w, QStringLiteral("gripwand target_max_flash_intensity ") + sb);
        m_out.value(QStringLiteral("  Target flash intensity"), w, QStringLiteral("gripwand target_flash_intensity ") + sb);
    }
    const int radio = count(QStringLiteral("Number of radio devices"), w, QStringLiteral("gripwand number_of_zelwpan_devices"));
    for (int d = 1; d <= radio; ++d) {
        QString id;
        const int r = m_out.get(&id, QStringLiteral("gripwand zelwpan_device ") + sel("d", d));
        const QStringList p = id.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        m_out.text(QStringLiteral("  Radio device %1").arg(d), w,
                   r ? ReportWriter::errorText(r)
                     : id + QStringLiteral(" ")
                           + m_out.valueOrError(QStringLiteral("zelwpan device_model_desc %1 %2").arg(p.value(0), p.value(1))));
    }
    m_out.line();
}

void HardwareSettingsReport::writeMeasurementTools()
{
    if (!openSection(QStringLiteral("[Measurement Tool settings]"), 1, 3))
        return;
    const int w = 30;
    m_out.value(QStringLiteral("Available"), w, QStringLiteral("measurementtool available"));
    m_out.value(QStringLiteral("Output 6dmt"), w, QStringLiteral("measurementtool output_6dmt"));
    m_out.value(QStringLiteral("Max number of tools"), w, QStringLiteral("measurementtool max_number_of_tools"));
    const int n = count(QStringLiteral("Number of tools"), w, QStringLiteral("measurementtool number_of_tools"));
    m_out.value(QStringLiteral("Max number of references"), w, QStringLiteral("measurementtool max_number_of_references"));
    m_out.value(QStringLiteral("Number of references"), w, QStringLiteral("measurementtool number_of_references"));
    for (int b = 1; b <= n; ++b) {
        const QString sb = QString::asprintf("b%2.2d", b);
        m_out.line(QStringLiteral("Measurement Tool %1").arg(b));
        m_out.value(QStringLiteral("  Reference"), w, QStringLiteral("measurementtool reference_of_tool ") + sb);
        m_out.value(QStringLiteral("  Tip calibrated"), w, QStringLiteral("measurementtool tip_calibrated ") + sb);
        m_out.value(QStringLiteral("  Tip residual"), w, QStringLiteral("measurementtool tip_residual ") + sb);
        m_out.value(QStringLiteral("  Tip radius"), w, QStringLiteral("measurementtool tip_radius ") + sb);
        QString device;
        const int r = m_out.get(&device, QStringLiteral("measurementtool device ") + sb);
        m_out.text(QStringLiteral("  Device"), w, r ? ReportWriter::errorText(r) : device);
        if (!r && device != QLatin1String("none")) {
            m_out.value(QStringLiteral("  Vendor"), w, QStringLiteral("zelwpan device_vendor_desc ") + device);
            m_out.value(QStringLiteral("  Model"), w, QStringLiteral("zelwpan device_model_desc ") + device);
        }
        if (!atLeast(1, 13))
            continue;
        m_out.value(QStringLiteral("  Measurement duration"), w, QStringLiteral("measurementtool measurement_duration ") + sb);
        m_out.value(QStringLiteral("  Measurement tip tolerance"), w, QStringLiteral("measurementtool measurement_tip_tolerance ") + sb);
        if (!atLeast(1, 14))
            continue;
        m_out.value(QStringLiteral("  Start simulation"), w, QStringLiteral("measurementtool measurement_start_simulation ") + sb);
        m_out.value(QStringLiteral("  Start angle"), w, QStringLiteral("measurementtool measurement_start_angle ") + sb);
        m_out.value(QStringLiteral("  Start lead time"), w, QStringLiteral("measurementtool measurement_start_lead_time ") + sb);
    }
    m_out.line();
}

