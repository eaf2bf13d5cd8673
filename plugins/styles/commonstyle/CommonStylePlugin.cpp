#include "CommonStylePlugin.h"

#include "CommonStyle.h"

QStyle* CommonStylePlugin::create(const QString& key) {
    if (key.compare(QLatin1String("CommonStyle"), Qt::CaseInsensitive) == 0)
        return new CommonStyle;
    return nullptr;
}
