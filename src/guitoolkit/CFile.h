#pragma once

#include <QString>
#include <QStringList>

namespace OrvisGUIToolkit {

class CFile {
public:
    // The whole file as UTF-8 text; empty when it cannot be read.
    static QString ReadAll(const QString& path);
    // The named files of folder, joined in list order; unreadable files contribute nothing.
    static QString ReadAll(const QStringList& names, const QString& folder);
};

} // namespace OrvisGUIToolkit
