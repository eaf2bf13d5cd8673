#include "CommonSkinPlugin.h"

QStringList CommonSkinPlugin::keys() const {
    return {QStringLiteral("CommonSkin")};
}
