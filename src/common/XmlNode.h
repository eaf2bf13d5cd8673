#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QString>

// A handle on one element of an XML document loaded from a file. Copies and child nodes share the one
// document, so a change made through any of them is saved by any of them.
class XmlNode {
public:
    XmlNode() = default;

    // Reads and parses a file; the node becomes its root element. A file that opens but does not parse
    // still loads (true) and leaves a null root with no children.
    bool load(const QString& path);
    // Writes the whole document in GB2312, always under a declaration that names that encoding, so that
    // the file reads back as written. The file is replaced whole or not at all: a text GB2312 cannot carry,
    // an unwritable folder or a failed write returns false and leaves the previous file as it was.
    bool save(const QString& path) const;

    bool isNull() const { return m_element.isNull(); }
    int childElementCount() const;
    XmlNode childElement(int index) const;
    // First element with the tag anywhere below this one, in document order.
    XmlNode firstElementByTag(const QString& tag) const;
    // First child element with the tag (directly below this one), or a null node.
    XmlNode childElement(const QString& tag) const;
    // The element's first text child.
    QString text() const;
    // All text below the element, in document order.
    QString allText() const;
    QString tagName() const;
    // Sets the element's first text child to a decimal number, creating it when there is none.
    bool setNumber(int value);

private:
    XmlNode(const QDomElement& element, const QDomDocument& document);

    QDomElement m_element;
    QDomDocument m_document;
};
