#include "StoreXML.h"

#include "IOManager.h"
#include "PrivateFiles.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QSaveFile>

#include <locale>
#include <sstream>

namespace Configuration {

namespace {

void reportError(IOManager *channel, const QString &text)
{
    if (channel)
        channel->sendMessage("standard", "Quorix4", 1, text.toUtf8().constData());
}

} // namespace

const char *const StoreXML::FormatVersion = "00.00.01";

StoreXML::~StoreXML() = default;

int StoreXML::versionNumber(const QString &text)
{
    if (text.size() != 8)
        return -1;
    // Places 3 and 6 hold separators that nobody checks.
    const int major = text.mid(0, 2).toInt(nullptr, 16);
    const int minor = text.mid(3, 2).toInt(nullptr, 16);
    const int patch = text.mid(6, 2).toInt(nullptr, 16);
    return major * 65536 + minor * 256 + patch;
}

StoreXML::LoadResult StoreXML::loadDocument(const QString &filePath, const QString &element, IOManager *channel)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return LoadResult::NoFile;
    const QByteArray content = file.readAll();
    file.close();
    return readContent(content, filePath, element, channel);
}

StoreXML::LoadResult StoreXML::readContent(const QByteArray &content, const QString &filePath, const QString &element,
                                           IOManager *channel)
{
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    bool accepted = document.setContent(content, &message, &line, &column);
    if (!accepted) {
        qDebug().noquote() << "failed to load data from file " + filePath;
        qDebug().noquote() << QStringLiteral("error message: %1(%2,%3)").arg(message).arg(line).arg(column);
    }
    QDomElement root;
    if (accepted) {
        const QDomNodeList roots = document.elementsByTagName(QStringLiteral("root"));
        accepted = !document.firstChild().isNull() && roots.size() == 1;
        if (accepted) {
            root = roots.at(0).toElement();
            accepted = root.hasAttribute(QStringLiteral("version"))
                && versionNumber(root.attribute(QStringLiteral("version"))) >= 0;
        }
    }
    if (!accepted) {
        reportError(channel, QCoreApplication::translate("StoreXML", "Failed to read file \"%1\". Loading default Holoview settings")
                                 .arg(filePath));
        return LoadResult::Rejected;
    }

    const QDomElement top = root.firstChildElement(element);
    if (!top.isNull())
        read(top, versionNumber(root.attribute(QStringLiteral("version"))));
    return LoadResult::Loaded;
}

QByteArray StoreXML::content()
{
    QDomDocument document;
    document.appendChild(document.createProcessingInstruction(QStringLiteral("xml"),
                                                              QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement root = document.createElement(QStringLiteral("root"));
    root.setAttribute(QStringLiteral("version"), QString::fromLatin1(FormatVersion));
    document.appendChild(root);
    write(document, root);
    return document.toString(1).toUtf8();
}

bool StoreXML::saveDocument(const QString &filePath, IOManager *channel)
{
    const QByteArray bytes = content();
    // Unbuffered: a buffered write "succeeds" into memory, and a flush that
    // fails in commit() (disk full) would still replace the old file with a
    // cut one. Here the first short write stops the commit.
    QSaveFile file(filePath);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (qint64 done = 0; ok && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        ok = n > 0;
        done += n;
    }
    ok = ok && file.commit();
    if (ok)   // for the user alone, like everything in the host's per-user folder
        PrivateFiles::restrictFile(filePath);
    if (!ok) {
        reportError(channel, QCoreApplication::translate("StoreXML",
                                                         "Can't save Holoview settings to file: \"%1\". Error message: \"%2\"")
                                 .arg(filePath, file.errorString()));
    }
    return ok;
}

void StoreXML::writeInt(QDomElement &element, const QString &name, int value)
{
    element.setAttribute(name, QString::number(value));
}

void StoreXML::writeBool(QDomElement &element, const QString &name, bool value)
{
    element.setAttribute(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void StoreXML::writeVector(QDomElement &element, const QString &name, const double (&value)[3])
{
    element.setAttribute(name, QStringLiteral("%1 %2 %3")
                                   .arg(QString::number(value[0], 'g', 10), QString::number(value[1], 'g', 10),
                                        QString::number(value[2], 'g', 10)));
}

void StoreXML::readInt(const QDomElement &element, const QString &name, int &value)
{
    if (element.hasAttribute(name))
        value = element.attribute(name).toInt(nullptr, 10);
}

void StoreXML::readBool(const QDomElement &element, const QString &name, bool &value)
{
    if (element.hasAttribute(name))
        value = element.attribute(name).toInt(nullptr, 10) != 0;
}

void StoreXML::readVector(const QDomElement &element, const QString &name, double (&value)[3])
{
    if (!element.hasAttribute(name))
        return;
    // Stream extraction: the first number that cannot be read becomes 0, the
    // ones after it stay as they are.
    std::istringstream stream(element.attribute(name).toStdString());
    stream.imbue(std::locale::classic());
    for (double &v : value) {
        double read = 0.0;
        if (!(stream >> read)) {
            v = 0.0;
            break;
        }
        v = read;
    }
}

} // namespace Configuration
