#pragma once

#include <QByteArray>

// Cuts a client's TCP byte stream into commands. Commands end with a zero
// byte and may arrive split or several in one segment; a stray zero byte is
// no command. More than MaxCommand bytes without a zero byte are an overlong
// command: it is reported once and everything up to its zero byte dropped.
class SimCommandFramer
{
public:
    static constexpr int MaxCommand = 200;

    enum Result { NeedMore, Command, TooLong };

    void append(const QByteArray& bytes) { m_buffer.append(bytes); }
    // The next command (without its zero byte), or for TooLong its first
    // MaxCommand bytes.
    Result next(QByteArray* out);
    int buffered() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
    int m_start = 0; // where the unread bytes begin; the buffer is compacted now and then
    bool m_discarding = false;
};
