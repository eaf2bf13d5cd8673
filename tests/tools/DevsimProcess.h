#pragma once

// Shared by the tests: a vexa-devsim child process, a temporary folder, waiting for a condition with a deadline,
// one run of the command-line client.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testutil {

inline std::string binDir() {
    const char* dir = std::getenv("VEXA_BIN_DIR");
    return dir ? dir : ".";
}

// Ports from the block the test runner gave this test; offset 0 to 9.
inline int testPort(int offset) {
    const char* base = std::getenv("VEXA_TEST_PORT_BASE");
    return (base ? std::atoi(base) : 46100) + offset;
}

inline void usePort(int offset) {
    ::setenv("VEXA_PORT", std::to_string(testPort(offset)).c_str(), 1);
}

inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : "/tmp") + "/vexa-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        path_ = ::mkdtemp(buffer.data()) ? buffer.data() : "";
    }
    ~TempDir() {
        if (!path_.empty())
            std::system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
        if (pid_ > 0) {
            ::kill(pid_, SIGCONT);
            ::kill(pid_, SIGKILL);
            wait();
        }
    }

    bool start(const std::string& program, const std::vector<std::string>& args) {
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        return ::posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
    }

    bool startDevsim(const std::vector<std::string>& args) { return start(binDir() + "/vexa-devsim", args); }

    void signal(int sig) {
        if (pid_ > 0)
            ::kill(pid_, sig);
    }

    // Exit status, or -1 when it did not end in time (then it is killed).
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        if (pid_ <= 0)
            return -1;
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                pid_ = -1;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

inline bool fileExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

struct CliRun {
    int status = -1;
    std::string output;
};

// One run of the command-line client with nothing on stdin; its stderr joins the output unless dropped (a test
// that parses stdout keeps the client's summary out of it).
inline CliRun runVexa(const std::string& args, bool withErrors = true) {
    CliRun run;
    FILE* pipe =
        ::popen((binDir() + "/vexa " + args + (withErrors ? " 2>&1" : " 2>/dev/null") + " </dev/null").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace testutil
