#include "TestHome.h"

#include <QtGlobal>

TestHome::TestHome()
    : m_previous(qgetenv("HOME"))
{
    qputenv("HOME", m_dir.path().toLocal8Bit());
}

TestHome::~TestHome()
{
    qputenv("HOME", m_previous);
}
