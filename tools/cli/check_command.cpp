// "check": which files of a set a load takes, and why each rejected one is rejected. A load only
// says that something failed; this is where the user finds the file and the line, and the
// entries that load and save treat otherwise than their names suggest.
#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "command.h"
#include "model/environment.h"
#include "platform/files.h"
#include "storage/set_files.h"

namespace tagcfg::cli {

namespace {

using Entries = std::vector<platform::DirectoryEntry>;

class SetDirectory {
public:
    SetDirectory(std::string directory, std::string base_name, const Entries &entries)
        : directory_(std::move(directory)), base_name_(std::move(base_name)), entries_(entries) {}

    std::string path(const std::string &name) const { return join_path(directory_, name); }
    bool same_file(const std::string &a, const std::string &b) const {
        return platform::path_key(path(a)) == platform::path_key(path(b));
    }
    bool has_file(const std::string &name) const {
        for (const auto &entry : entries_)
            if (!entry.is_directory() && same_file(entry.name, name)) return true;
        return false;
    }
    // A save deletes the canonical file of a number without a server once it finds any entry that
    // spells the number with the base name in its own letter case.
    bool save_deletes(const std::string &name, int number) const {
        if (!same_file(name, server_file_name(base_name_, number))) return false;
        for (const auto &entry : entries_)
            if (!entry.is_directory() && number_of_entry(entry.name, base_name_, false) == number) return true;
        return false;
    }

    // What load and save do with an entry that spells a number otherwise than its canonical name.
    void explain_alias(std::ostream &out, const std::string &name, int number) const {
        const std::string canonical = server_file_name(base_name_, number);
        out << name << ": not the canonical name of number " << number << "; ";
        if (!same_file(name, canonical)) {
            out << "the load reads " << canonical << " instead"
                << (has_file(canonical) ? "" : ", which does not exist, so the load fails")
                << "; a save never deletes this entry\n";
        } else if (save_deletes(name, number)) {
            out << "the load reads it as " << canonical << "; a save deletes it when server " << number
                << " is removed\n";
        } else {
            out << "the load reads it as " << canonical << "; a save never deletes it, so server " << number
                << " comes back after it is removed\n";
        }
    }

private:
    std::string directory_;
    std::string base_name_;
    const Entries &entries_;  // not owned: the listing's entries, which outlive this object
};

}  // namespace

bool report_check(const std::string &directory, const std::string &base_name, std::ostream &out) {
    const SetListing listing = list_set(directory, base_name);
    if (listing.result == platform::Listing::failed) {
        out << listing.pattern << ": cannot be listed; the load fails, and a save after it deletes no file\n";
        return false;
    }
    const SetDirectory set(directory, base_name, listing.entries);

    // What the load reads, ordered by number for the reader.
    struct Read {
        SetFile file;
        size_t channels;
    };
    std::map<int, Read> read_by_number;
    read_set(listing, [&](SetFile &file) {
        const size_t channels = file.read ? file.config->channels.size() : 0;
        file.config.reset();  // only its count is shown; a set may hold many large files
        const int number = file.number;
        read_by_number.emplace(number, Read{std::move(file), channels});
    });

    // Entries that load and save treat otherwise than their names suggest, by number too.
    std::vector<std::pair<int, std::string>> aliases, out_of_range;
    for (const auto &entry : listing.entries) {
        int32_t number = -1;
        if (entry.is_directory() || !number_in_entry(entry.name, base_name, true, number)) continue;
        if (number > kHighestServerNumber) out_of_range.emplace_back(number, entry.name);
        else if (number >= 0 && entry.name != server_file_name(base_name, number))
            aliases.emplace_back(number, entry.name);
    }

    int rejected = 0;
    for (const auto &[number, read] : read_by_number) {
        const SetFile &file = read.file;
        if (file.read) {
            out << file.path << ": ok, " << read.channels << (read.channels == 1 ? " channel" : " channels");
        } else {
            ++rejected;
            out << file.path << ':' << file.error.line << ": " << file.error.reason;
        }
        if (file.entry != server_file_name(base_name, number)) out << " (found as " << file.entry << ')';
        out << '\n';
    }
    std::sort(aliases.begin(), aliases.end());
    std::sort(out_of_range.begin(), out_of_range.end());
    for (const auto &[number, name] : aliases) set.explain_alias(out, name, number);
    for (const auto &[number, name] : out_of_range)
        out << name << ": number " << number << " is above " << kHighestServerNumber << "; load and save ignore it\n";

    // The bytes of unreadable files that a save wrote over.
    Entries kept;
    platform::list_matching(kept_aside_name(listing.pattern), kept);
    const std::string suffix = kept_aside_name("");
    for (const auto &entry : kept) {
        const std::string file_name = entry.name.substr(0, entry.name.size() - suffix.size());
        if (!entry.is_directory() && number_of_entry(file_name, base_name, true) >= 0)
            out << join_path(directory, file_name) << ": kept aside as " << entry.name << '\n';
    }

    out << read_by_number.size() << " files, " << rejected << " rejected\n";
    return rejected == 0;
}

int run_check(const Args &args) {
    return report_check(args.positional[0], args.positional[1], std::cout) ? kSuccess : kFailure;
}

}  // namespace tagcfg::cli
