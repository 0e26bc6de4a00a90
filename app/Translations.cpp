#include "Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

Translations::Translations(const QString &langDir)
    : Translations(langDir, QLibraryInfo::location(QLibraryInfo::TranslationsPath))
{
}

Translations::Translations(const QString &langDir, const QString &qtDir)
{
    const QDir lang(langDir);
    for (const QString &name : lang.entryList(QDir::Files, QDir::Name)) {
        if (!lang.filePath(name).endsWith(QLatin1String("_de.qm")))
            continue;
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(langDir + QLatin1Char('/') + name.left(name.size() - 3))) {
            QCoreApplication::installTranslator(translator.get());
            m_translators.push_back(std::move(translator));
        }
    }
    // Our German texts alone would leave Qt's own words in English: the
    // buttons of every question, the file dialogs, the text views' menus.
    if (!m_translators.empty()) {
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(QStringLiteral("qtbase_de"), qtDir)) {
            QCoreApplication::installTranslator(qt.get());
            m_qt = std::move(qt);
        }
    }
}

Translations::~Translations()
{
    if (m_qt)
        QCoreApplication::removeTranslator(m_qt.get());
    for (const auto &translator : m_translators)
        QCoreApplication::removeTranslator(translator.get());
}
