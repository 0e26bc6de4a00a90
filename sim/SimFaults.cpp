#include "SimFaults.h"

#include "SimMotion.h"

namespace {

QByteArray stripPrefix(QByteArray text)
{
    static const QByteArray prefix("quorix2 ");
    if (text.startsWith(prefix))
        text.remove(0, prefix.size());
    return text;
}

} // namespace

const QVector<SimFaults::Option>& SimFaults::options()
{
    static const QVector<Option> list = {
        {"fault-delay", "MS[:PATTERN]", "delay replies by MS milliseconds (only commands matching PATTERN)"},
        {"fault-no-reply", "PATTERN", "never answer commands matching PATTERN (repeatable)"},
        {"fault-drop-after", "N", "close a TCP connection when it sends its command N+1"},
        {"fault-reset-after", "N", "reset a TCP connection when it sends its command N+1"},
        {"fault-error", "PATTERN", "answer commands matching PATTERN with an err reply (repeatable)"},
        {"fault-long-reply", "PATTERN", "answer commands matching PATTERN with a reply of 199 bytes or more (repeatable)"},
        {"fault-long-reply-length", "N", "length of those replies, 199..4000 (default 230)"},
        {"fault-garbage", "PATTERN", "answer commands matching PATTERN with binary garbage (repeatable)"},
        {"fault-datagram-size", "N", "pad every measurement datagram to N bytes, up to 65000"},
        {"fault-split-reply", "MS", "send every TCP reply in two parts, MS milliseconds apart (1..10000)"},
        {"fault-no-zero", "yes|no", "end TCP replies without their zero byte"},
        {"fault-jitter", "MS", "let every TCP and UDP reply wait a further 0..MS milliseconds (0..60000), at random "
                               "but the same in every run; replies on one connection keep their order"},
        {"fault-jitter-seed", "N", "seed of those waits, 0..4294967295 (default 1)"},
        {"fault-duplicate", "MS[:PATTERN]", "send every reply (only to commands matching PATTERN) a second time, MS "
                                            "milliseconds after the first (0..60000, 0: straight after)"},
        {"fault-cut-close", "PATTERN", "answer TCP commands matching PATTERN with the first half of the reply, "
                                       "without its zero byte, then close the connection (repeatable)"},
        {"fault-cut-reset", "PATTERN", "answer TCP commands matching PATTERN with the first half of the reply, "
                                       "without its zero byte, then reset the connection (RST) (repeatable)"},
        {"fault-tcp-blackhole", "yes|no", "answer UDP commands but leave TCP connection attempts unanswered, so that "
                                          "a connect hangs until the client gives up"},
        {"fault-stranger-data", "ADDR", "a second sender on ADDR (another port than the stream's) sends a copy of "
                                        "every measurement datagram to the same target, with its \"fr\" number "
                                        "1000000 higher and every position 1000 mm further along x; off: none"},
    };
    return list;
}

bool SimFaults::applyOption(const QString& name, const QString& rawValue, QString* error)
{
    const QString value = rawValue.trimmed();
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(name, why);
        return false;
    };
    auto number = [&](const QString& text, int low, int high, int* out) {
        bool ok = false;
        const int v = text.toInt(&ok);
        if (!ok || v < low || v > high)
            return fail(QStringLiteral("expected a number from %1 to %2").arg(low).arg(high));
        *out = v;
        return true;
    };
    auto pattern = [&](QStringList* list) {
        if (value.isEmpty())
            return fail(QStringLiteral("expected a command pattern"));
        list->append(value);
        return true;
    };

    if (name == QLatin1String("fault-delay")) {
        const int colon = value.indexOf(QLatin1Char(':'));
        if (!number(colon < 0 ? value : value.left(colon), 0, 600000, &replyDelayMs))
            return false;
        delayPattern = colon < 0 ? QString() : value.mid(colon + 1).trimmed();
        return true;
    }
    if (name == QLatin1String("fault-no-reply"))
        return pattern(&noReply);
    if (name == QLatin1String("fault-drop-after"))
        return number(value, 0, 1000000000, &dropAfter);
    if (name == QLatin1String("fault-reset-after"))
        return number(value, 0, 1000000000, &resetAfter);
    if (name == QLatin1String("fault-error"))
        return pattern(&errorReplies);
    if (name == QLatin1String("fault-long-reply"))
        return pattern(&longReplies);
    if (name == QLatin1String("fault-long-reply-length"))
        return number(value, 199, 4000, &longReplyLength);
    if (name == QLatin1String("fault-garbage"))
        return pattern(&garbageReplies);
    if (name == QLatin1String("fault-datagram-size"))
        return number(value, 0, 65000, &datagramSize);
    if (name == QLatin1String("fault-split-reply"))
        return number(value, 0, 10000, &splitReplyMs);
    if (name == QLatin1String("fault-no-zero")) {
        if (value != QLatin1String("yes") && value != QLatin1String("no"))
            return fail(QStringLiteral("expected yes or no"));
        noZero = value == QLatin1String("yes");
        return true;
    }
    if (name == QLatin1String("fault-jitter"))
        return number(value, 0, 60000, &jitterMs);
    if (name == QLatin1String("fault-jitter-seed")) {
        bool ok = false;
        const uint seed = value.toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("expected a number from 0 to 4294967295"));
        jitterSeed = seed;
        return true;
    }
    if (name == QLatin1String("fault-duplicate")) {
        const int colon = value.indexOf(QLatin1Char(':'));
        if (!number(colon < 0 ? value : value.left(colon), 0, 60000, &duplicateMs))
            return false;
        duplicatePattern = colon < 0 ? QString() : value.mid(colon + 1).trimmed();
        return true;
    }
    if (name == QLatin1String("fault-cut-close"))
        return pattern(&cutClose);
    if (name == QLatin1String("fault-cut-reset"))
        return pattern(&cutReset);
    if (name == QLatin1String("fault-tcp-blackhole")) {
        if (value != QLatin1String("yes") && value != QLatin1String("no"))
            return fail(QStringLiteral("expected yes or no"));
        tcpBlackhole = value == QLatin1String("yes");
        return true;
    }
    if (name == QLatin1String("fault-stranger-data")) {
        if (value == QLatin1String("off")) {
            strangerData = QHostAddress();
            return true;
        }
        // Only a plain IPv4 address names one sender: "any" would send from
        // whatever address the route picks, perhaps the simulator's own.
        QHostAddress a;
        if (!a.setAddress(value) || a.protocol() != QAbstractSocket::IPv4Protocol || a == QHostAddress::AnyIPv4
            || a == QHostAddress::Broadcast || a.isMulticast())
            return fail(QStringLiteral("expected an IPv4 address of this machine such as 127.0.0.99, or off"));
        strangerData = a;
        return true;
    }
    return fail(QStringLiteral("unknown option"));
}

bool SimFaults::any() const
{
    return replyDelayMs > 0 || !noReply.isEmpty() || dropAfter > 0 || resetAfter > 0 || !errorReplies.isEmpty()
        || !longReplies.isEmpty() || !garbageReplies.isEmpty() || datagramSize > 0
        || splitReplyMs > 0 || noZero || jitterMs > 0 || duplicateMs >= 0 || !cutClose.isEmpty()
        || !cutReset.isEmpty() || tcpBlackhole || !strangerData.isNull();
}

int SimFaults::jitterFor(bool udp, quint32 n) const
{
    if (jitterMs <= 0)
        return 0;
    const quint32 h = SimMotion::mix(jitterSeed * 0x9e3779b9U ^ SimMotion::mix(n * 2U + (udp ? 1U : 0U)));
    return int(h % quint32(jitterMs + 1));
}

bool SimFaults::matches(const QString& pattern, const QByteArray& command)
{
    const QByteArray p = stripPrefix(pattern.trimmed().toLatin1());
    return !p.isEmpty() && stripPrefix(command).startsWith(p);
}

bool SimFaults::matchesAny(const QStringList& patterns, const QByteArray& command)
{
    for (const QString& p : patterns)
        if (matches(p, command))
            return true;
    return false;
}
