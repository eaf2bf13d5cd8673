#pragma once

#include <QUrl>

#include "app/CDlgAbout.h"

// The program's about panel in the main window's menu, and the way to its user manual.
class AboutDialog : public aptui::CDlgAbout {
    Q_OBJECT

public:
    explicit AboutDialog(QObject* parent = nullptr);

    // The manual for a language (0 English, 1 Chinese; any other: the folder itself), looked for in folder.
    static QString manualPath(const QString& folder, unsigned language);
    // Where the manual of the configured language is: the working folder, or beside the executable when the
    // working folder has none.
    static QUrl manualUrl();

signals:
    void signalCover();
    void signalDiscover();

public slots:
    // Opens the user manual with the system's viewer; true when it accepted the file, false when the
    // "No user manual found." box was shown instead.
    bool onGetHelp();
};
