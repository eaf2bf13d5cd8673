#include "toolkit/TargetPath.h"

#include <QCoreApplication>

namespace OrvisGUIToolkit {

QString GetTargetPath() {
    QString path = QCoreApplication::applicationDirPath();
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}

QString GetTargetPathFile(const QString& name) {
    return GetTargetPath() + name;
}

} // namespace OrvisGUIToolkit
