// Replays every file of the given folders (or the given files) through the fuzz target, for builds without
// libFuzzer: the seed corpus runs in every test run, sanitizers included.

#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int replayFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return 0;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        struct stat st {};
        if (::stat(argv[i], &st) != 0) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(st.st_mode)) {
            count += replayFile(argv[i]);
            continue;
        }
        DIR* dir = ::opendir(argv[i]);
        while (dirent* entry = dir ? ::readdir(dir) : nullptr) {
            if (entry->d_name[0] != '.')
                count += replayFile(std::string(argv[i]) + "/" + entry->d_name);
        }
        if (dir)
            ::closedir(dir);
    }
    std::printf("replayed %d inputs\n", count);
    return count > 0 ? 0 : 1;
}
