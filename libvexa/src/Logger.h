#pragma once

// The library's log file. Process-wide, thread-safe; off until VEXA_SetLogToFile asks for it.

#include <string>

namespace vexa {

enum LogLevel { LogOff = 0, LogError = 1, LogInfo = 2, LogDebug = 3 };

class Logger {
public:
    static Logger& instance();

    // Empty path: vexa.log in the temporary folder ($TMPDIR, else /tmp). truncate: start a fresh file.
    bool configure(int level, const std::string& path, bool truncate);
    bool enabled(int level) const;
    void write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    std::string path() const;

private:
    Logger() = default;
    ~Logger();
};

} // namespace vexa

#define VEXA_LOG(level, ...)                                                                                           \
    do {                                                                                                               \
        if (::vexa::Logger::instance().enabled(level))                                                                 \
            ::vexa::Logger::instance().write(level, __VA_ARGS__);                                                      \
    } while (false)
