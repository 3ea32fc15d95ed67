// One project's configuration set as the host sees it: an environment of the library's public
// interface, loaded from a directory and a base name, with failures reported to the user.
#pragma once

#include <string>

#include "tagcfg.h"

namespace tagcfg::cli {

class Project {
public:
    Project(std::string directory, std::string base_name);
    ~Project();
    Project(const Project &) = delete;
    Project &operator=(const Project &) = delete;

    // False, after telling the user which set failed and how to find out why.
    bool load();
    bool save(bool write_all);

    tagcfg_environment *env() const { return env_; }
    const std::string &directory() const { return directory_; }
    const std::string &base_name() const { return base_name_; }

    // Slots of the loaded table: a load takes numbers up to 255 and leaves no empty slot last.
    int slot_count() const;
    bool has_server(int server) const;
    // has_server, else a message naming the missing server.
    bool require_server(int server) const;

    std::string server_name(int server) const;
    std::string server_host(int server) const;
    int channel_count(int server) const;  // 0 for an empty slot

private:
    std::string directory_;
    std::string base_name_;
    tagcfg_environment *env_;  // owned: made by the constructor, freed by the destructor
};

}  // namespace tagcfg::cli
