// A directory of its own for a test's files, removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

namespace tagcfg::test {

inline std::string read_bytes(const std::string &path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// Every entry of a directory by name, with its bytes; a directory as "<dir>", a FIFO or a device
// (which a read might wait on forever) as "<other>".
inline std::map<std::string, std::string> snapshot(const std::string &directory) {
    std::map<std::string, std::string> entries;
    for (const auto &e : std::filesystem::directory_iterator(directory))
        entries[e.path().filename().string()] = e.is_directory()       ? "<dir>"
                                                : !e.is_regular_file() ? "<other>"
                                                                       : read_bytes(e.path().string());
    return entries;
}

class TempDir {
public:
    // A new name of its own: creating an existing directory answers false, any failure throws.
    TempDir() {
        std::random_device random;
        do path_ = (std::filesystem::temp_directory_path() / ("tagcfg_" + std::to_string(random()))).string();
        while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    // Writes the file's bytes and returns its path.
    std::string put(const std::string &name, const std::string &bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }
    std::string get(const std::string &name) const { return read_bytes(file(name)); }
    std::map<std::string, std::string> snapshot() const { return test::snapshot(path_); }

private:
    std::string path_;
};

}  // namespace tagcfg::test
