#include "SimFaults.h"

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
    return fail(QStringLiteral("unknown option"));
}

bool SimFaults::any() const
{
    return replyDelayMs > 0 || !noReply.isEmpty() || dropAfter > 0 || resetAfter > 0 || !errorReplies.isEmpty()
        || !longReplies.isEmpty() || !garbageReplies.isEmpty() || datagramSize > 0
        || splitReplyMs > 0 || noZero;
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
