#pragma once

// Reading SOAP by local names: devices use any prefixes and either SOAP version, so a prefix or a namespace URI
// never decides what an element is.

#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace vexa::onvif {

inline const char* localName(const char* qualified) {
    const char* colon = std::strrchr(qualified, ':');
    return colon ? colon + 1 : qualified;
}

inline bool isNamed(const pugi::xml_node& node, const char* local) {
    return node.type() == pugi::node_element && std::strcmp(localName(node.name()), local) == 0;
}

inline pugi::xml_node child(const pugi::xml_node& node, const char* local) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (isNamed(c, local))
            return c;
    return {};
}

inline std::vector<pugi::xml_node> children(const pugi::xml_node& node, const char* local) {
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (isNamed(c, local))
            out.push_back(c);
    return out;
}

// The node at a path of local names below node, e.g. path(n, {"IPv4", "Config", "Manual"}).
inline pugi::xml_node path(pugi::xml_node node, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        node = child(node, name);
        if (!node)
            break;
    }
    return node;
}

// Element text with surrounding white space removed.
inline std::string text(const pugi::xml_node& node) {
    std::string value = node.text().get();
    const auto first = value.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = value.find_last_not_of(" \t\r\n");
    return value.substr(first, last - first + 1);
}

inline bool isTrue(const pugi::xml_node& node) {
    const std::string value = text(node);
    return value == "true" || value == "1";
}

// xs:list values (Types, Scopes, XAddrs): separated by any white space.
inline std::vector<std::string> splitList(const std::string& value) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < value.size()) {
        const size_t start = value.find_first_not_of(" \t\r\n", at);
        if (start == std::string::npos)
            break;
        size_t end = value.find_first_of(" \t\r\n", start);
        if (end == std::string::npos)
            end = value.size();
        out.push_back(value.substr(start, end - start));
        at = end;
    }
    return out;
}

// The SOAP body of a parsed envelope (SOAP 1.1 or 1.2), or a null node.
inline pugi::xml_node soapBody(const pugi::xml_document& doc) {
    const pugi::xml_node envelope = doc.document_element();
    if (!isNamed(envelope, "Envelope"))
        return {};
    return child(envelope, "Body");
}

inline pugi::xml_node soapHeader(const pugi::xml_document& doc) {
    return child(doc.document_element(), "Header");
}

inline pugi::xml_node firstElement(const pugi::xml_node& node) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            return c;
    return {};
}

// Parses untrusted bytes. pugixml expands only the predefined entities, so a DOCTYPE cannot make it grow.
inline bool parseXml(pugi::xml_document& doc, const char* data, size_t size) {
    const pugi::xml_parse_result result =
        doc.load_buffer(data, size, pugi::parse_default & ~pugi::parse_doctype, pugi::encoding_utf8);
    return result && doc.document_element();
}

} // namespace vexa::onvif
