#pragma once

// A stand-in ONVIF device that answers with texts recorded from devices this project did not write
// (tests/data/onvif-recorded, one file per operation). An operation without a recording gets ActionNotSupported
// with HTTP 500, as those devices answer it. SetScopes is kept: the recorded GetScopes answer then carries the
// new configurable scopes, in the recording's own prefixes.

#include <arpa/inet.h>
#include <fstream>
#include <microhttpd.h>
#include <mutex>
#include <netinet/in.h>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

class RecordedDevice {
public:
    RecordedDevice(std::string folder, std::string address, uint16_t port)
        : folder_(std::move(folder))
        , address_(std::move(address))
        , port_(port) {}
    ~RecordedDevice() {
        if (daemon_)
            MHD_stop_daemon(daemon_);
    }
    RecordedDevice(const RecordedDevice&) = delete;
    RecordedDevice& operator=(const RecordedDevice&) = delete;

    bool start() {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(port_);
        if (::inet_pton(AF_INET, address_.c_str(), &at.sin_addr) != 1)
            return false;
        daemon_ = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD, port_, nullptr, nullptr, &RecordedDevice::answer,
                                   this, MHD_OPTION_SOCK_ADDR, &at, MHD_OPTION_END);
        return daemon_ != nullptr;
    }

    std::string serviceUrl() const {
        return "http://" + address_ + ":" + std::to_string(port_) + "/onvif/device_service";
    }

    // A Hello from the device's own address to the WS-Discovery group, as the device would say it.
    bool hello(const std::string& endpoint, uint16_t wsdPort, const std::string& name) const {
        const std::string message =
            "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
            "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
            "xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\" "
            "xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\"><s:Header>"
            "<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Hello</a:Action>"
            "<a:MessageID>urn:uuid:" +
            std::to_string(port_) +
            "-hello</a:MessageID><a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>"
            "<d:AppSequence InstanceId=\"1\" MessageNumber=\"1\"/></s:Header><s:Body><d:Hello>"
            "<a:EndpointReference><a:Address>" +
            endpoint +
            "</a:Address></a:EndpointReference><d:Types>dn:NetworkVideoTransmitter</d:Types>"
            "<d:Scopes>onvif://www.onvif.org/name/" +
            name + "</d:Scopes><d:XAddrs>" + serviceUrl() +
            "</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion></d:Hello></s:Body></s:Envelope>";
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (fd < 0)
            return false;
        sockaddr_in from{};
        from.sin_family = AF_INET;
        ::inet_pton(AF_INET, address_.c_str(), &from.sin_addr);
        in_addr iface = from.sin_addr;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(wsdPort);
        ::inet_pton(AF_INET, "239.255.255.250", &to.sin_addr);
        const bool sent = ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
                          ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &iface, sizeof iface) == 0 &&
                          ::sendto(fd, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&to),
                                   sizeof to) == static_cast<ssize_t>(message.size());
        ::close(fd);
        return sent;
    }

    std::vector<std::string> scopesSet() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return scopesSet_;
    }

private:
    struct Request {
        std::string body;
    };

    static std::string localName(const char* name) {
        const char* colon = std::strrchr(name, ':');
        return colon ? colon + 1 : name;
    }
    static pugi::xml_node firstElement(pugi::xml_node node) {
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                return c;
        return {};
    }
    static pugi::xml_node child(pugi::xml_node node, const char* local) {
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element && localName(c.name()) == local)
                return c;
        return {};
    }

    std::string recording(const std::string& operation) const {
        std::ifstream file(folder_ + "/" + operation + ".xml", std::ios::binary);
        if (!file)
            return {};
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    static std::string envelope(const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope "
               "xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
               "xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\" "
               "xmlns:ter=\"http://www.onvif.org/ver10/error\"><s:Body>" +
               body + "</s:Body></s:Envelope>";
    }

    // The recorded answer, the kept scopes put in for the configurable ones.
    std::string answerFor(const std::string& operation, const pugi::xml_node& request, int& status) {
        status = 200;
        std::lock_guard<std::mutex> lock(mutex_);
        if (operation == "SetScopes" && !recording("GetScopes").empty()) {
            scopesSet_.clear();
            for (pugi::xml_node c = request.first_child(); c; c = c.next_sibling())
                if (localName(c.name()) == std::string("Scopes"))
                    scopesSet_.push_back(c.text().get());
            return envelope("<tds:SetScopesResponse/>");
        }
        std::string text = recording(operation);
        if (text.empty()) {
            status = 500;
            return envelope("<s:Fault><s:Code><s:Value>s:Receiver</s:Value><s:Subcode><s:Value>ter:ActionNotSupported"
                            "</s:Value></s:Subcode></s:Code><s:Reason><s:Text xml:lang=\"en\">Optional Action Not "
                            "Implemented</s:Text></s:Reason></s:Fault>");
        }
        pugi::xml_document doc;
        doc.load_string(text.c_str(), pugi::parse_default | pugi::parse_declaration);
        if (localName(doc.document_element().name()) != "Envelope")
            return envelope(text.substr(text.find('<', text.find("?>") == std::string::npos ? 0 : text.find("?>"))));
        if (operation != "GetScopes" || scopesSet_.empty())
            return text;
        pugi::xml_node response = firstElement(child(doc.document_element(), "Body"));
        pugi::xml_node pattern;
        for (pugi::xml_node s = response.first_child(); s;) {
            const pugi::xml_node next = s.next_sibling();
            if (s.type() == pugi::node_element && std::string(child(s, "ScopeDef").text().get()) == "Configurable") {
                pattern = pattern ? pattern : response.append_copy(s);
                response.remove_child(s);
            }
            s = next;
        }
        for (const std::string& scope : scopesSet_) {
            pugi::xml_node added = response.insert_copy_before(pattern, pattern);
            child(added, "ScopeItem").text() = scope.c_str();
        }
        response.remove_child(pattern);
        std::ostringstream out;
        doc.save(out, "", pugi::format_raw);
        return out.str();
    }

    static MHD_Result answer(void* self, MHD_Connection* connection, const char*, const char*, const char*,
                             const char* upload, size_t* uploadSize, void** context) {
        auto* device = static_cast<RecordedDevice*>(self);
        if (!*context) {
            *context = new Request;
            return MHD_YES;
        }
        auto* request = static_cast<Request*>(*context);
        if (*uploadSize) {
            request->body.append(upload, *uploadSize);
            *uploadSize = 0;
            return MHD_YES;
        }
        pugi::xml_document doc;
        doc.load_buffer(request->body.data(), request->body.size());
        const pugi::xml_node operation = firstElement(child(doc.document_element(), "Body"));
        int status = 200;
        const std::string text = device->answerFor(localName(operation.name()), operation, status);
        delete request;
        *context = nullptr;
        MHD_Response* response =
            MHD_create_response_from_buffer(text.size(), const_cast<char*>(text.data()), MHD_RESPMEM_MUST_COPY);
        MHD_add_response_header(response, "Content-Type", "application/soap+xml; charset=utf-8");
        const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(status), response);
        MHD_destroy_response(response);
        return queued;
    }

    std::string folder_;
    std::string address_;
    uint16_t port_;
    MHD_Daemon* daemon_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::string> scopesSet_;
};
