#include "app/ToolsApplication.h"

#include <exception>

#include <QDebug>
#include <QDir>
#include <QFont>
#include <QHelpEvent>
#include <QIcon>
#include <QPluginLoader>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTextCodec>
#include <QToolTip>

#include "app/LanaguageManager.h"
#include "app/ScreenFit.h"
#include "appbase/ISkinPlugin.h"
#include "config/ConfigureManager.h"
#include "guitoolkit/CFile.h"
#include "guitoolkit/GuiText.h"
#include "guitoolkit/TargetPath.h"

namespace apt {

namespace {

const char* const kToolkitSheetFolder = ":/OrvisClient/Qss/Qss/OrvisGUIToolkit/";
const char* const kMacOnlySheet = "MacSpecial.qss";
const char* const kApplicationSheet = ":/OrvisClient/Qss/Qss/VEXATool/VEXATool.qss";
const char* const kApplicationIcon = ":/aptui/complex/Images/System/Complex/calculate.png";

QFont applicationFont(const char* family) {
    QFont font(QString::fromLatin1(family), 9);
    font.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    return font;
}

QString nonEmpty(const QVariant& value) {
    return value.isValid() ? value.toString() : QString();
}

} // namespace

ToolsApplication::ToolsApplication(const QString& id, int& argc, char** argv)
    : QtSingleApplication(id, argc, argv) {}

bool ToolsApplication::initialize() {
    ConfigureManager* configuration = ConfigureManager::GetInstance();
    (void)configuration->load(OrvisGUIToolkit::GetTargetPathFile(QStringLiteral("Setup.xml")));

    setFont(applicationFont("Microsoft YaHei"));

    QString skin = QString::fromLatin1(kDefaultSkin);
    if (const Configure* item = configuration->find(ConfigureManager::Skin)) {
        skin = item->value();
    }
    (void)loadSkin(OrvisGUIToolkit::GetTargetPath() + QStringLiteral("plugins/skins/"), skin);

    loadStyle();

    OrvisGUIToolkit::InitGuiTextCodec(QTextCodec::codecForLocale());
    LanaguageManager* languages = LanaguageManager::GetInstance();
    if (languages->currentLanguage() == 10) {
        setFont(applicationFont("Tahoma"));
    } else if (languages->currentLanguage() == 9) {
        setFont(applicationFont("Batang"));
    }
    OrvisGUIToolkit::InitGuiLocale(languages->locale());

    if (isRunning()) {
        showHint(tr("VEXA is already running."), aptui::HintBox::Message);
        return false;
    }

    QList<QRect> geometries;
    const QList<QScreen*> all = screens();
    for (const QScreen* screen : all) {
        geometries.append(screen->geometry());
    }
    if (ScreenFit::of(geometries).fits()) {
        setWindowIcon(QIcon(QString::fromLatin1(kApplicationIcon)));
        return true;
    }
    return showHint(tr("Display resolution less than 1024*768,are you sure to start the program?"),
                    aptui::HintBox::Question) == QDialog::Accepted;
}

bool ToolsApplication::loadSkin(const QString& folder, const QString& skinName) {
    bool found = false;
    if (!skinName.isNull()) {
        const QDir dir(folder);
        const QStringList files = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString& file : files) {
            QPluginLoader loader(QDir::cleanPath(dir.path() + QLatin1Char('/') + file));
            // instance() loads the library if needed; a library stays loaded once its resources are in use.
            QObject* instance = loader.instance();
            if (instance == nullptr) {
                continue;
            }
            const ISkinPlugin* plugin = qobject_cast<ISkinPlugin*>(instance);
            if (plugin != nullptr && plugin->keys().contains(skinName)) {
                found = true;
                break;
            }
        }
    }
    if (found) {
        qWarning("[Tool]LoadSkin = %s Success", qUtf8Printable(skinName));
    } else {
        qWarning("[Tool]LoadSkin = %s failed", qUtf8Printable(skinName));
    }
    return found;
}

void ToolsApplication::loadStyle() {
    QStyle* style = QStyleFactory::create(QString::fromLatin1(kStyleName));
    if (style == nullptr) {
        qDebug("[ToolsApplication::loadStyle]The CommonStyle does not exist.");
    } else {
        setStyle(style); // the application takes ownership
    }

    const QString folder = QString::fromLatin1(kToolkitSheetFolder);
    QStringList sheets = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    sheets.removeAll(QString::fromLatin1(kMacOnlySheet));
    // The program's own rules come last and so win over the toolkit's.
    const QString text = OrvisGUIToolkit::CFile::ReadAll(sheets, folder) +
                         OrvisGUIToolkit::CFile::ReadAll(QString::fromLatin1(kApplicationSheet));
    setStyleSheet(text);
}

int ToolsApplication::showHint(const QString& text, aptui::HintBox::Kind kind) {
    aptui::HintBox box(text, kind);
    box.setFixedSize(400, 256);
    qInfo().noquote() << "[Tool]Hint:" << text;
    return box.exec();
}

bool ToolsApplication::handleToolTip(QObject* receiver, QEvent* event) {
    // A widget that has a tool tip shows its own full text instead (for a combo box its current text), so
    // that clipped texts can be read; editors keep their tool tips, their text is already visible.
    if (nonEmpty(receiver->property("toolTip")).isEmpty() || receiver->inherits("QLineEdit")) {
        return false;
    }
    auto* help = static_cast<QHelpEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(receiver);
    for (const char* property : {"text", "currentText"}) {
        const QString text = nonEmpty(receiver->property(property));
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, widget);
            return true;
        }
    }
    return false;
}

bool ToolsApplication::notify(QObject* receiver, QEvent* event) {
    if (event->type() == QEvent::ApplicationFontChange) {
        return true;
    }
    if (event->type() == QEvent::ToolTip && receiver != nullptr && handleToolTip(receiver, event)) {
        return true;
    }
    try {
        return QtSingleApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        qWarning("[ToolsApplication::notify]exception in event %d: %s", static_cast<int>(event->type()), e.what());
    } catch (...) {
        qWarning("[ToolsApplication::notify]unknown exception in event %d", static_cast<int>(event->type()));
    }
    return false;
}

} // namespace apt
