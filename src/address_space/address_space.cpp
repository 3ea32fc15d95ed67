#include "address_space/address_space.h"

#include <cstdio>
#include <sstream>

namespace opcsim {

namespace {

bool fail(std::string *error, int line, const std::string &what) {
    if (error) *error = "line " + std::to_string(line) + ": " + what;
    return false;
}

std::string trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

AddressNode make_node(const std::string &name, const std::string &item_id, bool is_branch) {
    AddressNode node;
    node.name = name;
    node.item_id = item_id;
    node.is_branch = is_branch;
    node.state.type = kVtBstr;
    node.state.elements[0].text = item_id;
    return node;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The words of a line: blank-separated, or in double quotes with the C escapes \\ \" \n \r \t
// and \xNN, so a name may hold blanks at either end, quotes and control characters. False for a
// quote that is not closed or an escape not understood.
bool split_words(const std::string &line, std::vector<std::string> &words) {
    words.clear();
    for (size_t at = 0; at < line.size();) {
        if (line[at] == ' ' || line[at] == '\t') {
            ++at;
            continue;
        }
        std::string word;
        if (line[at] != '"') {
            const size_t end = line.find_first_of(" \t", at);
            word = line.substr(at, end - at);
            at = end == std::string::npos ? line.size() : end;
            words.push_back(word);
            continue;
        }
        for (++at;; ++at) {
            if (at >= line.size()) return false;
            const char c = line[at];
            if (c == '"') break;
            if (c != '\\') {
                word += c;
                continue;
            }
            if (++at >= line.size()) return false;
            const char escaped = line[at];
            if (escaped == 'x' && at + 2 < line.size() && hex_digit(line[at + 1]) >= 0 &&
                hex_digit(line[at + 2]) >= 0) {
                word += static_cast<char>(hex_digit(line[at + 1]) * 16 + hex_digit(line[at + 2]));
                at += 2;
            } else if (escaped == 'n' || escaped == 'r' || escaped == 't') {
                word += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : '\t';
            } else if (escaped == '\\' || escaped == '"') {
                word += escaped;
            } else {
                return false;
            }
        }
        ++at;  // the closing quote
        words.push_back(word);
    }
    return true;
}

// A leaf's state from its option words, from `at` on; the message of what is wrong, or "".
std::string read_state(const std::vector<std::string> &words, size_t &at, ItemState &state) {
    const std::string &option = words[at];
    if (at + 1 >= words.size()) return option + " needs a value";
    const std::string &value = words[++at];
    if (option == "type") {
        if (!parse_vartype(value, state.type)) return "unknown type " + value;
        state.elements.assign(state.type == kVtEmpty ? 0 : 1, Scalar());
    } else if (option == "rights") {
        state.rights = value == "read" ? 1 : value == "write" ? 2 : value == "read/write" ? 3 : 0;
        if (!state.rights) return "rights are read, write or read/write";
    } else if (option == "quality" || option == "item-error") {
        Scalar number;
        if (!parse_scalar(kVtI4, value, number)) return option + " takes a number";
        if (option == "quality") state.quality = static_cast<uint16_t>(number.integer);
        else state.item_error = static_cast<int32_t>(number.integer);
    } else if (option == "time") {
        if (!parse_time(value, state.time)) return "time is YYYY-MM-DDTHH:MM:SS[.fff]Z";
    } else if (option == "value") {
        // The value comes last: an array takes every word left.
        const uint16_t element_type = state.type & ~kVtArray;
        const bool array = (state.type & kVtArray) != 0;
        state.elements.clear();
        for (--at; at + 1 < words.size() && (array || state.elements.empty());) {
            state.elements.emplace_back();
            if (!parse_scalar(element_type, words[++at], state.elements.back()))
                return "a value of this type cannot be " + words[at];
        }
    } else {
        return "unknown option " + option;
    }
    return "";
}

void generate(AddressNode &parent, bool flat, int branches, int leaves) {
    char name[32];
    if (flat) {
        for (int i = 0; i < branches * leaves; ++i) {
            std::snprintf(name, sizeof name, "Item%07d", i);
            parent.children.push_back(make_node(name, name, false));
        }
        return;
    }
    for (int b = 0; b < branches; ++b) {
        std::snprintf(name, sizeof name, "B%04d", b);
        AddressNode branch = make_node(name, name, true);
        for (int l = 0; l < leaves; ++l) {
            char leaf[16];
            std::snprintf(leaf, sizeof leaf, "L%03d", l);
            branch.children.push_back(make_node(leaf, branch.name + "." + leaf, false));
        }
        parent.children.push_back(std::move(branch));
    }
}

void index_children(AddressNode &node, AddressSpace &space) {
    for (size_t i = 0; i < node.children.size(); ++i) {
        AddressNode &child = node.children[i];
        node.index.emplace(child.name, i);
        if (child.is_branch) node.branches.emplace(child.name, i);
        else if (!child.empty_item_id) {
            space.items.emplace(child.item_id, &child);
            space.items_upper.emplace(upper_case(child.item_id), &child);
        }
        index_children(child, space);
    }
}

}  // namespace

bool parse_address_space(const std::string &text, AddressSpace &space, std::string *error) {
    space = AddressSpace{};
    // The open nodes by indentation: (indent, node) from the root down.
    std::vector<std::pair<int, AddressNode *>> open{{-1, &space.root}};
    std::vector<std::string> path;
    std::string separator = ".";
    std::istringstream in(text);
    std::string raw;
    std::vector<std::string> words;
    for (int number = 1; std::getline(in, raw); ++number) {
        std::string line = trim(raw);
        if (line.empty() || line[0] == '#') continue;
        int indent = static_cast<int>(raw.find_first_not_of(" \t"));
        if (!split_words(line, words)) return fail(error, number, "a quoted word is not closed or escapes wrongly");
        const std::string &keyword = words[0];
        const std::string argument = words.size() > 1 ? words[1] : "";
        if (keyword == "namespace") {
            if (argument != "flat" && argument != "hierarchical")
                return fail(error, number, "namespace is flat or hierarchical");
            space.flat = argument == "flat";
            continue;
        }
        if (keyword == "separator" || keyword == "access-path") {
            if (argument.empty()) return fail(error, number, keyword + " needs a text");
            if (keyword == "separator") separator = argument;
            else space.access_paths.push_back(argument);
            continue;
        }
        if (keyword == "lookup") {
            if (argument != "case-insensitive") return fail(error, number, "lookup is case-insensitive");
            space.case_insensitive = true;
            continue;
        }
        if (keyword == "fault") {
            if (argument == "up-forever") space.up_forever = true;
            else if (argument == "null-name") space.null_name = true;
            else if (argument == "no-browse") space.no_browse = true;
            else if (argument == "items-fail") space.items_fail = true;
            else if (argument == "endless-leaves") space.endless_leaves = true;
            else if (argument == "endless-branches") space.endless_branches = true;
            else if (argument == "no-groups") {
                Scalar result;
                result.integer = static_cast<int32_t>(0x80004002);  // E_NOINTERFACE
                if (words.size() > 2 && (!parse_scalar(kVtError, words[2], result) || result.integer >= 0))
                    return fail(error, number, "no-groups takes a failure result");
                space.add_group_error = static_cast<int32_t>(result.integer);
            } else return fail(error, number, "unknown fault " + argument);
            continue;
        }
        if (keyword == "generate") {
            int branches = 0, leaves = 0;
            std::istringstream counts(line.substr(keyword.size()));
            if (!(counts >> branches >> leaves) || branches < 0 || leaves < 0)
                return fail(error, number, "generate takes two counts");
            generate(space.root, space.flat, branches, leaves);
            continue;
        }
        if (keyword != "branch" && keyword != "leaf") return fail(error, number, "unknown keyword " + keyword);
        while (open.back().first >= indent) {
            open.pop_back();
            path.pop_back();
        }
        AddressNode node;
        node.is_branch = keyword == "branch";
        if (words.size() < 2) return fail(error, number, keyword + " needs a name");
        node.name = words[1];
        bool explicit_id = false;
        for (size_t at = 2; at < words.size(); ++at) {
            const std::string &word = words[at];
            if (word == "=" && at + 1 < words.size()) {
                node.item_id = words[++at];
                explicit_id = true;
            } else if (word == "refuse-down") node.refuse_down = true;
            else if (word == "loops-back") node.loops_back = true;
            else if (word == "get-item-id-fails") node.get_item_id_fails = true;
            else if (word == "empty-item-id") node.empty_item_id = true;
            else if (node.is_branch) return fail(error, number, "unknown option " + word);
            else if (std::string wrong = read_state(words, at, node.state); !wrong.empty())
                return fail(error, number, wrong);
        }
        if (!explicit_id) {
            node.item_id = node.name;
            for (auto it = path.rbegin(); it != path.rend(); ++it) node.item_id = *it + separator + node.item_id;
        }
        AddressNode *parent = open.back().second;
        if (parent != &space.root && !parent->is_branch) return fail(error, number, "a leaf has no children");
        if (parent->loops_back) return fail(error, number, "a link has no children of its own");
        if (node.loops_back && !node.is_branch) return fail(error, number, "only a branch can loop back");
        parent->children.push_back(std::move(node));
        open.push_back({indent, &parent->children.back()});
        path.push_back(parent->children.back().name);
    }
    index_children(space.root, space);
    return true;
}

std::string upper_case(std::string text) {
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace opcsim
