// "export" and "import": every binding of a set as one CSV file, so that hundreds of bindings can
// be edited at once in a spreadsheet. An import is all or nothing: every row is checked against
// the loaded set before the first change, and then only the servers a row changed are saved, so
// the import of an unchanged export writes no file at all.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "command.h"
#include "csv_format.h"
#include "input_file.h"
#include "model/channel_table.h"
#include "model/environment.h"
#include "platform/files.h"
#include "project.h"
#include "storage/server_file.h"
#include "storage/set_files.h"
#include "text_escape.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tagcfg::cli {

namespace {

enum Column { kServer, kChannel, kName, kItemId, kAccessPath, kColumns };
const char *const kColumnNames[kColumns] = {"server", "channel", "name", "item_id", "access_path"};

std::string row_of(int server, const ChannelValue &channel) {
    const bool numbered = channel.channel_id >= 0;
    return csv_record({std::to_string(server), numbered ? std::to_string(channel.channel_id) : "",
                       numbered ? "" : channel.channel_name, channel.item_id, channel.access_path});
}

// An export over a file of the set (or a copy a save kept aside) would cost the set that server.
// Letter case does not count: on the library's home platform it names the same file.
void refuse_set_file(const Project &project, const std::string &file) {
    const size_t slash = file.find_last_of(std::string("/") + platform::path_separator());
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash == 0 ? 1 : slash);
    const std::string set_folder = project.directory().empty() ? "." : project.directory();
    if (!platform::same_file(folder, set_folder)) return;
    std::string name = file.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::string bad = kept_aside_name("");
    auto ends_with = [](std::string text, const std::string &end) {
        for (char &c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    const bool kept_aside = ends_with(name, bad);
    if (kept_aside) name.resize(name.size() - bad.size());
    if (!ends_with(name, ".cnf") || set_number_of(name, project.base_name(), true) < 0) return;
    throw Refusal(shown(file) +
                  (kept_aside ? " is a copy a save kept of a file of the set " : " is a file of the set ") +
                  shown(project.base_name()) + "; export to another file");
}

bool write_straight(const std::string &path, const std::string &bytes) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool write_standard_output(const std::string &bytes) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the rows end in CR LF already
#endif
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

// --- Reading the rows --------------------------------------------------------------------------

struct Row {
    size_t line = 0;
    int server = 0;
    int32_t channel_id = -1;  // -1: a channel known by its name only
    std::string name, item_id, access_path;
};

const char kNoHeader[] = "no header: the first line must name the columns server,channel,name,item_id,access_path";

// Where each column is in a record, or why the header is not exactly the five names.
std::string find_columns(const std::vector<std::string> &header, size_t (&at)[kColumns]) {
    if (header[0].compare(0, 3, "\xEF\xBB\xBF") == 0)
        return "a byte order mark before the header: the texts are bytes of the ANSI code page, so save the file "
               "without one";
    std::fill(std::begin(at), std::end(at), header.size());
    std::string problem;
    bool any_known = false;
    for (size_t i = 0; i < header.size(); ++i) {
        const auto name = std::find(std::begin(kColumnNames), std::end(kColumnNames), header[i]);
        if (name == std::end(kColumnNames)) {
            if (problem.empty()) problem = "unknown column \"" + shown(header[i]) + "\"";
            continue;
        }
        any_known = true;
        size_t &column = at[name - std::begin(kColumnNames)];
        if (column != header.size() && problem.empty()) problem = "column " + header[i] + " is named twice";
        column = i;
    }
    if (!any_known) return kNoHeader;
    for (size_t c = 0; c < kColumns && problem.empty(); ++c)
        if (at[c] == header.size()) problem = std::string("column ") + kColumnNames[c] + " is missing";
    return problem;
}

// Turns records into rows against the loaded set, remembering the lines that took each channel.
class RowChecker {
public:
    RowChecker(const Environment &env, const size_t (&at)[kColumns]) : env_(env) { std::copy(at, at + kColumns, at_); }

    // Why the record cannot be taken, or empty with the row filled in.
    std::string check(const CsvReader::Record &record, Row &row) {
        if (!record.error.empty()) return record.error;
        if (record.fields.size() != kColumns)
            return std::to_string(record.fields.size()) + " fields where the header has " + std::to_string(kColumns);
        auto field = [&](Column c) -> const std::string & { return record.fields[at_[c]]; };
        const std::string &server = field(kServer), &channel = field(kChannel);
        int64_t number = 0;
        if (!read_whole_number(server, number)) return "server \"" + shown(server) + "\" is not a number";
        if (number < 0 || static_cast<size_t>(number) >= env_.servers.size())
            return "there is no server slot " + shown(server);
        if (!server_at(&env_, static_cast<int>(number))) return "server slot " + shown(server) + " is empty";
        row.server = static_cast<int>(number);
        if (!channel.empty()) {
            if (!read_whole_number(channel, number)) return "channel \"" + shown(channel) + "\" is not a number";
            if (number < 0) return "channel number " + shown(channel) + " is negative";
            if (number > INT32_MAX) return "channel number " + shown(channel) + " is too large";
            row.channel_id = static_cast<int32_t>(number);
        }
        if (row.channel_id < 0 && field(kName).empty()) return "a row needs a channel number or a name";
        for (Column c : {kName, kItemId, kAccessPath})
            if (const char *reason = unstorable_reason(field(c)))
                return std::string("the ") + kColumnNames[c] + ' ' + reason;
        row.line = record.line;
        row.name = field(kName);
        row.item_id = field(kItemId);
        row.access_path = field(kAccessPath);
        return take_keys(row);
    }

private:
    // Two rows for one channel would leave the result to their order.
    std::string take_keys(const Row &row) {
        const int64_t number_key = (int64_t{row.server} << 32) | static_cast<uint32_t>(row.channel_id);
        const std::string name_key = std::to_string(row.server) + ',' + row.name;
        auto by_number = numbers_.find(number_key);
        if (row.channel_id >= 0 && by_number != numbers_.end())
            return "server " + std::to_string(row.server) + " channel " + std::to_string(row.channel_id) +
                   " is on line " + std::to_string(by_number->second) + " already";
        auto by_name = names_.find(name_key);
        if (!row.name.empty() && by_name != names_.end())
            return "server " + std::to_string(row.server) + " name \"" + shown(row.name) + "\" is on line " +
                   std::to_string(by_name->second) + " already";
        if (row.channel_id >= 0) numbers_.emplace(number_key, row.line);
        if (!row.name.empty()) names_.emplace(name_key, row.line);
        return {};
    }

    const Environment &env_;
    size_t at_[kColumns];
    std::unordered_map<int64_t, size_t> numbers_;    // server and channel number: line
    std::unordered_map<std::string, size_t> names_;  // "server,name": line
};

// Every row of the text, or false after giving each line that cannot be taken with its reason.
bool read_rows(const std::string &text, const std::string &path, const Environment &env, std::vector<Row> &rows) {
    CsvReader reader(text);
    CsvReader::Record record;
    size_t at[kColumns];
    std::string problem = kNoHeader;
    if (reader.next(record)) problem = record.error.empty() ? find_columns(record.fields, at) : record.error;
    if (!problem.empty()) {
        std::cerr << path << ":1: " << problem << '\n';
        return false;
    }
    RowChecker checker(env, at);
    size_t refused = 0;
    while (reader.next(record)) {
        Row row;
        problem = checker.check(record, row);
        if (problem.empty()) {
            rows.push_back(std::move(row));
        } else {
            ++refused;
            std::cerr << path << ':' << record.line << ": " << problem << '\n';
        }
    }
    if (refused == 0) return true;
    std::cerr << "tagcfg import: " << refused << " of " << rows.size() + refused << " rows refused; nothing changed\n";
    return false;
}

// --- Applying them -----------------------------------------------------------------------------

// Applies checked rows to the loaded set and counts each channel added, changed or removed,
// printing it too on a dry run. Every channel a row reaches is marked, so that --replace can
// sweep the rest of each server the file names.
class Importer {
public:
    Importer(Environment &env, bool replace, bool print)
        : env_(env), replace_(replace), print_(print), named_(env.servers.size()) {}

    void apply(const Row &row) {
        ServerConfig &config = *server_at(&env_, row.server);
        if (!named_[static_cast<size_t>(row.server)]) {
            named_[static_cast<size_t>(row.server)] = true;
            if (replace_) clear_marks(config);
        }
        if (row.item_id.empty()) {
            std::vector<ChannelValue> removed;
            erase_channel(config, row.channel_id, row.name.c_str(), &removed);
            for (const ChannelValue &channel : removed) note(removed_, "removed", row.server, channel);
            return;
        }
        // A numbered row reaches its channel by number alone, never binding a name-only one.
        const bool numbered = row.channel_id >= 0;
        const int32_t number = numbered ? row.channel_id : -1;
        const char *name = numbered ? nullptr : row.name.c_str();
        const ChannelValue value{row.channel_id, row.name, row.item_id, row.access_path};
        if (const Channel *channel = lookup_channel(config, number, name)) {
            if (channel->item_id != row.item_id || channel->access_path != row.access_path) {
                const std::string was =
                    " (was " + csv_record({channel->item_id.str(), channel->access_path.str()}) + ")";
                numbered ? store_channel(config, value) : store_named_channel(config, value);
                note(changed_, "changed", row.server, value_of(*channel), was);
            }
        } else {
            numbered ? store_channel(config, value) : store_named_channel(config, value);
            note(added_, "added", row.server, value_of(*lookup_channel(config, number, name)));
        }
        mark_channel(config, number, name);
    }

    // --replace: each server the file names keeps only the channels its rows reached. A channel that
    // is no binding is in no export, and no save writes it anyway: it stays.
    void finish() {
        if (!replace_) return;
        for (int server = 0; server < static_cast<int>(named_.size()); ++server) {
            if (!named_[static_cast<size_t>(server)]) continue;
            std::vector<ChannelValue> removed;
            sweep_unmarked(*server_at(&env_, server), Sweep::bindings_only, &removed);
            for (const ChannelValue &channel : removed) note(removed_, "removed", server, channel);
        }
    }

    std::string summary() const {
        return std::to_string(added_) + " added, " + std::to_string(changed_) + " changed, " +
               std::to_string(removed_) + " removed";
    }

private:
    void note(size_t &count, const char *what, int server, const ChannelValue &channel, const std::string &was = {}) {
        ++count;
        if (print_) std::cout << what << ' ' << row_of(server, channel) << was << '\n';
    }

    Environment &env_;
    bool replace_, print_;
    std::vector<bool> named_;  // by server number: a row of the file names it
    size_t added_ = 0, changed_ = 0, removed_ = 0;
};

}  // namespace

int run_export(const Args &args) {
    const bool to_file = args.positional.size() > 2;
    const std::string file = to_file ? args.positional[2] : std::string();
    Project project(args, "export");
    if (to_file) refuse_set_file(project, file);
    if (!project.load(Project::Access::read, Project::Needs::files_without_duplicates)) return kFailure;
    const Environment &env = project.env();
    std::string csv = csv_record({std::begin(kColumnNames), std::end(kColumnNames)}) + "\r\n";
    for (int server = 0; server < static_cast<int>(env.servers.size()); ++server) {
        if (const ServerConfig *config = server_at(&env, server))
            for (const Channel &c : config->channels())
                if (is_binding(c)) csv += row_of(server, value_of(c)) + "\r\n";
    }
    if (!to_file) {
        if (write_standard_output(csv)) return kSuccess;
        std::cerr << "tagcfg export: standard output cannot be written\n";
        return kFailure;
    }
    // A device or a FIFO takes the bytes as they come; a file gets them in one step, whole.
    const platform::FileKind kind = platform::file_kind(file);
    if (kind == platform::FileKind::folder) throw Refusal(shown(file) + ": is a folder");
    if (kind == platform::FileKind::other ? write_straight(file, csv) : platform::replace_file(file, csv))
        return kSuccess;
    std::cerr << "tagcfg export: " << shown(file) << " cannot be written\n";
    return kFailure;
}

int run_import(const Args &args) {
    const std::string &path = args.positional[2];
    std::string text;
    if (!read_input(path, "import", text)) return kFailure;
    Project project(args, "import");
    if (!project.load(Project::Access::edit, Project::Needs::files_without_duplicates)) return kFailure;
    std::vector<Row> rows;
    if (!read_rows(text, path, project.env(), rows)) return kFailure;

    Importer importer(project.env(), args.replace, args.dry_run);
    for (const Row &row : rows) importer.apply(row);
    importer.finish();
    if (args.dry_run) {
        std::cout << importer.summary() << "; dry run, nothing saved\n";
        return kSuccess;
    }
    if (!project.save(false)) return kFailure;
    std::cout << importer.summary() << '\n';
    return kSuccess;
}

}  // namespace tagcfg::cli
