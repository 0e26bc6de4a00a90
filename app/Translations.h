#pragma once

#include <QString>
#include <QTranslator>

#include <memory>
#include <vector>

// The program's translations: every "*_de.qm" in the directory "lang" below
// the working directory, installed whatever the system locale. Removing the
// translation package is how a user gets the English texts back. Qt's own
// German catalogue comes along with ours, so that its dialogs and buttons
// speak the same language.
class Translations
{
public:
    // Installs the files of langDir (relative to the working directory unless
    // absolute) and keeps them installed for the life of this object.
    // The application object must exist.
    explicit Translations(const QString &langDir = QStringLiteral("lang"));
    // Qt's own catalogue is looked for in qtDir.
    Translations(const QString &langDir, const QString &qtDir);
    ~Translations();

    Translations(const Translations &) = delete;
    Translations &operator=(const Translations &) = delete;

    // Our own catalogues installed.
    int count() const { return static_cast<int>(m_translators.size()); }
    bool qtCatalogueInstalled() const { return m_qt != nullptr; }

private:
    std::vector<std::unique_ptr<QTranslator>> m_translators;
    std::unique_ptr<QTranslator> m_qt;
};
