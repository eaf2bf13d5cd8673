// vexa-keytool: makes manufacturer keys, certifies devices, signs reset keys and issues security codes.
// Results go to stdout (one line, nothing else, so that scripts can use them); notes go to stderr.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "vexa_crypto.h"

namespace vc = vexa::crypto;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* const kUsage = R"(Usage: vexa-keytool COMMAND [OPTIONS]

Manufacturer keys
  keygen --secret FILE --public FILE   make a manufacturer key pair (the secret file gets mode 0600)
  master-secret --out FILE             make a master secret for security codes (mode 0600)
  pubkey (--secret FILE | --public FILE | --test)
                                       print the public key in the form VEXA_TRUSTED_KEYS takes
  test-keys --dir DIR                  write the TEST ONLY key pair and master secret into DIR

Devices and password recovery
  certify (--secret FILE | --test) --serial SERIAL --mac MAC --device-key KEY
                                       print a device certificate (base64url)
  sign (--secret FILE | --test) [--now UNIX_SECONDS] [REQUEST_FILE | -]
                                       sign a key request document (file, or stdin) into a reset key
  code (--master FILE | --test) --serial SERIAL [--date YYYYMMDD]
                                       print the security code of a device for a day (default: today, UTC)

--test uses the published TEST ONLY key pair or master secret: for the simulator, tests and demos, never for
real devices. Files are never overwritten.
)";

struct Args {
    std::string command;
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
    bool test = false;
};

// Options taking a value; --test is the only flag.
const char* const kValueOptions[] = {"--secret", "--public", "--out",        "--dir", "--serial",
                                     "--mac",    "--date",   "--device-key", "--now", "--master"};

bool takesValue(const std::string& name) {
    for (const char* option : kValueOptions) {
        if (name == option)
            return true;
    }
    return false;
}

std::optional<Args> parseArgs(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    Args args;
    args.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--test") {
            args.test = true;
        } else if (takesValue(arg)) {
            if (i + 1 >= argc || args.options.count(arg) != 0)
                return std::nullopt;
            args.options[arg] = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return std::nullopt;
        } else {
            args.positional.push_back(arg);
        }
    }
    return args;
}

int usage() {
    std::cerr << kUsage;
    return kExitUsage;
}

int fail(const std::string& message) {
    std::cerr << "vexa-keytool: " << message << "\n";
    return kExitFailed;
}

void noteTestOnly() {
    std::cerr << "vexa-keytool: using the TEST ONLY manufacturer material\n";
}

// The signing key from --secret FILE or --test (exactly one).
std::optional<vc::KeyPair> signingKey(const Args& args, std::string& error) {
    const auto it = args.options.find("--secret");
    if ((it != args.options.end()) == args.test) {
        error = "give exactly one of --secret FILE and --test";
        return std::nullopt;
    }
    if (args.test) {
        noteTestOnly();
        return vc::testManufacturerKeyPair();
    }
    return vc::loadSecretKeyFile(it->second, &error);
}

// The folder resolved (the files themselves do not exist yet) plus the name.
std::string resolvedPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char buffer[PATH_MAX];
    if (!::realpath(dir.c_str(), buffer))
        return path;
    return std::string(buffer) + "/" + name;
}

bool sameFile(const std::string& a, const std::string& b) {
    return a == b || resolvedPath(a) == resolvedPath(b);
}

int keygen(const Args& args) {
    const auto secret = args.options.find("--secret");
    const auto pub = args.options.find("--public");
    if (secret == args.options.end() || pub == args.options.end() || args.test || !args.positional.empty())
        return usage();
    // One file cannot hold both halves: the public write would fail on the secret file just made.
    if (sameFile(secret->second, pub->second))
        return fail("--secret and --public name the same file");
    // Check both paths first: a secret key written without its public half would be an orphan.
    for (const std::string& path : {secret->second, pub->second}) {
        if (::access(path.c_str(), F_OK) == 0)
            return fail(path + ": exists; key files are never overwritten");
    }
    const vc::KeyPair key = vc::generateKeyPair();
    std::string error;
    if (!vc::saveSecretKeyFile(secret->second, key, &error))
        return fail(error);
    if (!vc::savePublicKeyFile(pub->second, key.publicKey, &error)) {
        // No secret key without its public half left behind: nobody could tell what it is for.
        ::unlink(secret->second.c_str());
        return fail(error);
    }
    std::cout << vc::publicKeyToText(key.publicKey) << "\n";
    return kExitOk;
}

int masterSecret(const Args& args) {
    const auto out = args.options.find("--out");
    if (out == args.options.end() || args.test || !args.positional.empty())
        return usage();
    std::string error;
    if (!vc::saveMasterSecretFile(out->second, vc::generateMasterSecret(), &error))
        return fail(error);
    return kExitOk;
}

int pubkey(const Args& args) {
    const auto pub = args.options.find("--public");
    std::string error;
    if (pub != args.options.end()) {
        if (args.test || args.options.count("--secret") != 0)
            return usage();
        const auto key = vc::loadPublicKeyFile(pub->second, &error);
        if (!key)
            return fail(error);
        std::cout << vc::publicKeyToText(*key) << "\n";
        return kExitOk;
    }
    const auto key = signingKey(args, error);
    if (!key)
        return fail(error);
    std::cout << vc::publicKeyToText(key->publicKey) << "\n";
    return kExitOk;
}

int testKeys(const Args& args) {
    const auto dir = args.options.find("--dir");
    if (dir == args.options.end() || !args.positional.empty())
        return usage();
    const vc::KeyPair key = vc::testManufacturerKeyPair();
    const std::string base = dir->second + "/";
    std::string error;
    if (!vc::saveSecretKeyFile(base + "TEST-ONLY-manufacturer.key", key, &error) ||
        !vc::savePublicKeyFile(base + "TEST-ONLY-manufacturer.pub", key.publicKey, &error) ||
        !vc::saveMasterSecretFile(base + "TEST-ONLY-master.secret", vc::testMasterSecret(), &error))
        return fail(error);
    noteTestOnly();
    std::cout << vc::publicKeyToText(key.publicKey) << "\n";
    return kExitOk;
}

int certify(const Args& args) {
    const auto serial = args.options.find("--serial");
    const auto mac = args.options.find("--mac");
    const auto deviceKey = args.options.find("--device-key");
    if (serial == args.options.end() || mac == args.options.end() || deviceKey == args.options.end())
        return usage();
    std::string error;
    const auto key = signingKey(args, error);
    if (!key)
        return fail(error);
    vc::DeviceIdentity identity;
    identity.serial = serial->second;
    const auto parsedMac = vc::parseMac(mac->second);
    const auto parsedKey = vc::publicKeyFromText(deviceKey->second);
    if (!parsedMac || !parsedKey || !vc::isValidSerial(identity.serial))
        return fail("a serial of 1 to 48 printable characters, a MAC aa-bb-cc-dd-ee-ff and a public key are needed");
    identity.mac = *parsedMac;
    identity.devicePublicKey = *parsedKey;
    const auto certificate = vc::signCertificate(*key, identity);
    if (!certificate)
        return fail("cannot sign the certificate");
    std::cout << vc::toBase64Url(*certificate) << "\n";
    return kExitOk;
}

// Reads at most one byte more than a key request may have, so that an oversized input is noticed.
std::optional<std::string> readRequest(const Args& args, std::string& error) {
    const std::string path = args.positional.empty() ? "-" : args.positional.front();
    std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = path + ": cannot open";
        return std::nullopt;
    }
    std::string text(vc::kKeyRequestQrMaxSize + 1, '\0');
    const std::size_t got = std::fread(text.data(), 1, text.size(), file);
    if (file != stdin)
        std::fclose(file);
    if (got > vc::kKeyRequestQrMaxSize) {
        error = "the key request is longer than " + std::to_string(vc::kKeyRequestQrMaxSize) + " bytes";
        return std::nullopt;
    }
    text.resize(got);
    return text;
}

int signRequest(const Args& args) {
    if (args.positional.size() > 1)
        return usage();
    std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    if (const auto it = args.options.find("--now"); it != args.options.end()) {
        try {
            std::size_t used = 0;
            now = std::stoll(it->second, &used);
            if (used != it->second.size())
                return usage();
        } catch (const std::exception&) {
            return usage();
        }
    }
    std::string error;
    const auto key = signingKey(args, error);
    if (!key)
        return fail(error);
    const auto text = readRequest(args, error);
    if (!text)
        return fail(error);
    const auto request = vc::parseKeyRequest(*text);
    if (!request)
        return fail("not a valid key request document");
    if (request->expiry < now)
        return fail("the key request has expired; ask the installer for a new one");
    // A request that carries the device's key and certificate must come from a device this key certified.
    if (request->devicePublicKey) {
        const vc::DeviceIdentity identity{request->serial, request->mac, *request->devicePublicKey};
        if (!vc::verifyCertificate(identity, *request->certificate, {key->publicKey}))
            return fail("the device certificate in the request was not made with this key");
    }
    const auto resetKey = vc::signResetKey(*key, *request);
    if (!resetKey)
        return fail("cannot sign the key request");
    std::cerr << "vexa-keytool: key for serial " << request->serial << ", MAC " << vc::formatMac(request->mac)
              << ", valid until " << request->expiry << " (unix time)\n";
    std::cout << *resetKey << "\n";
    return kExitOk;
}

int code(const Args& args) {
    const auto serial = args.options.find("--serial");
    const auto masterFile = args.options.find("--master");
    if (serial == args.options.end() || (masterFile != args.options.end()) == args.test || !args.positional.empty())
        return usage();
    std::string date = vc::utcDate(static_cast<std::int64_t>(std::time(nullptr)));
    if (const auto it = args.options.find("--date"); it != args.options.end())
        date = it->second;
    if (!vc::isValidDate(date))
        return fail("the date must be a real day written YYYYMMDD");
    std::optional<vc::MasterSecret> master;
    std::string error;
    if (args.test) {
        noteTestOnly();
        master = vc::testMasterSecret();
    } else {
        master = vc::loadMasterSecretFile(masterFile->second, &error);
    }
    if (!master)
        return fail(error);
    const auto deviceSecret = vc::deriveDeviceSecret(*master, serial->second);
    if (!deviceSecret)
        return fail("a serial is 1 to 48 printable characters without spaces");
    const auto securityCode = vc::securityCode(*deviceSecret, date);
    if (!securityCode)
        return fail("cannot compute the code");
    std::cout << *securityCode << "\n";
    return kExitOk;
}

struct Command {
    const char* name;
    int (*run)(const Args&);
};
constexpr Command kCommands[] = {
    {"keygen", keygen},   {"master-secret", masterSecret}, {"pubkey", pubkey}, {"test-keys", testKeys},
    {"certify", certify}, {"sign", signRequest},           {"code", code},
};

} // namespace

int main(int argc, char** argv) {
    const auto args = parseArgs(argc, argv);
    if (!args)
        return usage();
    vc::init();
    const std::string& command = args->command;
    for (const Command& c : kCommands) {
        if (command == c.name)
            return c.run(*args);
    }
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return kExitOk;
    }
    return usage();
}
