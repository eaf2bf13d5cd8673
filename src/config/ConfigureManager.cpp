#include "config/ConfigureManager.h"

#include <array>

#include "guitoolkit/CGenericDS.h"

namespace apt {

namespace {

const std::array<const char*, 10> kKeyNames = {"Translator", "Languages",  "LogLevel", "VersionType", "PingThread",
                                               "TaskThread", "LogSaveDay", "Skin",     "Filter",      "AddressCheck"};

} // namespace

ConfigureManager::ConfigureManager() = default;
ConfigureManager::~ConfigureManager() = default;

QString ConfigureManager::keyName(int key) {
    if (key < 0 || key >= static_cast<int>(kKeyNames.size())) {
        return {};
    }
    return QString::fromLatin1(kKeyNames[static_cast<std::size_t>(key)]);
}

bool ConfigureManager::load(const QString& path) {
    // Emptied first: a failed load must not leave settings of an earlier file behind.
    m_entries.clear();
    OrvisGUIToolkit::CGenericDS root;
    if (!root.LoadXML(path)) {
        return false;
    }
    m_path = path;
    const int n = root.GetChildrenCount();
    for (int i = 0; i < n; ++i) {
        const OrvisGUIToolkit::CGenericDS item = root.GetChild(i);
        m_entries.push_back(
            std::make_unique<Configure>(item.GetName(), item.GetChildByName(QStringLiteral("Value")).GetValue()));
    }
    return true;
}

const Configure* ConfigureManager::find(int key) const {
    const QString name = keyName(key);
    if (name.isEmpty()) {
        return nullptr; // no element has an empty name
    }
    for (const auto& entry : m_entries) {
        if (entry->name() == name) {
            return entry.get();
        }
    }
    return nullptr;
}

unsigned ConfigureManager::language() const {
    const Configure* item = find(Translator);
    if (item == nullptr) {
        return 0;
    }
    bool ok = false;
    const unsigned value = item->value().toUInt(&ok, 10);
    return ok ? value : 0;
}

bool ConfigureManager::filterEnabled() const {
    const Configure* item = find(Filter);
    if (item == nullptr) {
        return false;
    }
    bool ok = false;
    return item->value().toInt(&ok, 10) == 1 && ok;
}

bool ConfigureManager::addressCheckEnabled() const {
    const Configure* item = find(AddressCheck);
    if (item == nullptr) {
        return true;
    }
    bool ok = false;
    return !(item->value().trimmed().toInt(&ok, 10) == 0 && ok);
}

} // namespace apt
