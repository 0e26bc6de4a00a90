#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>

class IOManager;

namespace Configuration {

// Base of the settings records: each record writes itself as one XML element
// and reads itself back from it. This class supplies the document frame (the
// XML declaration and a "root" element carrying the format version) and the
// conversions between values and attributes.
class StoreXML
{
public:
    static const char *const FormatVersion;

    enum class LoadResult { NoFile, Rejected, Loaded };

    virtual ~StoreXML();
    virtual bool read(const QDomElement &element, int version) = 0;
    // Appends this record's element to 'parent'.
    virtual void write(QDomDocument &document, QDomElement &parent) = 0;

    // The reading of a file, on its content: an unreadable or malformed one
    // is reported on the channel (naming filePath) and changes nothing. The
    // element named 'element' below "root" is handed to read().
    LoadResult readContent(const QByteArray &content, const QString &filePath, const QString &element,
                           IOManager *channel);
    // The whole file as saveDocument() writes it.
    QByteArray content();

    // "00.00.01" → 1: three hexadecimal pairs; -1 unless exactly 8 characters.
    static int versionNumber(const QString &text);

protected:
    // Reads the file with readContent(); NoFile when it cannot be opened.
    LoadResult loadDocument(const QString &filePath, const QString &element, IOManager *channel);
    // Writes the whole file, replacing the old one only once the new content
    // is safely written; a failure is reported on the channel.
    bool saveDocument(const QString &filePath, IOManager *channel);

    static void writeInt(QDomElement &element, const QString &name, int value);
    static void writeBool(QDomElement &element, const QString &name, bool value);
    static void writeVector(QDomElement &element, const QString &name, const double (&value)[3]);
    // Missing attributes keep the current value.
    static void readInt(const QDomElement &element, const QString &name, int &value);
    static void readBool(const QDomElement &element, const QString &name, bool &value);
    static void readVector(const QDomElement &element, const QString &name, double (&value)[3]);
};

} // namespace Configuration
