#pragma once

// Shared pieces of the fuzz targets: a check that stops the run with a message
// when an invariant breaks, and a scratch directory for the layers that only
// read and write files.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace trgui::fuzz {

// abort() makes libFuzzer save the input that broke the invariant.
#define FUZZ_CHECK(condition)                                                                \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (false)

// A directory of this process, in memory where the system has one, so that a
// run costs no disk writes. Ends in '/'.
inline const std::string& scratchDirectory()
{
    static const std::string dir = [] {
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/trgui-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern + "/";
    }();
    return dir;
}

inline void writeWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    if (size > 0)
        FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);
}

} // namespace trgui::fuzz
