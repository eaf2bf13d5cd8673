#pragma once

#include <memory>
#include <vector>

#include <QLocale>
#include <QString>

#include "guitoolkit/CUiSingleton.h"

class QTranslator;

namespace apt {

class ConfigureManager;

// Chooses the interface language from the configuration, installs its translation files into the application
// and holds the locale the toolkit is told to use. The language is fixed for the run; the translators are
// removed from the application when the manager is destroyed.
class LanaguageManager : public OrvisGUIToolkit::CUiSingleton<LanaguageManager> {
public:
    // The file names and locale of one language; empty names mean "no such file".
    struct Files {
        QString application;
        QString framework;
        QString toolkit;
        bool setsLocale = false;
        QLocale locale;
    };
    static Files filesFor(unsigned language);

    // The program's manager: language from the configuration store, files from "translations/" beside the
    // executable. Needs the application object.
    LanaguageManager();
    // A manager for the configuration given, with the translations folder given (ending in "/").
    LanaguageManager(const ConfigureManager& configuration, const QString& translationsFolder);
    ~LanaguageManager() override;

    unsigned currentLanguage() const { return m_language; }
    QLocale locale() const { return m_locale; }
    // Installed translators, oldest first (the application consults the newest first).
    const std::vector<std::unique_ptr<QTranslator>>& translators() const { return m_translators; }

private:
    void install(const QString& fileName, const QString& folder);

    QLocale m_locale;
    std::vector<std::unique_ptr<QTranslator>> m_translators;
    unsigned m_language = 0;
};

} // namespace apt
