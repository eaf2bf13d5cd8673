#include "RecordedDevice.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstring>
#include <fstream>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

#include "Soap.h"

namespace devsim::onvif {

namespace {

constexpr size_t kMaxBody = 65536;

std::string envelope(const std::string& body) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope xmlns:s=\"") + ns::kSoap12 +
           "\" xmlns:tds=\"" + ns::kDevice + "\" xmlns:ter=\"" + ns::kError + "\"><s:Body>" + body +
           "</s:Body></s:Envelope>";
}

pugi::xml_node firstElement(const pugi::xml_node& node) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            return c;
    return {};
}

MHD_Result answer(void* self, MHD_Connection* connection, const char*, const char*, const char*, const char* upload,
                  size_t* uploadSize, void** context) {
    return static_cast<RecordedDevice*>(self)->onRequest(connection, upload, uploadSize, context) ? MHD_YES : MHD_NO;
}

void completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    delete static_cast<std::string*>(*context);
    *context = nullptr;
}

} // namespace

RecordedDevice::RecordedDevice(std::string folder, std::string address, uint16_t port)
    : folder_(std::move(folder))
    , address_(std::move(address))
    , port_(port) {}

RecordedDevice::~RecordedDevice() {
    if (daemon_)
        MHD_stop_daemon(daemon_);
}

bool RecordedDevice::start(std::string& error) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port_);
    if (::inet_pton(AF_INET, address_.c_str(), &at.sin_addr) != 1 || (ntohl(at.sin_addr.s_addr) >> 24) != 127) {
        error = "a recorded device plays on a 127.x.y.z address, not " + address_;
        return false;
    }
    if (recording("GetDeviceInformation").empty()) {
        error = folder_ + " holds no GetDeviceInformation.xml";
        return false;
    }
    daemon_ =
        MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD, port_, nullptr, nullptr, &answer, this, MHD_OPTION_SOCK_ADDR,
                         &at, MHD_OPTION_NOTIFY_COMPLETED, &completed, nullptr, MHD_OPTION_END);
    if (!daemon_)
        error = "cannot serve on " + address_ + ":" + std::to_string(port_);
    return daemon_ != nullptr;
}

std::string RecordedDevice::serviceUrl() const {
    return "http://" + address_ + ":" + std::to_string(port_) + "/onvif/device_service";
}

bool RecordedDevice::hello(const std::string& endpoint, uint16_t wsdPort, const std::string& name) const {
    const std::string message =
        std::string("<s:Envelope xmlns:s=\"") + ns::kSoap12 + "\" xmlns:a=\"" + ns::kAddressing + "\" xmlns:d=\"" +
        ns::kDiscovery + "\" xmlns:dn=\"" + ns::kNetwork +
        "\"><s:Header><a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Hello</a:Action><a:MessageID>"
        "urn:uuid:" +
        std::to_string(port_) + "-" + address_ +
        "</a:MessageID><a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To><d:AppSequence InstanceId=\"1\" "
        "MessageNumber=\"1\"/></s:Header><s:Body><d:Hello><a:EndpointReference><a:Address>" +
        endpoint +
        "</a:Address></a:EndpointReference><d:Types>dn:NetworkVideoTransmitter</d:Types><d:Scopes>"
        "onvif://www.onvif.org/name/" +
        name + "</d:Scopes><d:XAddrs>" + serviceUrl() +
        "</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion></d:Hello></s:Body></s:Envelope>";
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in from{};
    from.sin_family = AF_INET;
    ::inet_pton(AF_INET, address_.c_str(), &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(wsdPort);
    ::inet_pton(AF_INET, "239.255.255.250", &to.sin_addr);
    // From its own address, as a camera speaks; the group stays on loopback.
    const bool sent = ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
                      ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &from.sin_addr, sizeof from.sin_addr) == 0 &&
                      ::sendto(fd, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
                          static_cast<ssize_t>(message.size());
    ::close(fd);
    return sent;
}

std::vector<std::string> RecordedDevice::scopesSet() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return scopesSet_;
}

std::string RecordedDevice::recording(const std::string& operation) const {
    // Operation names only: a request cannot name a path.
    for (const char c : operation)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return {};
    std::ifstream file(folder_ + "/" + operation + ".xml", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string RecordedDevice::answerFor(const std::string& operation, const pugi::xml_node& request, int& status) {
    status = 200;
    std::lock_guard<std::mutex> lock(mutex_);
    if (operation == "SetScopes" && !recording("GetScopes").empty()) {
        scopesSet_.clear();
        for (pugi::xml_node c = request.first_child(); c; c = c.next_sibling())
            if (localName(c) == "Scopes")
                scopesSet_.push_back(c.text().get());
        return envelope("<tds:SetScopesResponse/>");
    }
    const std::string text = recording(operation);
    if (text.empty()) {
        status = 500;
        return envelope("<s:Fault><s:Code><s:Value>s:Receiver</s:Value><s:Subcode><s:Value>ter:ActionNotSupported"
                        "</s:Value></s:Subcode></s:Code><s:Reason><s:Text xml:lang=\"en\">Optional Action Not "
                        "Implemented</s:Text></s:Reason></s:Fault>");
    }
    pugi::xml_document doc;
    doc.load_string(text.c_str());
    if (localName(doc.document_element()) != "Envelope") // a response element alone
        return envelope(text.substr(text.find('<', text.find("?>") == std::string::npos ? 0 : text.find("?>"))));
    if (operation != "GetScopes" || scopesSet_.empty())
        return text;
    // The configurable scopes replaced, each a copy of the first recorded one (kept aside, so that it is not
    // taken for a recorded one).
    pugi::xml_node response = firstElement(child(doc.document_element(), "Body"));
    pugi::xml_document aside;
    pugi::xml_node pattern;
    for (pugi::xml_node s = response.first_child(); s;) {
        const pugi::xml_node next = s.next_sibling();
        if (s.type() == pugi::node_element && childText(s, "ScopeDef") == "Configurable") {
            pattern = pattern ? pattern : aside.append_copy(s);
            response.remove_child(s);
        }
        s = next;
    }
    for (const std::string& scope : scopesSet_)
        child(response.append_copy(pattern), "ScopeItem").text() = scope.c_str();
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw);
    return out.str();
}

int RecordedDevice::onRequest(MHD_Connection* connection, const char* upload, size_t* uploadSize, void** context) {
    if (!*context) {
        *context = new std::string;
        return 1;
    }
    auto* body = static_cast<std::string*>(*context);
    if (*uploadSize) {
        if (body->size() + *uploadSize <= kMaxBody)
            body->append(upload, *uploadSize);
        *uploadSize = 0;
        return 1;
    }
    pugi::xml_document doc;
    doc.load_buffer(body->data(), body->size(), pugi::parse_default & ~pugi::parse_doctype);
    const pugi::xml_node operation = firstElement(child(doc.document_element(), "Body"));
    int status = 200;
    const std::string text = answerFor(operation ? localName(operation) : std::string(), operation, status);
    MHD_Response* response =
        MHD_create_response_from_buffer(text.size(), const_cast<char*>(text.data()), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return 0;
    MHD_add_response_header(response, "Content-Type", "application/soap+xml; charset=utf-8");
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(status), response);
    MHD_destroy_response(response);
    return queued == MHD_YES;
}

} // namespace devsim::onvif
