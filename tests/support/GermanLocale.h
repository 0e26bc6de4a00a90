#pragma once

#include <QByteArray>
#include <QLocale>

// A German desktop for the lifetime of the object: the C library's numeric
// locale (what strtod and printf follow) and Qt's default locale. The previous
// ones come back on destruction. isActive() is false when the machine has no
// German locale; a test must then fail, not pass without having checked.
class GermanLocale
{
public:
    GermanLocale();
    ~GermanLocale();
    GermanLocale(const GermanLocale &) = delete;
    GermanLocale &operator=(const GermanLocale &) = delete;

    bool isActive() const { return m_active; }

private:
    QByteArray m_previousNumeric;
    QLocale m_previousDefault;
    bool m_active = false;
};
