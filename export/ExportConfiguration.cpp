#include "ExportConfiguration.h"

#include "BackendVersions.h"
#include "CalibrationReport.h"
#include "ControllerSerial.h"
#include "HardwareSettingsReport.h"
#include "IOManager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QHostInfo>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

const char *const BodyKinds[] = {"standard", "gripwand", "measurementtool", "measurementtool_reference",
                                 "fingertracking"};

QString number(const QString &text, int width, int decimals)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return (ok ? QString::number(v, 'f', decimals) : text).rightJustified(width);
}

// Yaw, pitch and roll (Z-Y-X, degrees) of a rotation matrix stored column by column.
void anglesOf(const double r[9], double *yaw, double *pitch, double *roll)
{
    const double deg = 180.0 / M_PI;
    *yaw = std::atan2(r[1], r[0]) * deg;
    *pitch = std::asin(qBound(-1.0, -r[2], 1.0)) * deg;
    *roll = std::atan2(r[5], r[8]) * deg;
}

} // namespace

ExportConfiguration::ExportConfiguration(IOManager *channel, QWidget *parent, const BackendVersions *versions)
    : QObject(parent)
    , ReportSection(m_writer)
    , m_channel(channel)
    , m_parent(parent)
    , m_versions(versions)
    , m_writer(channel)
{
    m_out.setVersions(versions);
}

QString ExportConfiguration::markerLine(const QString &text)
{
    if (text.size() >= 78)
        return text;
    const int width = text.size() + (80 - text.size()) / 2;
    return text.rightJustified(width, QLatin1Char('*')).leftJustified(80, QLatin1Char('*'));
}

void ExportConfiguration::showBox(bool warning, const QString &text)
{
    // Without a window system (the command-line program) the caller reports errorText().
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    if (warning)
        QMessageBox::warning(m_parent, tr("Log Settings"), text);
    else
        QMessageBox::information(m_parent, tr("Log Settings"), text);
}

QString ExportConfiguration::openFailedText(const QString &path, const QString &reason)
{
    if (path.isEmpty())
        return tr("No file name was given.");
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return tr("The folder %1 does not exist.\n Please choose another location.").arg(folder.filePath());
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return tr("You don't have the rights to write to this location.\n Please choose another location.");
    return tr("The file %1 could not be written: %2.\n Please choose another location.").arg(path, reason);
}

bool ExportConfiguration::exportReport(const QString &path, bool showResultBox, bool removeExisting)
{
    m_error.clear();
    if (path.isEmpty())
        return false;
    // Written into a new file that replaces the old one when complete: nothing
    // done to the path meanwhile (a link swapped in, say) can redirect the report.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        m_error = openFailedText(path, file.errorString());
        showBox(true, m_error);
        return false;
    }
    if (!removeExisting) {
        // The report goes after what the file held.
        QFile old(path);
        if (old.exists() && (!old.open(QIODevice::ReadOnly) || file.write(old.readAll()) != old.size())) {
            file.cancelWriting();
            m_error = openFailedText(path, old.errorString());
            showBox(true, m_error);
            return false;
        }
    }
    const bool written = writeReport(&file, path);
    if (!written || !file.commit()) {
        file.cancelWriting();
        if (written)
            m_error = openFailedText(path, file.errorString());
        showBox(true, m_error);
        return false;
    }
    if (showResultBox)
        showBox(false, tr("Informations successfully written to the file\n%1").arg(path));
    return true;
}

bool ExportConfiguration::writeReport(QIODevice *device, const QString &name)
{
    m_error.clear();
    m_out.setDevice(device);
    m_out.resetCounters();
    m_out.line(QStringLiteral("Export Controller configuration"));
    m_out.line(QString(40, QLatin1Char('=')));
    m_out.line();
    writeOverview();
    m_out.line(QStringLiteral("[General info]"));
    const QDateTime now = QDateTime::currentDateTime();
    m_out.line(QStringLiteral("Generation time: ") + now.toString(QStringLiteral("yyyy-MM-dd"))
               + now.toString(QStringLiteral("Thh:mm:ss")));
    m_out.line(QStringLiteral("File name      : ") + name);
    m_out.line();

    writeVersionInfo();
    writeFrontendModules();
    writeBackendModules();
    writeControllerSettings();
    writeNetworkInformation();
    writeConfiguration();
    writeHardwareInfo();
    writeCascade();
    HardwareSettingsReport(m_out, &m_customCalibrated).write();
    CalibrationReport(m_out).write();
    m_out.setDevice(nullptr);

    if (m_out.linesLost() > 0) {
        // The disk filled up, say: tell so rather than report success.
        m_error = tr("%n line(s) of the report could not be written to\n%1", nullptr, m_out.linesLost()).arg(name);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- overview

void ExportConfiguration::writeOverview()
{
    m_out.line(QStringLiteral("[System overview]"));
    const QString host = m_out.valueOrError(QStringLiteral("system hostname"));
    const QString version = m_out.valueOrError(QStringLiteral("system version"));
    QString serial = m_out.valueOrError(QStringLiteral("system controller_serial"));
    QString model;
    if (m_out.get(&model, QStringLiteral("system model")) == 0 && model.trimmed() == QLatin1String("2") && !serial.startsWith(QLatin1String("Error")))
        serial = ControllerSerial::model2(serial);
    m_out.line(QStringLiteral("Controller      : %1, S/N %2, %3").arg(host, serial, version));

    // "system net": DHCP client (yes/no), address, mask, gateway.
    QString net;
    int r = m_out.get(&net, QStringLiteral("system net"));
    if (r) {
        m_out.line(QStringLiteral("Network         : Error %1").arg(r));
    } else if (word(net, 0) == QLatin1String("yes")) {
        QString current;
        if (m_out.get(&current, QStringLiteral("system ethernet_ip")) == 0 && !word(current, 0).isEmpty())
            m_out.line(QStringLiteral("Network         : DHCP, currently using %1 / %2 gateway %3")
                           .arg(word(current, 0), word(current, 1), word(net, 3)));
        else
            m_out.line(QStringLiteral("Network         : DHCP"));
    } else {
        m_out.line(QStringLiteral("Network         : Fix IP using %1 / %2 gateway %3")
                       .arg(word(net, 1), word(net, 2), word(net, 3)));
    }

    QString available;
    r = m_out.get(&available, QStringLiteral("synccard available"));
    int cards = 0;
    if (r) {
        m_out.line(QStringLiteral("Sync            : Error %1").arg(r));
    } else if (available != QLatin1String("yes") || m_out.getInt(&cards, QStringLiteral("synccard number_of_synccards")) != 0
               || cards < 1) {
        m_out.line(QStringLiteral("Sync            : not available"));
    } else {
        QString mode;
        r = m_out.get(&mode, QStringLiteral("synccard active_mode"));
        if (r) {
            m_out.line(QStringLiteral("Sync            : Error %1").arg(r));
        } else if (mode == QLatin1String("direct")) {
            QString source = m_out.valueOrError(QStringLiteral("synccard source d01"));
            if (source == QLatin1String("internal"))
                m_out.line(QStringLiteral("Sync            : direct settings; internal generated signal with %1 [Hz] ")
                               .arg(m_out.valueOrError(QStringLiteral("synccard internal_frequency d01"))));
            else
                m_out.line(QStringLiteral("Sync            : direct settings; external %1 signal; divisor for external signal = %2")
                               .arg(source, m_out.valueOrError(QStringLiteral("synccard external_divisor d01"))));
        } else {
            QString desc = m_out.valueOrError(QStringLiteral("synccard mode_desc ") + mode);
            desc.remove(QLatin1Char('"'));
            m_out.line(QStringLiteral("Sync            : %1").arg(desc));
        }
    }
    m_out.line(QStringLiteral("Calibration     : %1 mode; %2")
                   .arg(m_out.valueOrError(QStringLiteral("roomcal coordinate_type")),
                        m_out.valueOrError(QStringLiteral("roomcal last_date"))));
    m_out.line();
    writeCameraTable();
    m_out.line();
    m_customCalibrated.clear();
    if (atLeast(1, 12))
        readCustomCalibration();
    writeCalibratedBodies();
    m_out.line();
}

void ExportConfiguration::writeCameraTable()
{
    int n = 0;
    const int r = m_out.getCount(&n, QStringLiteral("camera number_of_cameras"));
    if (r) {
        m_out.line(QStringLiteral("Number of cameras: Error %1").arg(r));
        return;
    }
    m_out.line(QStringLiteral("Cameras:"));
    m_out.line(QStringLiteral("ID |     Typ       |  SN    | Focal[mm] | Intens |     x[mm]       y[mm]       z[mm] |   Yaw[deg]  Pitch[deg]   Roll[deg]"));
    m_out.line(QStringLiteral("---|---------------|--------|-----------|--------|-----------------------------------|-----------------------------------"));
    for (int c = 1; c <= n; ++c) {
        const QString sc = sel("c", c);
        QString ident;
        const int ri = m_out.get(&ident, QStringLiteral("camera camera ") + sc);
        QString type, serial;
        if (ri == 0) {
            type = m_out.valueOrError(QStringLiteral("camera model_desc ") + word(ident, 0));
            serial = m_out.valueOrError(QStringLiteral("camera serial_desc ") + ident);
        } else {
            type = serial = ReportWriter::errorText(ri);
        }
        type.remove(QLatin1Char('"'));
        const QString focal = m_out.valueOrError(QStringLiteral("camera focal_length ") + sc);
        const QString flash = m_out.valueOrError(QStringLiteral("camera flash_intensity ") + sc);
        QString room;
        QStringList pose;
        for (int i = 0; i < 6; ++i)
            pose << QStringLiteral("-");
        if (m_out.get(&room, QStringLiteral("tracking room ") + sc) == 0) {
            const QStringList v = room.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (v.size() == 12) {
                double m[9];
                for (int i = 0; i < 9; ++i)
                    m[i] = v.at(3 + i).toDouble();
                double a[3];
                anglesOf(m, &a[0], &a[1], &a[2]);
                for (int i = 0; i < 3; ++i) {
                    pose[i] = v.at(i);
                    pose[3 + i] = QString::number(a[i], 'f', 1);
                }
            } else if (v.size() == 6) {
                pose = v;
            }
        }
        QString row = QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6   %7   %8 | %9  %10  %11")
                          .arg(c, 2, 10, QLatin1Char('0'))
                          .arg(type.left(13), 13)
                          .arg(serial, 6)
                          .arg(number(focal, 9, 1))
                          .arg(flash, 6)
                          .arg(number(pose[0], 9, 1), number(pose[1], 9, 1), number(pose[2], 9, 1))
                          .arg(number(pose[3], 10, 1), number(pose[4], 10, 1), number(pose[5], 10, 1));
        m_out.line(row);
    }
}

void ExportConfiguration::readCustomCalibration()
{
    char reply[IOManager::BufferSize];
    reply[0] = '\0';
    m_out.noteCommand();
    m_channel->prepareNextCommand(false, 5000, true);
    const int r = m_channel->sendCommand(reply, "quorix2 targetlib check_custom_calibration");
    if (r != 0 || qstrcmp(reply, "quorix2 ok") != 0)
        return;
    int n = 0;
    if (m_out.getCount(&n, QStringLiteral("targetlib number_of_targets")) != 0)
        return;
    for (int t = 1; t <= n; ++t) {
        QString name, custom;
        if (m_out.get(&name, QStringLiteral("targetlib target_name ") + sel("t", t)) != 0)
            continue;
        if (m_out.get(&custom, QStringLiteral("targetlib target_status_calibrated_custom ") + sel("t", t)) != 0)
            continue;
        m_customCalibrated.insert(name, custom == QLatin1String("yes"));
    }
}

QString ExportConfiguration::calibrationCell(const QString &kind, const QString &b)
{
    QString calibrated;
    int r = m_out.get(&calibrated, QStringLiteral("body calibrated %1 %2").arg(kind, b));
    if (r)
        return ReportWriter::errorText(r);
    if (calibrated != QLatin1String("yes"))
        return QStringLiteral("not calibrated");
    QString lib;
    r = m_out.get(&lib, QStringLiteral("body targetlib_name %1 %2").arg(kind, b));
    if (r || lib.isEmpty() || lib == QLatin1String("none"))
        return QStringLiteral("Custom");
    if (m_customCalibrated.value(lib))
        return QStringLiteral("manually calibrated, looks like %1").arg(lib);
    return QStringLiteral("Target Library: %1").arg(lib);
}

void ExportConfiguration::writeCalibratedBodies()
{
    const QVector<Column> columns = {{QStringLiteral("ID"), 5}, {QStringLiteral("Name"), 28},
                                     {QStringLiteral("NumMarkers"), 10}, {QStringLiteral("calibration"), 0}};
    QVector<QStringList> rows;
    const bool inertial = m_out.valueOrError(QStringLiteral("inertial available")) == QLatin1String("yes");
    const bool tools = m_out.valueOrError(QStringLiteral("measurementtool available")) == QLatin1String("yes");
    const char *const prefixes[] = {"B", "F", "M", "MR", "H"};
    for (int k = 0; k < 5; ++k) {
        const QString kind = QLatin1String(BodyKinds[k]);
        if (!tools && kind.startsWith(QLatin1String("measurementtool")))
            continue;
        int n = 0;
        const int r = m_out.getCount(&n, QStringLiteral("body number_of_bodies ") + kind);
        if (r) {
            rows << QStringList{QStringLiteral("%1?").arg(QLatin1String(prefixes[k])), kind, QString(),
                                ReportWriter::errorText(r)};
            continue;
        }
        for (int b = 1; b <= n; ++b) {
            const QString sb = sel("b", b);
            QString name = m_out.valueOrError(QStringLiteral("body desc %1 %2").arg(kind, sb));
            name.remove(QLatin1Char('"'));
            QString cell = calibrationCell(kind, sb);
            if (k == 0 && inertial) {
                QString sensor;
                if (m_out.get(&sensor, QStringLiteral("body inertial_sensor %1 %2").arg(kind, sb)) == 0
                    && sensor != QLatin1String("none") && !sensor.isEmpty())
                    cell += QStringLiteral("; inertial sensor %1, hand-eye calibrated: %2")
                                .arg(sensor, m_out.valueOrError(QStringLiteral("inertial sensor_handeye ") + sensor));
            }
            rows << QStringList{QStringLiteral("%1%2").arg(QLatin1String(prefixes[k])).arg(b), name.left(28),
                                m_out.valueOrError(QStringLiteral("body number_of_marker %1 %2").arg(kind, sb)), cell};
        }
    }
    m_out.table(QStringLiteral("Calibrated bodies:"), columns, rows);
    m_out.line(QStringLiteral("Reference target: ") + m_out.valueOrError(QStringLiteral("tracking reference")));
}

// ---------------------------------------------------------------- sections 1 to 8

void ExportConfiguration::writeVersionInfo()
{
    const int w = 24;
    m_out.line(QStringLiteral("[Version info]"));
    m_out.line();
    m_out.text(QStringLiteral("QUORIX4 Frontend"), w, m_frontendVersion.section(QLatin1Char('|'), 0, 0));
    m_out.text(QStringLiteral("Installation path"), w,
               m_installationPath.isEmpty() ? QCoreApplication::applicationFilePath() : m_installationPath);
    m_out.text(QStringLiteral("Date of Frontend update"), w,
               m_frontendUpdate.isValid() ? m_frontendUpdate.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss"))
                                          : QStringLiteral("unknown"));
    if (!atLeast(0, 8)) {
        tooOld();
        m_out.line();
        return;
    }
    m_out.value(QStringLiteral("QUORIX4 Backend"), w, QStringLiteral("system version"));
    QString notice;
    if (m_out.get(&notice, QStringLiteral("system version_copyright")) == 0)
        m_out.text(QStringLiteral("Version notice"), w, notice.remove(QLatin1Char('"')).trimmed());
    if (m_versions) {
        // A part the Controller did not report (-1) is left out, not printed.
        const auto &p = m_versions->protocol;
        QString text = p.major < 0 ? QStringLiteral("unknown") : QString::number(p.major);
        if (p.major >= 0 && p.minor >= 0)
            text += QLatin1Char('.') + QString::number(p.minor);
        if (p.major >= 0 && p.minor >= 0 && p.patch >= 0)
            text += QLatin1Char('.') + QString::number(p.patch);
        m_out.text(QStringLiteral("Protocol version"), w, text);
    }
    if (atLeast(0, 12))
        m_out.value(QStringLiteral("Controller Serial"), w, QStringLiteral("system controller_serial"));
    if (atLeast(1, 19))
        m_out.value(QStringLiteral("Date of Backend update"), w, QStringLiteral("system update_date"));
    m_out.value(QStringLiteral("Controller model"), w, QStringLiteral("system model"));
    m_out.line();
}

void ExportConfiguration::writeFrontendModules()
{
    m_out.line(QStringLiteral("[Frontend modules (loaded)]"));
    m_out.line();
    if (!m_modulesNote.isEmpty()) {
        for (const QString &l : qAsConst(m_modulesNote))
            m_out.line(l);
        m_out.line();
        return;
    }
    QStringList fields = m_frontendVersion.split(QLatin1Char('|'));
    fields.removeFirst();
    std::stable_sort(fields.begin(), fields.end(), [](const QString &a, const QString &b) {
        return a.section(QLatin1Char(';'), 0, 0) < b.section(QLatin1Char(';'), 0, 0);
    });
    int longest = 0;
    for (const QString &f : qAsConst(fields))
        longest = qMax(longest, f.section(QLatin1Char(';'), 0, 0).size());
    for (const QString &f : qAsConst(fields))
        m_out.line(f.section(QLatin1Char(';'), 0, 0).leftJustified(longest + 1) + f.section(QLatin1Char(';'), 1));
    m_out.line();
}

void ExportConfiguration::writeBackendModules()
{
    m_out.line(QStringLiteral("[Backend modules (loaded)]"));
    m_out.line();
    int n = 0;
    const int r = m_out.getCount(&n, QStringLiteral("system number_of_single_versions"));
    if (r) {
        m_out.line(QStringLiteral("Number of single versions: Error %1").arg(r));
    } else {
        QStringList names, rest;
        for (int i = 1; i <= n; ++i) {
            QString v;
            const int ri = m_out.get(&v, QStringLiteral("system single_version ") + sel("t", i));
            if (ri) {
                names << QString();
                rest << QStringLiteral("Get single version %1: Error %2").arg(i).arg(ri);
                continue;
            }
            names << v.section(QLatin1Char(' '), 0, 0);
            rest << v.section(QLatin1Char(' '), 1);
        }
        int longest = 0;
        for (const QString &name : qAsConst(names))
            longest = qMax(longest, name.size());
        for (int i = 0; i < names.size(); ++i)
            m_out.line(names.at(i).isEmpty() ? rest.at(i) : names.at(i).leftJustified(longest + 1) + rest.at(i));
    }
    m_out.line();
}

void ExportConfiguration::writeControllerSettings()
{
    if (!openSection(QStringLiteral("[Controller settings]"), 0, 10))
        return;
    const int w = 30;
    m_out.line(QStringLiteral("General:"));
    m_out.value(QStringLiteral("  Hostname"), w, QStringLiteral("system hostname"));
    m_out.value(QStringLiteral("  Domainname"), w, QStringLiteral("system domainname"));
    QString net;
    const int r = m_out.get(&net, QStringLiteral("system net"));
    if (r) {
        m_out.text(QStringLiteral("  Network"), w, ReportWriter::errorText(r));
    } else {
        m_out.text(QStringLiteral("  DHCP client"), w, word(net, 0));
        m_out.text(QStringLiteral("  IP address"), w, word(net, 1));
        m_out.text(QStringLiteral("  Subnet mask"), w, word(net, 2));
        m_out.text(QStringLiteral("  Gateway"), w, word(net, 3));
    }
    m_out.value(QStringLiteral("  Nameserver"), w, QStringLiteral("system nameserver"));
    if (atLeast(0, 13)) {
        m_out.line(QStringLiteral("Time:"));
        m_out.value(QStringLiteral("  Date [YYYY MM DD]"), w, QStringLiteral("system date"));
        m_out.value(QStringLiteral("  Time [hh mm ss]"), w, QStringLiteral("system time"));
    }
    if (atLeast(0, 15)) {
        m_out.value(QStringLiteral("  NTP server"), w, QStringLiteral("system ntp_server"));
        QString ntp;
        const int rn = m_out.get(&ntp, QStringLiteral("system ntp_status"));
        if (rn) {
            m_out.text(QStringLiteral("  NTP status"), w, ReportWriter::errorText(rn));
        } else {
            m_out.text(QStringLiteral("  NTP reachability"), w, word(ntp, 0));
            m_out.text(QStringLiteral("  NTP estimated precision"), w, word(ntp, 1));
            m_out.text(QStringLiteral("  NTP jitter"), w, word(ntp, 2));
        }
    }
    if (atLeast(1, 22)) {
        m_out.value(QStringLiteral("  PTP"), w, QStringLiteral("system ptp"));
        QString ptp;
        const int rp = m_out.get(&ptp, QStringLiteral("system ptp_status"));
        if (rp) {
            m_out.text(QStringLiteral("  PTP status"), w, ReportWriter::errorText(rp));
        } else {
            m_out.text(QStringLiteral("  PTP port state"), w, word(ptp, 0));
            m_out.text(QStringLiteral("  PTP master"), w, word(ptp, 1));
            m_out.text(QStringLiteral("  PTP master offset"), w, word(ptp, 2));
            m_out.text(QStringLiteral("  PTP mean path delay"), w, word(ptp, 3));
        }
    }
    m_out.line(QStringLiteral("System:"));
    m_out.value(QStringLiteral("  Model"), w, QStringLiteral("system model"));
    if (atLeast(1, 24))
        m_out.value(QStringLiteral("  CPU temperature"), w, QStringLiteral("system temperature_cpu"));
    m_out.line();
}

void ExportConfiguration::writeNetworkInformation()
{
    m_out.line(QStringLiteral("[Network informations]"));
    m_out.line();
    m_out.line(QStringLiteral("Local domainname: %1").arg(QHostInfo::localDomainName()));
    m_out.line(QStringLiteral("Local hostname: %1").arg(QHostInfo::localHostName()));
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &nic : interfaces) {
        m_out.line(nic.humanReadableName());
        if (!nic.isValid()) {
            m_out.line(QStringLiteral("    Network interface: not valid"));
            continue;
        }
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            const QHostAddress a = entry.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                m_out.line(QStringLiteral("    IPv4 address: %1").arg(a.toString()));
                m_out.line(QStringLiteral("    Subnet mask : %1").arg(entry.netmask().toString()));
            } else {
                m_out.line(QStringLiteral("    IPv6 address: %1").arg(a.toString()));
            }
        }
    }
    m_out.line();
}

void ExportConfiguration::writeConfiguration()
{
    m_out.line(QStringLiteral("[Configuration]"));
    m_out.line();
    m_out.line(QStringLiteral("Active configuration:"));
    m_out.line(QStringLiteral("Configuration description  :  ") + m_out.valueOrError(QStringLiteral("config desc")));
    m_out.line(QStringLiteral("Configuration owner        :  ") + m_out.valueOrError(QStringLiteral("config owner")));
    if (atLeast(1, 9)) {
        m_out.line(QStringLiteral("Configuration has password :  ") + m_out.valueOrError(QStringLiteral("config has_password")));
        m_out.line(QStringLiteral("Configuration is changeable:  ") + m_out.valueOrError(QStringLiteral("config is_changeable")));
    }
    if (atLeast(1, 27))
        m_out.line(QStringLiteral("Free Configuration Space   : ") + m_out.valueOrError(QStringLiteral("config free_space")));
    m_out.line();
    int n = 0;
    const int r = m_out.getCount(&n, QStringLiteral("config number_of_configs"));
    m_out.line(QStringLiteral("number of configurations: %1").arg(r ? ReportWriter::errorText(r) : QString::number(n)));
    QVector<QStringList> rows;
    for (int i = 1; !r && i <= n; ++i) {
        QString id;
        const int ri = m_out.get(&id, QStringLiteral("config config ") + sel("t", i));
        if (ri) {
            rows << QStringList{ReportWriter::errorText(ri)};
            continue;
        }
        rows << QStringList{m_out.valueOrError(QStringLiteral("config desc_of_config ") + id),
                            m_out.valueOrError(QStringLiteral("config owner_of_config ") + id),
                            atLeast(1, 9) ? m_out.valueOrError(QStringLiteral("config config_has_password ") + id)
                                          : QStringLiteral("-")};
    }
    m_out.table(QStringLiteral("Configurations"),
                {{QStringLiteral("Description"), 32}, {QStringLiteral("Owner"), 16}, {QStringLiteral("Locked"), 6}}, rows);
    m_out.line();
}

void ExportConfiguration::writeHardwareInfo()
{
    if (!openSection(QStringLiteral("[Hardware info]"), 0, 17))
        return;
    const int w = 25;
    m_out.value(QStringLiteral("Motherboard"), w, QStringLiteral("system extra motherboard"));
    int n = 0;
    const int r = m_out.getCount(&n, QStringLiteral("system extra number_of_hardware"));
    if (r)
        m_out.text(QStringLiteral("Number of hardware entries"), w, ReportWriter::errorText(r));
    static const QMap<QString, QString> labels = {
        {QStringLiteral("cpu_name"), QStringLiteral("CPU name")},
        {QStringLiteral("cpu_cores"), QStringLiteral("CPU cores")},
        {QStringLiteral("memory_ram"), QStringLiteral("Memory RAM")},
        {QStringLiteral("ethernetmac_lan"), QStringLiteral("Ethernet-MAC LAN")},
        {QStringLiteral("ethernetmac_cam"), QStringLiteral("Ethernet-MAC CAM")}};
    for (int h = 1; h <= n; ++h) {
        QString v;
        if (m_out.get(&v, QStringLiteral("system extra hardware h%1").arg(h)) != 0) {
            m_out.text(QStringLiteral("Hardware %1").arg(h), w, QStringLiteral("<ERROR>"));
            continue;
        }
        const QString key = v.section(QLatin1Char(' '), 0, 0);
        m_out.text(labels.value(key, key), w, v.section(QLatin1Char(' '), 1));
    }
    m_out.line();
}

void ExportConfiguration::writeCascade()
{
    if (!openSection(QStringLiteral("[Cascaded System]"), 1, 7))
        return;
    const int w = 30;
    m_out.value(QStringLiteral("Can be slave"), w, QStringLiteral("system can_slave"));
    m_out.value(QStringLiteral("Is slave"), w, QStringLiteral("system slave"));
    m_out.value(QStringLiteral("Slave port"), w, QStringLiteral("system slave_port"));
    m_out.value(QStringLiteral("Wake on LAN for slaves"), w, QStringLiteral("cascade wol_slaves"));
    m_out.value(QStringLiteral("Scan slaves on LAN"), w, QStringLiteral("cascade scan_slaves_lan"));
    const int n = count(QStringLiteral("Number of connected slaves"), w, QStringLiteral("cascade number_of_connected_slaves"));
    for (int i = 1; i <= n; ++i) {
        m_out.line(QStringLiteral("Slave %1:").arg(i));
        QString id;
        const int r = m_out.get(&id, QStringLiteral("cascade connected_slave ") + sel("d", i));
        if (r) {
            m_out.text(QStringLiteral("  Identifier"), w, ReportWriter::errorText(r));
            continue;
        }
        m_out.text(QStringLiteral("  Identifier"), w, id);
        m_out.value(QStringLiteral("  Available"), w, QStringLiteral("cascade connected_slave_available ") + id);
        m_out.value(QStringLiteral("  Controller"), w, QStringLiteral("cascade connected_slave_controller ") + id);
        m_out.value(QStringLiteral("  Version"), w, QStringLiteral("system version_slave ") + id);
        m_out.value(QStringLiteral("  Domainname"), w, QStringLiteral("system domainname_slave ") + id);
        m_out.value(QStringLiteral("  Network"), w, QStringLiteral("system net_slave ") + id);
    }
    m_out.line();
}

