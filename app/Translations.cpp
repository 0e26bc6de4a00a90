#include "Translations.h"

#include <QCoreApplication>
#include <QDir>

Translations::Translations(const QString &langDir)
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
}

Translations::~Translations()
{
    for (const auto &translator : m_translators)
        QCoreApplication::removeTranslator(translator.get());
}
