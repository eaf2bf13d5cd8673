#pragma once

#include <QString>

#include "common/XmlNode.h"

namespace OrvisGUIToolkit {

// A read-only view of one XML element: the toolkit's names over XmlNode, which reads the file (legacy encodings
// too). Copies are cheap and share the parsed document, so a child taken from a node stays valid after the node
// itself is gone.
class CGenericDS {
public:
    CGenericDS() = default;

    // Parses the file; on success this node becomes its root element. On failure the node is unchanged.
    bool LoadXML(const QString& path);

    bool IsNull() const { return m_node.isNull(); }
    int GetChildrenCount() const { return m_node.childElementCount(); }
    // Child elements by position; an index out of range gives an empty node.
    CGenericDS GetChild(int index) const { return CGenericDS(m_node.childElement(index)); }
    // The first child element with that tag, or an empty node.
    CGenericDS GetChildByName(const QString& name) const { return CGenericDS(m_node.childElement(name)); }
    QString GetName() const { return m_node.tagName(); }
    // The element's text; empty for an empty node.
    QString GetValue() const { return m_node.allText(); }

private:
    explicit CGenericDS(const XmlNode& node)
        : m_node(node) {}

    XmlNode m_node;
};

} // namespace OrvisGUIToolkit
