#include "guitoolkit/CGenericDS.h"

namespace OrvisGUIToolkit {

bool CGenericDS::LoadXML(const QString& path) {
    XmlNode root;
    // XmlNode loads a file that does not parse as an empty document; here that is a failure.
    if (!root.load(path) || root.isNull())
        return false;
    m_node = root;
    return true;
}

} // namespace OrvisGUIToolkit
