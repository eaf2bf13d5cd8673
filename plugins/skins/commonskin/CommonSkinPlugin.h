#pragma once

#include <QObject>

#include "appbase/ISkinPlugin.h"

// The default skin. Everything it provides lives in the resources compiled into this library: the style
// sheets under :/OrvisClient/Qss/Qss/ and the images under :/CommonSkin/ and :/aptui/complex/. They are
// registered as soon as the library is loaded, so loading it is all a host has to do.
class CommonSkinPlugin : public QObject, public ISkinPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ISkinPlugin_iid)
    Q_INTERFACES(ISkinPlugin)

public:
    QStringList keys() const override;
};
