#pragma once

#include <QString>

#include "appbase/QtSingleApplication.h"
#include "aptui/HintBox.h"

namespace apt {

// The application object: single-instance guard, start-up (settings, fonts, skin, style, style sheets, codec,
// language, instance and screen checks) and the program's event dispatch.
class ToolsApplication : public SharedTools::QtSingleApplication {
    Q_OBJECT

public:
    static constexpr const char* kApplicationId = "Tavlo Utility";
    static constexpr const char* kDefaultSkin = "CommonSkin";
    static constexpr const char* kStyleName = "CommonStyle";

    ToolsApplication(const QString& id, int& argc, char** argv);

    // Runs the start-up in its fixed order; false when the program must not go on.
    bool initialize();
    // The widget style and the application-wide style sheet: the toolkit's sheets, then the program's.
    void loadStyle();

    bool notify(QObject* receiver, QEvent* event) override;

    // Tries the plug-in libraries of folder in name order until one provides the skin; logs the outcome.
    static bool loadSkin(const QString& folder, const QString& skinName);
    // Shows the 400 x 256 hint box modally and returns its result (Accepted means yes for a question).
    static int showHint(const QString& text, aptui::HintBox::Kind kind);

private:
    bool handleToolTip(QObject* receiver, QEvent* event);
};

} // namespace apt
