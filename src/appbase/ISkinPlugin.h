#pragma once

#include <QStringList>
#include <QtPlugin>

// A skin is a plug-in library in plugins/skins/ that carries the program's style sheets and images as
// resources; loading the library registers them. The program only asks which skins a plug-in provides.
class ISkinPlugin {
public:
    virtual ~ISkinPlugin() = default;
    // Names of the skins this plug-in provides, e.g. "CommonSkin".
    virtual QStringList keys() const = 0;
};

#define ISkinPlugin_iid "com.ISkinPlugin/1.1"
Q_DECLARE_INTERFACE(ISkinPlugin, ISkinPlugin_iid)
