// "check": which files of a set a load takes, and why each rejected one is rejected. A load only
// says that something failed; this is where the user finds the file and the line, and the
// entries that load and save treat otherwise than their names suggest.
#include <algorithm>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "command.h"
#include "model/channel_table.h"
#include "model/environment.h"
#include "platform/files.h"
#include "storage/server_file.h"
#include "storage/set_files.h"
#include "text_escape.h"

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
            if (!entry.is_directory() && set_number_of(entry.name, base_name_, false) == number) return true;
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

// "4", "4 and 10", "4, 7 and 10".
std::string listed(const std::vector<size_t> &numbers) {
    std::string out;
    for (size_t i = 0; i < numbers.size(); ++i)
        out += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + std::to_string(numbers[i]);
    return out;
}

// A line per number or name-only name that a file holds twice: a lookup finds one of them only.
// True when there is any.
bool report_duplicates(SetFile &file, std::ostream &out) {
    const auto groups = duplicate_channels(*file.config);
    if (groups.empty()) return false;
    std::string bytes;
    platform::read_file(file.path, bytes);
    const std::vector<size_t> header_lines = block_header_lines(bytes.data(), bytes.size());
    std::vector<const Channel *> in_order;
    for (const Channel &c : file.config->channels()) in_order.push_back(&c);
    auto line_of = [&](const Channel *channel) {
        const size_t at = static_cast<size_t>(std::find(in_order.begin(), in_order.end(), channel) - in_order.begin());
        return at < header_lines.size() ? header_lines[at] : 0;
    };
    for (const DuplicateChannels &group : groups) {
        const Channel &first = *group.channels.front();
        const bool numbered = first.channel_id >= 0;
        std::vector<size_t> lines(group.channels.size());
        std::transform(group.channels.begin(), group.channels.end(), lines.begin(), line_of);
        out << file.path << ": channel "
            << (numbered ? std::to_string(first.channel_id) : '"' + shown(first.channel_name) + '"') << " is on lines "
            << listed(lines) << "; a lookup finds the one on line " << line_of(group.found) << '\n';
    }
    return true;
}

}  // namespace

CheckSummary report_check(const std::string &directory, const std::string &base_name, std::ostream &out) {
    const SetListing listing = list_set(directory, base_name);
    if (listing.result == platform::Listing::failed) {
        out << listing.pattern << ": cannot be listed; the load fails, and a save after it deletes no file\n";
        return {0, false};
    }
    const SetDirectory set(directory, base_name, listing.entries);

    // What the load reads, ordered by number for the reader.
    struct Read {
        SetFile file;
        size_t channels;
    };
    std::map<int, Read> read_by_number;
    std::ostringstream duplicates;  // printed after the files, before the summary
    size_t duplicated = 0;          // files
    read_set(listing, [&](SetFile &file) {
        const size_t channels = file.read ? file.config->channel_count() : 0;
        if (file.read && report_duplicates(file, duplicates)) ++duplicated;
        file.config.reset();  // only its count is shown; a set may hold many large files
        const int number = file.number;
        read_by_number.emplace(number, Read{std::move(file), channels});
    });

    // Entries that load and save treat otherwise than their names suggest, by number too.
    std::vector<std::pair<int, std::string>> aliases, out_of_range;
    for (const auto &entry : listing.entries) {
        int32_t number = -1;
        if (entry.is_directory() || !number_spelled_by(entry.name, base_name, true, number)) continue;
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
            out << file.path;
            if (file.error.line > 0) out << ':' << file.error.line;
            out << ": " << file.error.reason;
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
        if (!entry.is_directory() && set_number_of(file_name, base_name, true) >= 0)
            out << join_path(directory, file_name) << ": kept aside as " << entry.name << '\n';
    }

    out << duplicates.str() << read_by_number.size() << " files, " << rejected << " rejected";
    if (duplicated > 0) out << ", " << duplicated << " with a channel twice";
    out << '\n';
    return {read_by_number.size(), rejected == 0 && duplicated == 0};
}

int run_check(const Args &args) {
    const std::string &directory = args.positional[0], &base_name = args.positional[1];
    if (const std::string why = why_no_folder(directory); !why.empty()) {
        std::cerr << "tagcfg check: " << why << '\n';
        return kFailure;
    }
    const CheckSummary summary = report_check(directory, base_name, std::cout);
    if (summary.clean && summary.files == 0) {
        std::cerr << "tagcfg check: " << no_set_files(directory, base_name) << '\n';
        return kFailure;
    }
    return summary.clean ? kSuccess : kFailure;
}

}  // namespace tagcfg::cli
