#include "TargetCsv.h"

#include <QCoreApplication>
#include <QList>
#include <QSaveFile>

namespace TargetCsv {

namespace {

bool isTargetKey(const QByteArray &key)
{
    return key == "6d" || key == "6df" || key == "6df2" || key == "6dmt" || key == "6dmt2" || key == "6dmtr"
        || key == "3d";
}

// The numbers of one "[…]" block, each checked to be one.
bool numbers(const QByteArray &block, QList<QByteArray> *out)
{
    *out = block.simplified().split(' ');
    if (out->size() == 1 && out->front().isEmpty())
        out->clear();
    for (const QByteArray &n : *out) {
        bool ok = false;
        n.toDouble(&ok);
        if (!ok)
            return false;
    }
    return true;
}

// The "[…]" blocks of a target, which are written without a space between them.
QList<QByteArray> blocks(const QByteArray &target)
{
    QList<QByteArray> out;
    int at = 0;
    while (at < target.size() && target[at] == '[') {
        const int end = target.indexOf(']', at);
        if (end < 0)
            break;
        out << target.mid(at + 1, end - at - 1);
        at = end + 1;
    }
    return out;
}

void appendTarget(QByteArray *out, const QByteArray &prefix, const QByteArray &key, const QByteArray &target)
{
    const QList<QByteArray> parts = blocks(target);
    if (parts.size() < 2)
        return;
    QList<QByteArray> head, position, rotation;
    if (!numbers(parts[0], &head) || head.size() < 2 || !numbers(parts[1], &position) || position.size() < 3)
        return;
    if (head[1].toDouble() < 0)
        return;   // not tracked in this frame
    if (key != "3d" && (parts.size() < 3 || !numbers(parts[2], &rotation) || rotation.size() != 9))
        rotation.clear();
    *out += prefix + key + ',' + head[0] + ',' + head[1] + ',' + position[0] + ',' + position[1] + ',' + position[2];
    for (int i = 0; i < 9; ++i)
        *out += ',' + (i < rotation.size() ? rotation[i] : QByteArray());
    *out += '\n';
}

} // namespace

QByteArray header()
{
    return "time,frame,kind,id,quality,x,y,z,r0,r1,r2,r3,r4,r5,r6,r7,r8\n";
}

QByteArray rows(const QByteArray &datagram, qint64 timeUs, qint64 startUs)
{
    QByteArray frame;
    QList<QByteArray> lines = datagram.split('\n');
    for (QByteArray &line : lines) {
        line = line.trimmed();
        if (line.startsWith("fr ")) {
            bool ok = false;
            const qulonglong n = line.mid(3).trimmed().toULongLong(&ok);
            if (ok)
                frame = QByteArray::number(n);
        }
    }
    const QByteArray prefix = QByteArray::number(double(timeUs - startUs) / 1e6, 'f', 6) + ',' + frame + ',';
    QByteArray out;
    for (const QByteArray &line : qAsConst(lines)) {
        const int space = line.indexOf(' ');
        if (space <= 0 || !isTargetKey(line.left(space)))
            continue;
        const QByteArray key = line.left(space);
        // Targets start with " [", their blocks follow each other directly.
        int at = line.indexOf(" [", space);
        while (at >= 0) {
            const int next = line.indexOf(" [", at + 2);
            appendTarget(&out, prefix, key, line.mid(at + 1, next < 0 ? -1 : next - at - 1));
            at = next;
        }
    }
    return out;
}

bool write(const std::vector<ChannelRecord> &records, qint64 startUs, QIODevice *out)
{
    if (out->write(header()) < 0)
        return false;
    for (const ChannelRecord &r : records) {
        if (r.kind != ChannelRecord::Kind::Data || r.timeUs < startUs)
            continue;
        const QByteArray text = rows(r.text, r.timeUs, startUs);
        if (!text.isEmpty() && out->write(text) != text.size())
            return false;
    }
    return true;
}

bool save(const QString &path, const std::vector<ChannelRecord> &records, qint64 startUs, QString *error)
{
    QSaveFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly) || !write(records, startUs, &file) || !file.commit()) {
        *error = QCoreApplication::translate("TargetCsv", "The targets could not be saved as '%1': %2")
                     .arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace TargetCsv
