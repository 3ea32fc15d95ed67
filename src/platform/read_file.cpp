// Reading a whole file is the same everywhere: the C library's binary streams do it.
#include <cstdio>

#include "platform/files.h"

namespace tagcfg::platform {

bool read_file(const std::string &path, std::string &bytes) {
    bytes.clear();
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    // The usual case in one read straight into the string; the loop still reads whatever the
    // file really holds beyond the size it had.
    if (std::fseek(file, 0, SEEK_END) == 0) {
        long size = std::ftell(file);
        std::rewind(file);
        if (size > 0) {
            bytes.resize(static_cast<size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        }
    }
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

}  // namespace tagcfg::platform
