#include "Preferences.h"

#include "PrivateFiles.h"
#include "SettingsMigration.h"
#include "Version.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-ddThh:mm:ss");
constexpr long long DefaultTimeoutMs = 2000;
constexpr long long MaxTimeoutMs = 2000000;

// An integer text, however long; anything else gives the default.
long long timeoutMs(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    long long value = t.toLongLong(&ok);
    if (!ok) {
        // Too many digits for 64 bits is still a number, just a huge one.
        static const QRegularExpression huge(QStringLiteral("^([+-]?)[0-9]+$"));
        const QRegularExpressionMatch m = huge.match(t);
        if (!m.hasMatch())
            return DefaultTimeoutMs;
        value = m.captured(1) == QLatin1String("-") ? -1 : MaxTimeoutMs + 1;
    }
    if (value < 1)
        return DefaultTimeoutMs;
    return value > MaxTimeoutMs ? MaxTimeoutMs : value;
}

// Characters that XML 1.0 cannot hold would make the whole file unreadable
// at the next start; they are dropped rather than written.
QString xmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF)
                   || (u >= 0xE000 && u <= 0xFFFD)) {
            out += c;
        }
    }
    return out;
}

// Text as it is kept: the parser lets some characters through that XML 1.0
// cannot hold, and the next write would drop them; dropping them here keeps
// what was read equal to what is written.
QString elementText(const QDomElement &element)
{
    const QDomNode first = element.firstChild();
    return first.isText() ? xmlSafe(first.toText().data()) : QString();
}

QString attributeText(const QDomElement &element, const QString &name)
{
    return xmlSafe(element.attribute(name));
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

void writeElement(QXmlStreamWriter &w, const char *name, const QString &text)
{
    const QString safe = xmlSafe(text);
    if (safe.isEmpty() || !safe.trimmed().isEmpty()) {
        w.writeTextElement(QLatin1String(name), safe);
        return;
    }
    // The reader drops text that is only blanks; a CDATA section keeps it,
    // so that a password of one blank is still one blank after a restart.
    w.writeStartElement(QLatin1String(name));
    w.writeCDATA(safe);
    w.writeEndElement();
}

// Writes the whole document; false on a short or failed write.
bool writeAll(QFileDevice &file, const QByteArray &document)
{
    for (qint64 done = 0; done < document.size();) {
        const qint64 n = file.write(document.constData() + done, document.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

QString Preferences::configDir()
{
    return PrivateFiles::userRoot() + QStringLiteral("/v") + QuorixVersion::text() + QStringLiteral("/config");
}

QString Preferences::currentFile()
{
    return configDir() + QStringLiteral("/current-preferences.xml");
}

QString Preferences::adoptOlderSettings()
{
    return SettingsMigration::adoptOlder(PrivateFiles::userRoot(),
                                         QStringLiteral("v") + QuorixVersion::text());
}

QString Preferences::logsDir()
{
    return PrivateFiles::userRoot() + QStringLiteral("/v") + QuorixVersion::text() + QStringLiteral("/logs");
}

QString Preferences::defaultFile()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/config/default-preferences.xml");
}

QString Preferences::readWarningTitle()
{
    return tr("Error loading preferences");
}

QString Preferences::writeWarningTitle()
{
    return tr("Error writing preferences");
}

QString Preferences::read()
{
    return read(currentFile(), defaultFile());
}

QString Preferences::read(const QString &currentFile, const QString &defaultFile)
{
    lastIp.clear();
    lastHostName.clear();
    lastMac.clear();
    lastSerial.clear();
    lastModel.clear();
    fixHostnameOrIp.clear();
    fixSubnet.clear();
    selectionMode = 1;

    // A current file that exists is used even when it is broken: the default
    // file only seeds a user who has none.
    QString fileName = currentFile;
    if (!QFileInfo::exists(fileName)) {
        fileName = defaultFile;
        if (!QFileInfo::exists(fileName))
            return tr("Files not found :\n %1\n\nUsing built-in values.").arg(fileName);
    }

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return tr("File %1 cannot be opened for reading.\nUsing built-in values.").arg(fileName);
    const QByteArray content = file.readAll();
    file.close();
    return readContent(content, fileName);
}

QString Preferences::readContent(const QByteArray &content, const QString &fileName)
{
    if (content.isEmpty())
        return tr("Error while parsing %1:\nThe file doesn't look like a valid preferences file.\nUsing built-in values.")
            .arg(fileName);

    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(content, &message, &line, &column))
        return tr("Error while parsing %1 (Line %2, Column %3) :\n%4.\nUsing built-in values.")
            .arg(fileName, QString::number(line), QString::number(column), message);

    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("QUORIX"))
        return tr("Error while parsing %1 :\nThe file doesn't look like a valid preferences file.\nUsing built-in values.")
            .arg(fileName);

    for (QDomElement group = root.firstChildElement(); !group.isNull(); group = group.nextSiblingElement()) {
        const QString tag = group.tagName();
        if (tag == QLatin1String("LAST_TRACKBOX")) {
            const struct { const char *name; QString *field; } attributes[] = {
                {"IP", &lastIp}, {"HOSTNAME", &lastHostName}, {"MAC", &lastMac},
                {"SERIAL", &lastSerial}, {"MODEL", &lastModel}};
            for (const auto &a : attributes) {
                if (group.hasAttribute(QLatin1String(a.name)))
                    *a.field = attributeText(group, QLatin1String(a.name));
            }
        } else if (tag == QLatin1String("LAST_FRONTEND_UPDATE")) {
            const QString date = attributeText(group, QStringLiteral("UPDATE_DATE"));
            if (!date.isEmpty())
                lastFrontendUpdate = QDateTime::fromString(date, DateFormat);
        } else {
            for (QDomElement key = group.firstChildElement(); !key.isNull(); key = key.nextSiblingElement())
                applyGroupKey(tag, key.tagName(), elementText(key));
        }
    }
    return QString();
}

void Preferences::applyGroupKey(const QString &group, const QString &key, const QString &text)
{
    const bool isTrue = text == QLatin1String("true");
    if (group == QLatin1String("TRACKBOX_SELECTION")) {
        if (key == QLatin1String("FIX_HOSTNAME_OR_IP"))
            fixHostnameOrIp = text;
        else if (key == QLatin1String("FIX_SUBNET"))
            fixSubnet = text;
        else if (key == QLatin1String("NET_RANGE"))
            selectionMode = text == QLatin1String("specific_bqc") ? 1 : text == QLatin1String("local") ? 2 : 0;
        else if (key == QLatin1String("CASCADED_SYSTEM"))
            cascadedSystem = isTrue;
    } else if (group == QLatin1String("CAMERA_SETTINGS")) {
        if (key == QLatin1String("SHOW_DYNAMIC_REFLEX_SUPPRESSION"))
            showDynamicReflexSuppression = isTrue;
    } else if (group == QLatin1String("MENUE")) {
        if (key == QLatin1String("SHOW_SERVICE"))
            showServiceMenu = isTrue;
        else if (key == QLatin1String("IS_DARK_THEME"))
            darkTheme = isTrue;
    } else if (group == QLatin1String("LOG_FILE")) {
        if (key == QLatin1String("ENABLED"))
            commandsLogEnabled = isTrue;
        else if (key == QLatin1String("NAME"))
            commandsLogName = text;
        else if (key == QLatin1String("RESPONSE_PREFIX"))
            commandsLogResponsePrefix.clear();   // recognised, but the prefix is not taken from the file
    } else if (group == QLatin1String("MISC")) {
        if (key == QLatin1String("AUTO_BACKUP"))
            autoBackup = isTrue;
        else if (key == QLatin1String("NOTIFY_OLD_FRONTEND_OR_BACKEND"))
            notifyOldFrontendOrBackend = text != QLatin1String("false");
        else if (key == QLatin1String("EXTERNAL_COMMAND_TIMEOUT_MS"))
            externalCommandTimeoutUs = unsigned(timeoutMs(text) * 1000);
        else if (key == QLatin1String("FRONTEND_PASSWORD"))
            frontendPassword = text;
        else if (key == QLatin1String("RECORDER_MINUTES")) {
            bool ok = false;
            const int minutes = text.trimmed().toInt(&ok);
            if (ok)
                recorderMinutes = qBound(0, minutes, MaxRecorderMinutes);
        }
    }
}

QByteArray Preferences::buildDocument()
{
    if (!lastFrontendUpdate.isValid()) {
        const QDateTime now = QDateTime::currentDateTime();
        lastFrontendUpdate = now.addMSecs(-now.time().msec());
    }

    // Written by hand rather than through a DOM, which would put the
    // attributes in a different order in every run.
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(4);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("QUORIX"));

    w.writeEmptyElement(QStringLiteral("LAST_TRACKBOX"));
    w.writeAttribute(QStringLiteral("IP"), xmlSafe(lastIp));
    w.writeAttribute(QStringLiteral("HOSTNAME"), xmlSafe(lastHostName));
    w.writeAttribute(QStringLiteral("MAC"), xmlSafe(lastMac));
    w.writeAttribute(QStringLiteral("SERIAL"), xmlSafe(lastSerial));
    w.writeAttribute(QStringLiteral("MODEL"), xmlSafe(lastModel));

    w.writeStartElement(QStringLiteral("TRACKBOX_SELECTION"));
    writeElement(w, "FIX_HOSTNAME_OR_IP", fixHostnameOrIp);
    writeElement(w, "FIX_SUBNET", fixSubnet);
    // "local" (this computer) reads as "scan" in older front ends.
    writeElement(w, "NET_RANGE", selectionMode == 1   ? QStringLiteral("specific_bqc")
                                 : selectionMode == 2 ? QStringLiteral("local")
                                                      : QStringLiteral("scan"));
    w.writeComment(QStringLiteral(" possible values for NET_RANGE: scan, specific_bqc, local "));
    writeElement(w, "CASCADED_SYSTEM", boolText(cascadedSystem));
    w.writeEndElement();

    w.writeEmptyElement(QStringLiteral("LAST_FRONTEND_UPDATE"));
    w.writeAttribute(QStringLiteral("UPDATE_DATE"), lastFrontendUpdate.toString(DateFormat));

    w.writeStartElement(QStringLiteral("CAMERA_SETTINGS"));
    writeElement(w, "SHOW_DYNAMIC_REFLEX_SUPPRESSION", boolText(showDynamicReflexSuppression));
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("MENUE"));
    writeElement(w, "SHOW_SERVICE", boolText(showServiceMenu));
    writeElement(w, "IS_DARK_THEME", boolText(darkTheme));
    w.writeEndElement();

    if (!commandsLogName.isEmpty()) {
        w.writeStartElement(QStringLiteral("LOG_FILE"));
        writeElement(w, "ENABLED", boolText(commandsLogEnabled));
        writeElement(w, "NAME", commandsLogName);
        w.writeComment(QStringLiteral("File name without path!"));
        writeElement(w, "RESPONSE_PREFIX", commandsLogResponsePrefix);
        w.writeEndElement();
    }

    w.writeStartElement(QStringLiteral("MISC"));
    writeElement(w, "AUTO_BACKUP", boolText(autoBackup));
    if (!notifyOldFrontendOrBackend)
        writeElement(w, "NOTIFY_OLD_FRONTEND_OR_BACKEND", boolText(false));
    if (externalCommandTimeoutUs != DefaultCommandTimeoutUs)
        writeElement(w, "EXTERNAL_COMMAND_TIMEOUT_MS", QString::number(externalCommandTimeoutUs / 1000));
    if (!frontendPassword.isEmpty())
        writeElement(w, "FRONTEND_PASSWORD", frontendPassword);
    if (recorderMinutes != DefaultRecorderMinutes)
        writeElement(w, "RECORDER_MINUTES", QString::number(recorderMinutes));
    w.writeEndElement();

    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QString Preferences::write()
{
    return write(configDir(), currentFile());
}

QString Preferences::write(const QString &configDir, const QString &fileName)
{
    if (!PrivateFiles::makeDir(configDir))
        return tr("Directory %1 doesn't exist and cannot be created.").arg(configDir);

    const QByteArray document = buildDocument();
    // The new text goes to a temporary file that replaces the old one only
    // once complete: a crash or a full disk cannot leave a truncated file.
    // Unbuffered, so that a short write (disk full, size limit) is seen here
    // instead of being lost in the buffer and committed as a truncated file.
    // Where no temporary file can be made beside it (a directory the user may
    // not write to) the file itself may still be writable: then it is written
    // in place.
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return tr("File %1 cannot be opened for writing.").arg(fileName);
    if (!writeAll(file, document) || !file.commit())
        return tr("File %1 cannot be written.").arg(fileName);   // the old file stays as it was, unless written in place
    PrivateFiles::restrictFile(fileName);   // it may hold the front-end password
    return QString();
}
