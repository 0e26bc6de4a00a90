#include "GermanLocale.h"

#include <clocale>

GermanLocale::GermanLocale()
    : m_previousNumeric(std::setlocale(LC_NUMERIC, nullptr))
{
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            m_active = true;
            break;
        }
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

GermanLocale::~GermanLocale()
{
    std::setlocale(LC_NUMERIC, m_previousNumeric.constData());
    QLocale::setDefault(m_previousDefault);
}
