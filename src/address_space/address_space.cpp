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
    return node;
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

void index_children(AddressNode &node) {
    for (size_t i = 0; i < node.children.size(); ++i) {
        node.index.emplace(node.children[i].name, i);
        index_children(node.children[i]);
    }
}

}  // namespace

bool parse_address_space(const std::string &text, AddressSpace &space, std::string *error) {
    space = AddressSpace{};
    // The open nodes by indentation: (indent, node) from the root down.
    std::vector<std::pair<int, AddressNode *>> open{{-1, &space.root}};
    std::vector<std::string> path;
    std::istringstream in(text);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        std::string line = trim(raw);
        if (line.empty() || line[0] == '#') continue;
        int indent = static_cast<int>(raw.find_first_not_of(" \t"));
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "namespace") {
            std::string kind;
            words >> kind;
            if (kind != "flat" && kind != "hierarchical")
                return fail(error, number, "namespace is flat or hierarchical");
            space.flat = kind == "flat";
            continue;
        }
        if (keyword == "fault") {
            std::string kind;
            words >> kind;
            if (kind == "up-forever") space.up_forever = true;
            else if (kind == "null-name") space.null_name = true;
            else if (kind == "no-browse") space.no_browse = true;
            else if (kind == "endless-leaves") space.endless_leaves = true;
            else if (kind == "endless-branches") space.endless_branches = true;
            else return fail(error, number, "unknown fault " + kind);
            continue;
        }
        if (keyword == "generate") {
            int branches = 0, leaves = 0;
            if (!(words >> branches >> leaves) || branches < 0 || leaves < 0)
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
        if (!(words >> node.name)) return fail(error, number, keyword + " needs a name");
        std::string word;
        bool explicit_id = false;
        while (words >> word) {
            if (word == "=" && words >> node.item_id) explicit_id = true;
            else if (word == "refuse-down") node.refuse_down = true;
            else if (word == "loops-back") node.loops_back = true;
            else if (word == "get-item-id-fails") node.get_item_id_fails = true;
            else if (word == "empty-item-id") node.empty_item_id = true;
            else return fail(error, number, "unknown option " + word);
        }
        if (!explicit_id) {
            node.item_id = node.name;
            for (auto it = path.rbegin(); it != path.rend(); ++it) node.item_id = *it + "." + node.item_id;
        }
        AddressNode *parent = open.back().second;
        if (parent != &space.root && !parent->is_branch) return fail(error, number, "a leaf has no children");
        if (parent->loops_back) return fail(error, number, "a link has no children of its own");
        if (node.loops_back && !node.is_branch) return fail(error, number, "only a branch can loop back");
        parent->children.push_back(std::move(node));
        open.push_back({indent, &parent->children.back()});
        path.push_back(parent->children.back().name);
    }
    index_children(space.root);
    return true;
}

}  // namespace opcsim
