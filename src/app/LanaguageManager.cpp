#include "app/LanaguageManager.h"

#include <QCoreApplication>
#include <QTranslator>

#include "config/ConfigureManager.h"
#include "guitoolkit/TargetPath.h"

namespace apt {

LanaguageManager::Files LanaguageManager::filesFor(unsigned language) {
    switch (language) {
    case 0:
        return {QStringLiteral("vexatool_en.qm"), QString(), QStringLiteral("VadoraVovovid_en.qm"), true,
                QLocale(QLocale::English, QLocale::UnitedStates)};
    case 1:
        return {QStringLiteral("vexatool_zh.qm"), QStringLiteral("qt_zh_CN.qm"),
                QStringLiteral("OrvisGUIToolkit_zh.qm"), true, QLocale(QLocale::Chinese, QLocale::China)};
    default:
        return {};
    }
}

LanaguageManager::LanaguageManager()
    : LanaguageManager(*ConfigureManager::GetInstance(),
                       OrvisGUIToolkit::GetTargetPath() + QStringLiteral("translations/")) {}

LanaguageManager::LanaguageManager(const ConfigureManager& configuration, const QString& translationsFolder) {
    m_language = configuration.language();
    const Files files = filesFor(m_language);
    if (files.setsLocale) {
        m_locale = files.locale;
    }
    // Installation order decides precedence: toolkit texts over framework texts over the application's.
    install(files.application, translationsFolder);
    if (!files.framework.isEmpty()) {
        install(files.framework, translationsFolder);
    }
    install(files.toolkit, translationsFolder);
}

LanaguageManager::~LanaguageManager() = default;

void LanaguageManager::install(const QString& fileName, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    // A missing file leaves an empty translator, which translates nothing; that is not worth reporting.
    if (!fileName.isEmpty()) {
        (void)translator->load(fileName, folder);
    }
    QCoreApplication::installTranslator(translator.get());
    m_translators.push_back(std::move(translator));
}

} // namespace apt
