#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// Points HOME at a private temporary directory for the life of the object, so
// that per-user files written by a test never touch the real home directory.
class TestHome
{
public:
    TestHome();
    ~TestHome();

    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};
