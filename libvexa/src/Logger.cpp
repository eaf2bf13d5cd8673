#include "Logger.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace vexa {

namespace {

std::mutex g_mutex;
std::FILE* g_file = nullptr;
std::string g_path;
std::atomic<int> g_level{LogOff};

} // namespace

Logger& Logger::instance() {
    static Logger logger;
    return logger;
}

Logger::~Logger() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_file)
        std::fclose(g_file);
    g_file = nullptr;
}

bool Logger::configure(int level, const std::string& path, bool truncate) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_file) {
        std::fclose(g_file);
        g_file = nullptr;
    }
    g_level = LogOff;
    if (level <= LogOff)
        return true;
    std::string target = path;
    if (target.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        target = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexa.log";
    }
    // The default lives in a shared temporary folder: never follow a link planted there (it would truncate or
    // fill a file of the caller's choosing), and keep the log to its owner.
    const int fd =
        ::open(target.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC | (truncate ? O_TRUNC : 0), 0600);
    if (fd < 0)
        return false;
    g_file = ::fdopen(fd, "a");
    if (!g_file) {
        ::close(fd);
        return false;
    }
    g_path = target;
    g_level = level > LogDebug ? LogDebug : level;
    return true;
}

bool Logger::enabled(int level) const {
    return level <= g_level.load(std::memory_order_relaxed);
}

std::string Logger::path() const {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_path;
}

void Logger::write(int level, const char* format, ...) {
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&seconds, &tm);
    static const char* names[] = {"", "ERROR", "INFO", "DEBUG"};
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_file)
        return;
    std::fprintf(g_file, "%04d-%02d-%02d %02d:%02d:%02d.%03d %s %s\n", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                 tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(millis), names[level < 1 || level > 3 ? 1 : level],
                 message);
    std::fflush(g_file);
}

} // namespace vexa
