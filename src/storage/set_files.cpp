#include "storage/set_files.h"

#include <algorithm>
#include <cctype>

#include "model/environment.h"

namespace tagcfg {

namespace {

std::string lowered(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

std::string join_path(const std::string &directory, const std::string &name) {
    if (name.empty()) return directory;
    std::string path = directory;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += platform::path_separator();
    return path + name;
}

std::string server_file_name(const std::string &base_name, int number) {
    return base_name + "_opc" + std::to_string(number) + ".cnf";
}

std::string set_file_path(const std::string &directory, const std::string &base_name, int number) {
    return join_path(directory, server_file_name(base_name, number));
}

std::string kept_aside_name(const std::string &file_name) { return file_name + ".bad"; }

std::string project_lock_path(const std::string &directory, const std::string &base_name) {
    return join_path(directory, base_name + "_opc.lock");
}

bool number_spelled_by(const std::string &entry_name, const std::string &base_name, bool ignore_case, int32_t &number) {
    const std::string prefix = base_name + "_opc";
    const std::string name = ignore_case ? lowered(entry_name) : entry_name;
    if (name.compare(0, prefix.size(), ignore_case ? lowered(prefix) : prefix) != 0) return false;
    const char *p = name.c_str() + prefix.size();
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    // Read as a 32-bit unsigned number, as the home platform's scanner does; overflow saturates.
    uint64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        value = std::min<uint64_t>(value * 10 + (*p - '0'), 0xFFFFFFFFu);
    number = static_cast<int32_t>(negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
    return true;
}

int set_number_of(const std::string &entry_name, const std::string &base_name, bool ignore_case) {
    int32_t number = -1;
    if (!number_spelled_by(entry_name, base_name, ignore_case, number)) return -1;
    return number >= 0 && number <= kHighestServerNumber ? number : -1;
}

SetListing list_set(const std::string &directory, const std::string &base_name, const platform::FileSystem &files) {
    SetListing listing;
    listing.directory = directory;
    listing.base_name = base_name;
    listing.pattern = join_path(directory, base_name + "_opc*.cnf");
    listing.result = files.list(listing.pattern, listing.entries);
    return listing;
}

void read_set(const SetListing &listing, const std::function<void(SetFile &)> &visit) {
    std::vector<bool> taken(kHighestServerNumber + 1);
    std::string bytes;  // each file's in turn
    for (const auto &entry : listing.entries) {
        if (entry.is_directory()) continue;
        const int number = set_number_of(entry.name, listing.base_name, true);
        if (number < 0 || taken[static_cast<size_t>(number)]) continue;
        taken[static_cast<size_t>(number)] = true;
        SetFile file;
        file.entry = entry.name;
        file.number = number;
        file.path = set_file_path(listing.directory, listing.base_name, number);
        file.config = RecordRef<ServerConfig>(new ServerConfig);
        // Not even opened: a FIFO or a device under a set file's name may block or never end.
        if (entry.kind == platform::FileKind::other) file.error = {0, "not a regular file"};
        else file.read = read_server_file(*file.config, file.path, &file.error, &bytes);
        visit(file);
    }
}

}  // namespace tagcfg
