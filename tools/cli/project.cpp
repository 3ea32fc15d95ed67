#include "project.h"

#include <iostream>
#include <utility>
#include <vector>

#include "command.h"
#include "model/channel.h"
#include "model/environment.h"
#include "storage/config_set.h"

namespace tagcfg::cli {

namespace {

constexpr int kHighestLoadedNumber = 255;

// The library cannot say whether a text was cut to fit, so a text that fills the buffer is
// asked for again with a larger one.
template <typename CopyOut>
std::string whole_text(CopyOut copy_out) {
    std::vector<char> buffer(256);
    for (;;) {
        int length = copy_out(buffer.data(), static_cast<int>(buffer.size()));
        if (length < static_cast<int>(buffer.size()) - 1 || buffer.size() >= (1u << 24))
            return std::string(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
        buffer.resize(buffer.size() * 4);
    }
}

}  // namespace

Project::Project(std::string directory, std::string base_name)
    : directory_(std::move(directory)), base_name_(std::move(base_name)), env_(tagcfg_init_environment()) {}

Project::~Project() { tagcfg_free_environment(env_); }

bool Project::load() {
    if (!env_) {
        std::cerr << "tagcfg: out of memory\n";
        return false;
    }
    if (tagcfg_load(env_, directory_.c_str(), base_name_.c_str()) == 0) return true;
    std::cerr << "tagcfg: the set " << base_name_ << " in \"" << directory_ << "\" has files that cannot be read;\n"
              << "        run: tagcfg check \"" << directory_ << "\" " << base_name_ << "\n";
    return false;
}

bool Project::save(bool write_all) {
    if (tagcfg_save(env_, directory_.c_str(), base_name_.c_str(), 0, write_all ? 1 : 0) == 0) return true;
    std::cerr << "tagcfg: some files of the set " << base_name_ << " in \"" << directory_
              << "\" could not be written\n";
    return false;
}

int Project::slot_count() const {
    for (int server = kHighestLoadedNumber; server >= 0; --server)
        if (has_server(server)) return server + 1;
    return 0;
}

bool Project::has_server(int server) const {
    int type = 0, channels = 0;
    return tagcfg_get_server_type(env_, server, &type, &channels) == 0;
}

bool Project::require_server(int server) const {
    if (has_server(server)) return true;
    std::cerr << "tagcfg: the set " << base_name_ << " has no server " << server << "\n";
    return false;
}

std::string Project::server_name(int server) const {
    return whole_text([&](char *buffer, int size) { return tagcfg_get_server_name(env_, server, buffer, size); });
}

std::string Project::server_host(int server) const {
    return whole_text([&](char *buffer, int size) { return tagcfg_get_server_host(env_, server, buffer, size); });
}

int Project::channel_count(int server) const {
    int type = 0, channels = 0;
    return tagcfg_get_server_type(env_, server, &type, &channels) == 0 ? channels : 0;
}

// An export without the server of a file that did not load would look complete, an import could
// not tell its rows from rows of a server that does not exist, and a verify would pass a set whose
// bindings it never saw.
bool load_cleanly(Environment &env, const Args &args, const char *command) {
    const std::string &directory = args.positional[0], &base_name = args.positional[1];
    if (load_set(env, directory.c_str(), base_name.c_str())) return true;
    std::cerr << "tagcfg " << command << ": the set does not load cleanly, so nothing is done:\n";
    report_check(directory, base_name, std::cerr);
    return false;
}

}  // namespace tagcfg::cli
