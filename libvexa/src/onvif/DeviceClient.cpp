#include "DeviceClient.h"

#include <cstdio>
#include <curl/curl.h>
#include <mutex>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <optional>
#include <vector>

#include "../Logger.h"
#include "CertificatePins.h"
#include "HttpDigest.h"
#include "UsernameToken.h"
#include "WsDiscovery.h"
#include "vexa.h"

namespace vexa::onvif {

namespace {

// A fault's reason is for a person to read; a device cannot make us keep more of it.
constexpr size_t kMaxDetail = 256;

// Larger than any device management answer; a bigger one is refused rather than buffered.
constexpr size_t kMaxAnswer = 1024 * 1024;

struct Sink {
    std::string* body;
    std::string* challenge;
    size_t limit = kMaxAnswer;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (sink->body->size() + n > sink->limit)
        return 0;
    sink->body->append(data, n);
    return n;
}

size_t readHeader(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    static const char name[] = "www-authenticate:";
    if (n > sizeof name && n < 4096) {
        const std::string line(data, n);
        std::string head = line.substr(0, sizeof name - 1);
        for (char& c : head)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string value = line.substr(sizeof name - 1);
        value.erase(value.find_last_not_of(" \t\r\n") + 1);
        // The first Digest challenge; a device may offer Basic too, which we never answer.
        if (head == name && sink->challenge->empty() && !parseDigestChallenge(value).empty())
            *sink->challenge = value;
    }
    return n;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return cancel && cancel->load() ? 1 : 0;
}

struct PinCheck {
    CertificatePins* pins;
    const std::string* key;
    bool refused = false;
};

// The leaf certificate's SHA-256 against the device's pin; a mismatch breaks the handshake before a byte is sent.
int checkPin(X509_STORE_CTX* store, void* user) {
    auto* check = static_cast<PinCheck*>(user);
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!leaf || X509_digest(leaf, EVP_sha256(), digest, &size) != 1 || size != 32)
        return 0;
    if (check->pins->check(*check->key, std::string(reinterpret_cast<char*>(digest), size)))
        return 1;
    check->refused = true;
    X509_STORE_CTX_set_error(store, X509_V_ERR_CERT_REJECTED);
    return 0;
}

CURLcode pinContext(CURL*, void* context, void* user) {
    auto* ctx = static_cast<SSL_CTX*>(context);
    // Verification on, so that a refusal ends the handshake; checkPin is the whole of it.
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_cert_verify_callback(ctx, checkPin, user);
    return CURLE_OK;
}

// A note is one line for a person: the device's words with control characters shown, not obeyed, and bounded.
constexpr size_t kMaxNote = 512;

std::string inert(const std::string& words) {
    std::string out;
    for (const char c : words) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string failureText(const CallResult& r) {
    switch (r.code) {
    case VEXA_ERR_NOT_SUPPORTED:
        return "not supported";
    case VEXA_ERR_NEED_CREDENTIALS:
        return "needs a login";
    case VEXA_ERR_DEVICE_REFUSED:
        return r.detail.empty() ? "login refused" : "login refused (" + inert(r.detail) + ")";
    case VEXA_ERR_TIMEOUT:
        return "no answer in time";
    case VEXA_ERR_CONNECTION:
        return "no connection";
    case VEXA_ERR_BAD_ANSWER:
        return "unexpected answer";
    default:
        return r.detail.empty() ? "fault" : inert(r.detail);
    }
}

std::string joinNote(const std::vector<std::string>& notes) {
    std::string out;
    for (const std::string& one : notes)
        out += (out.empty() ? "" : "; ") + one;
    if (out.size() > kMaxNote) {
        size_t cut = kMaxNote - 3;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xc0) == 0x80)
            --cut; // never half a character
        out = out.substr(0, cut) + "...";
    }
    return out;
}

void wipeString(std::string& s) {
    volatile char* p = s.data();
    for (size_t i = 0; i < s.size(); ++i)
        p[i] = 0;
    s.clear();
}

} // namespace

void Credentials::wipe() {
    wipeString(user);
    wipeString(password);
}

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

DeviceClient::DeviceClient(const std::atomic<bool>* cancel, std::chrono::milliseconds timeout)
    : cancel_(cancel)
    , timeout_(timeout) {
    initCurl();
    curl_ = curl_easy_init();
}

DeviceClient::~DeviceClient() {
    if (curl_)
        curl_easy_cleanup(curl_);
}

DeviceClient::Http DeviceClient::post(const std::string& url, const char* operation, const std::string& body,
                                      const std::string& authorization, const std::string& pinKey, size_t limit) {
    Http http;
    if (!curl_) {
        http.curlError = CURLE_FAILED_INIT;
        return http;
    }
    // The device's time budget bounds every request of it.
    auto timeout = timeout_;
    if (deadline_ != std::chrono::steady_clock::time_point::max()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            http.curlError = CURLE_OPERATION_TIMEDOUT;
            return http;
        }
        timeout = std::min(timeout, left);
    }
    CURL* c = curl_;
    curl_easy_reset(c);
    Sink sink{&http.body, &http.challenge, limit ? limit : kMaxAnswer};
    const std::string contentType =
        operation ? "Content-Type: application/soap+xml; charset=utf-8; action=\"" + soapAction(operation) + "\""
                  : std::string("Accept: image/jpeg, image/*");
    curl_slist* headers = curl_slist_append(nullptr, contentType.c_str());
    headers = curl_slist_append(headers, "Expect:");
    std::string authorizationHeader;
    if (!authorization.empty()) {
        authorizationHeader = "Authorization: " + authorization;
        headers = curl_slist_append(headers, authorizationHeader.c_str());
    }
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_NOPROXY, "*"); // never through a proxy: the devices are on the local link
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    if (operation) {
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    } else {
        curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(c, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, readHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &sink);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel_));
    // Devices carry self-made certificates that nothing can verify: the first one a device shows is pinned, and a
    // later other one refused (docs/protocol.md, threat model). Without a pin key HTTPS keeps out passive
    // listeners only.
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 0L);
    PinCheck pin{pins_, &pinKey};
    if (pins_ && !pinKey.empty()) {
        curl_easy_setopt(c, CURLOPT_SSL_CTX_FUNCTION, pinContext);
        curl_easy_setopt(c, CURLOPT_SSL_CTX_DATA, &pin);
        // A resumed session shows no certificate.
        curl_easy_setopt(c, CURLOPT_SSL_SESSIONID_CACHE, 0L);
    }
    const CURLcode rc = curl_easy_perform(c);
    http.curlError = rc;
    http.pinRefused = pin.refused;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &http.status);
    double connectTime = 0;
    curl_easy_getinfo(c, CURLINFO_CONNECT_TIME, &connectTime);
    http.connected = connectTime > 0 || http.status != 0;
    curl_slist_free_all(headers);
    return http;
}

CallResult DeviceClient::call(Session& session, const char* operation, const std::function<void(pugi::xml_node)>& fill,
                              const Credentials* credentials, bool anonymousOnly) {
    CallResult result;
    Auth mode = anonymousOnly ? Auth::None : session.auth;
    const bool haveCredentials = credentials && !credentials->empty();
    if (mode != Auth::None && !haveCredentials)
        mode = Auth::None;
    if (session.noToken && mode == Auth::Token)
        mode = session.digestChallenge.empty() ? Auth::None : Auth::Digest;
    std::string uri = "/";
    if (const auto url = parseUrl(session.url))
        uri = url->path;
    // A device that gives its local time as UTC checks tokens against its real clock: dated by ours, once.
    bool ourClock = false;
    bool challengeOfThisCall = false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        Token token;
        const bool withToken = mode == Auth::Token;
        if (withToken) {
            token.user = credentials->user;
            token.password = credentials->password;
            token.deviceNow =
                std::chrono::system_clock::now() + (ourClock ? std::chrono::seconds(0) : session.clockOffset);
        }
        std::string body = buildRequest(operation, fill, withToken ? &token : nullptr);
        wipeString(token.password);
        if (body.empty()) {
            result.code = VEXA_ERR_NETWORK; // no randomness for a nonce
            return result;
        }
        std::string authorization;
        if (mode == Auth::Digest && !session.digestChallenge.empty()) {
            const std::vector<uint8_t> cnonce = newNonce();
            authorization = digestAuthorization(parseDigestChallenge(session.digestChallenge), credentials->user,
                                                credentials->password, "POST", uri, ++session.digestCount,
                                                base64(cnonce.data(), cnonce.size()));
        }
        const Http http = post(session.url, operation, body, authorization, session.pinKey);
        const bool answeredChallenge = !authorization.empty();
        wipeString(authorization);
        result.reached = result.reached || http.connected;
        if (http.curlError != CURLE_OK) {
            if (http.pinRefused)
                result.code = VEXA_ERR_CERTIFICATE_CHANGED;
            else if (cancel_ && cancel_->load())
                result.code = VEXA_ERR_NOT_STARTED;
            else if (http.curlError == CURLE_OPERATION_TIMEDOUT)
                result.code = VEXA_ERR_TIMEOUT;
            else if (http.curlError == CURLE_WRITE_ERROR)
                result.code = VEXA_ERR_BAD_ANSWER;
            else if (http.connected)
                result.code = VEXA_ERR_TIMEOUT; // the connection broke with the request sent
            else
                result.code = VEXA_ERR_CONNECTION;
            VEXA_LOG(LogDebug, "%s %s: %s", session.url.c_str(), operation,
                     curl_easy_strerror(static_cast<CURLcode>(http.curlError)));
            return result;
        }
        result.answer = Answer();
        const bool parsed = parseAnswer(http.body.data(), http.body.size(), result.answer);
        const bool notAuthorized =
            http.status == 401 || (parsed && result.answer.fault && isNotAuthorized(*result.answer.fault));
        if (notAuthorized) {
            if (result.answer.fault)
                result.detail = result.answer.fault->reason.substr(0, kMaxDetail);
            // A fresh challenge (a first one, or a new nonce for a stale one) is worth one more try. A new nonce
            // after an answer to one of this call's own is a wrong password unless marked stale: trying again would
            // cost a sign-in each time, and devices lock out after a few.
            std::string stale = parseDigestChallenge(http.challenge)["stale"];
            for (char& c : stale)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const bool freshChallenge = http.status == 401 && !http.challenge.empty() &&
                                        (!answeredChallenge || (http.challenge != session.digestChallenge &&
                                                                (!challengeOfThisCall || stale == "true")));
            if (freshChallenge) {
                challengeOfThisCall = true;
                session.digestChallenge = http.challenge;
                session.digestCount = 0;
                session.noToken = true; // it offers Digest: the device's nonce, never a token it could replay
            }
            if (!anonymousOnly && haveCredentials) {
                if (mode == Auth::None && (freshChallenge || !session.noToken)) {
                    mode = freshChallenge ? Auth::Digest : Auth::Token;
                    continue;
                }
                if (freshChallenge) {
                    mode = Auth::Digest;
                    continue;
                }
                if (mode == Auth::Token && !ourClock &&
                    std::chrono::abs(session.clockOffset) > std::chrono::minutes(1)) {
                    ourClock = true;
                    continue;
                }
            }
            result.code = mode == Auth::None ? VEXA_ERR_NEED_CREDENTIALS : VEXA_ERR_DEVICE_REFUSED;
            return result;
        }
        if (!parsed || !result.answer.response) {
            result.code = http.status >= 200 && http.status < 300    ? VEXA_ERR_BAD_ANSWER
                          : http.status == 404 || http.status == 405 ? VEXA_ERR_NOT_SUPPORTED
                                                                     : VEXA_ERR_DEVICE_FAULT;
            result.detail = "HTTP " + std::to_string(http.status);
            return result;
        }
        if (!anonymousOnly)
            session.auth = mode;
        if (ourClock)
            session.clockOffset = std::chrono::seconds(0);
        if (result.answer.fault) {
            result.code = faultToCode(*result.answer.fault);
            result.detail = result.answer.fault->reason.substr(0, kMaxDetail);
            return result;
        }
        result.code = 0;
        result.detail.clear();
        return result;
    }
    result.code = VEXA_ERR_DEVICE_REFUSED;
    return result;
}

CallResult DeviceClient::get(Session& session, const std::string& url, const Credentials* credentials, size_t maxBytes,
                             std::string& body) {
    CallResult result;
    const auto parsed = parseUrl(url);
    if (!parsed) {
        result.code = VEXA_ERR_BAD_ARGUMENT;
        return result;
    }
    const bool haveCredentials = credentials && !credentials->empty();
    std::string authorization;
    std::string answered; // the challenge our last Authorization answered
    for (int attempt = 0; attempt < 3; ++attempt) {
        Http http = post(url, nullptr, std::string(), authorization, session.pinKey, maxBytes);
        const bool sent = !authorization.empty();
        wipeString(authorization);
        result.reached = result.reached || http.connected;
        if (http.curlError != CURLE_OK) {
            result.code = http.pinRefused                              ? VEXA_ERR_CERTIFICATE_CHANGED
                          : cancel_ && cancel_->load()                 ? VEXA_ERR_NOT_STARTED
                          : http.curlError == CURLE_WRITE_ERROR        ? VEXA_ERR_BAD_ANSWER
                          : http.curlError == CURLE_OPERATION_TIMEDOUT ? VEXA_ERR_TIMEOUT
                          : http.connected                             ? VEXA_ERR_TIMEOUT
                                                                       : VEXA_ERR_CONNECTION;
            if (http.curlError == CURLE_WRITE_ERROR)
                result.detail = "larger than " + std::to_string(maxBytes / 1024) + " KiB";
            return result;
        }
        if (http.status == 401) {
            // A first challenge, or a new nonce for a stale one, is answered; the same one again: a wrong login.
            if (haveCredentials && !http.challenge.empty() && http.challenge != answered) {
                answered = http.challenge;
                session.digestChallenge = http.challenge;
                session.digestCount = 0;
                session.noToken = true;
                const std::vector<uint8_t> cnonce = newNonce();
                authorization = digestAuthorization(parseDigestChallenge(http.challenge), credentials->user,
                                                    credentials->password, "GET", parsed->path, ++session.digestCount,
                                                    base64(cnonce.data(), cnonce.size()));
                continue;
            }
            result.code = sent ? VEXA_ERR_DEVICE_REFUSED : VEXA_ERR_NEED_CREDENTIALS;
            return result;
        }
        if (http.status < 200 || http.status >= 300) {
            result.code = http.status == 404 ? VEXA_ERR_NOT_SUPPORTED : VEXA_ERR_DEVICE_FAULT;
            result.detail = "HTTP " + std::to_string(http.status);
            return result;
        }
        body = std::move(http.body);
        result.code = 0;
        return result;
    }
    result.code = VEXA_ERR_DEVICE_REFUSED;
    return result;
}

CallResult DeviceClient::readDetails(Session& session, const Credentials* credentials, DeviceDetails& out) {
    // Each read stands alone: a fault or an odd answer loses that read's fields and is named in the note.
    std::vector<std::string> notes;
    auto lose = [&](uint8_t bit, const char* operation, const std::string& why) {
        out.missing |= bit;
        notes.push_back(std::string(operation) + ": " + why);
    };
    auto finish = [&](CallResult r) {
        out.note = joinNote(notes);
        return r;
    };
    out.missing = 0;
    out.note.clear();
    // The clock first, without credentials: a token dated by our clock fails on a device whose clock is off.
    auto sent = std::chrono::system_clock::now();
    CallResult r = call(session, "GetSystemDateAndTime", nullptr, credentials, true);
    if (r.code == VEXA_ERR_CONNECTION || r.code == VEXA_ERR_TIMEOUT || r.code == VEXA_ERR_NOT_STARTED) {
        lose(VEXA_READ_CLOCK, "GetSystemDateAndTime", failureText(r));
        return finish(std::move(r));
    }
    // Some devices keep even their clock behind the login.
    if (r.code == VEXA_ERR_NEED_CREDENTIALS && credentials && !credentials->empty()) {
        sent = std::chrono::system_clock::now();
        r = call(session, "GetSystemDateAndTime", nullptr, credentials);
    }
    std::chrono::system_clock::time_point deviceUtc;
    if (r.code == 0 && readSystemDateAndTime(r.answer.response, deviceUtc)) {
        session.clockOffset = std::chrono::duration_cast<std::chrono::seconds>(deviceUtc - midway(sent));
    } else {
        lose(VEXA_READ_CLOCK, "GetSystemDateAndTime", r.code == 0 ? "unexpected answer" : failureText(r));
    }
    std::string host;
    if (const auto url = parseUrl(session.url))
        host = url->host;
    struct Step {
        const char* operation;
        uint8_t bit;
        std::function<bool(const pugi::xml_node&)> read;
        std::function<std::string()> gap; // what an answer of the right shape still lacked
    };
    const Step steps[] = {
        {"GetDeviceInformation", VEXA_READ_INFORMATION,
         [&](const pugi::xml_node& n) { return readDeviceInformation(n, out); }, nullptr},
        {"GetNetworkInterfaces", VEXA_READ_INTERFACES,
         [&](const pugi::xml_node& n) { return readNetworkInterfaces(n, host, out); },
         [&] { return interfaceGap(out); }},
        {"GetNetworkDefaultGateway", VEXA_READ_GATEWAY,
         [&](const pugi::xml_node& n) { return readDefaultGateway(n, out); }, nullptr},
        {"GetNetworkProtocols", VEXA_READ_PROTOCOLS,
         [&](const pugi::xml_node& n) { return readNetworkProtocols(n, out); }, nullptr},
        {"GetScopes", VEXA_READ_SCOPES, [&](const pugi::xml_node& n) { return onvif::readScopes(n, out); }, nullptr},
    };
    bool anyRead = false;
    bool signedIn = false; // a read succeeded with the login: a refusal of another read is about that read
    std::optional<CallResult> refusal, failure;
    unsigned refusals = 0;
    for (const Step& step : steps) {
        // A login refused twice before any read passed it would be refused again: each try is a wrong sign-in,
        // and devices lock out after a few. (Once may be a nonce the device forgot on a restart.)
        if (refusals >= 2 && !signedIn) {
            lose(step.bit, step.operation, "not tried after the refused login");
            continue;
        }
        r = call(session, step.operation, nullptr, credentials);
        if (r.code == VEXA_ERR_NOT_STARTED)
            return finish(std::move(r));
        if (r.code == VEXA_ERR_NEED_CREDENTIALS || r.code == VEXA_ERR_DEVICE_REFUSED) {
            refusals += r.code == VEXA_ERR_DEVICE_REFUSED ? 1 : 0;
            lose(step.bit, step.operation, failureText(r));
            if (!refusal)
                refusal = std::move(r);
            continue;
        }
        if (r.code != 0 || !step.read(r.answer.response)) {
            lose(step.bit, step.operation, r.code == 0 ? "unexpected answer" : failureText(r));
            if (!failure) {
                if (r.code == 0) {
                    r.code = VEXA_ERR_BAD_ANSWER;
                    r.detail = std::string("unexpected answer to ") + step.operation;
                }
                failure = std::move(r);
            }
            continue;
        }
        anyRead = true;
        signedIn = signedIn || session.auth != Auth::None;
        if (step.gap) {
            const std::string gap = step.gap();
            if (!gap.empty())
                lose(step.bit, step.operation, gap);
        }
    }
    // Refused without a read that the login passed: the login is what is missing, not some details.
    if (refusal && !signedIn)
        return finish(std::move(*refusal));
    if (!anyRead && failure)
        return finish(std::move(*failure));
    CallResult done;
    done.reached = true;
    return finish(std::move(done));
}

} // namespace vexa::onvif
