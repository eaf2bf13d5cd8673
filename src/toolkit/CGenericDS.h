#pragma once

#include <QDomElement>
#include <QString>

namespace OrvisGUIToolkit {

// A read-only view of one XML element. Copies are cheap and share the parsed document, so a child taken
// from a node stays valid after the node itself is gone.
class CGenericDS {
public:
    CGenericDS() = default;

    // Parses the file; on success this node becomes its root element. On failure the node is unchanged.
    bool LoadXML(const QString& path);

    bool IsNull() const { return m_element.isNull(); }
    int GetChildrenCount() const;
    // Child elements by position; an index out of range gives an empty node.
    CGenericDS GetChild(int index) const;
    // The first child element with that tag, or an empty node.
    CGenericDS GetChildByName(const QString& name) const;
    QString GetName() const;
    // The element's text; empty for an empty node.
    QString GetValue() const;

private:
    explicit CGenericDS(const QDomElement& element);

    QDomElement m_element;
};

} // namespace OrvisGUIToolkit
