#pragma once

#include <memory>
#include <vector>

#include <QString>

#include "config/Configure.h"
#include "guitoolkit/CUiSingleton.h"

namespace apt {

// The settings read from Setup.xml beside the executable, as a flat list of named text values in file order.
// Loaded once at start-up on the GUI thread and only read afterwards; the program never writes the file.
//
// The program uses the one instance (GetInstance()); a store of its own can be built for tools and tests.
class ConfigureManager : public OrvisGUIToolkit::CUiSingleton<ConfigureManager> {
public:
    // Keys are numbers; each stands for an element name in the file.
    enum Key {
        Translator = 0,
        Languages = 1,
        LogLevel = 2,
        VersionType = 3,
        PingThread = 4,
        TaskThread = 5,
        LogSaveDay = 6,
        Skin = 7,
        Filter = 8,
        AddressCheck = 9
    };

    ConfigureManager();
    ~ConfigureManager() override;

    // Replaces the content with the file's items. False when the file cannot be read or parsed; the store is
    // then empty, and the path of the last good load is kept.
    bool load(const QString& path);

    // The first item whose name is the key's name, or null. Keys outside the table match nothing.
    const Configure* find(int key) const;
    static QString keyName(int key);

    // "Translator" as an unsigned decimal; 0 when missing or not a number.
    unsigned language() const;
    // True exactly when "Filter" reads as the integer 1.
    bool filterEnabled() const;
    // "Check that new addresses are free": on unless "AddressCheck" reads as the integer 0 (sites where probing
    // addresses is not allowed).
    bool addressCheckEnabled() const;

    int count() const { return static_cast<int>(m_entries.size()); }
    QString path() const { return m_path; }

private:
    std::vector<std::unique_ptr<Configure>> m_entries;
    QString m_path;
};

} // namespace apt
