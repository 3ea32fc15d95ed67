#include "platform/memory/memory_tree.h"

namespace tagcfg::ui {

TreeNode MemoryTree::insert(TreeNode parent, const std::string &text, int image, int child_count, intptr_t data) {
    Node *owner = parent ? of(parent) : &root_;
    auto node = std::make_unique<Node>();
    node->text = text;
    node->image = image;
    node->child_count = child_count;
    node->data = data;
    node->parent = parent ? owner : nullptr;
    node->index = owner->kids.size();
    owner->kids.push_back(std::move(node));
    return as_handle(owner->kids.back().get());
}

void MemoryTree::clear() {
    root_.kids.clear();
    selection_ = visible_ = nullptr;
}

TreeNode MemoryTree::first_child(TreeNode node) {
    Node *owner = node ? of(node) : &root_;
    return owner->kids.empty() ? nullptr : as_handle(owner->kids.front().get());
}

TreeNode MemoryTree::next_sibling(TreeNode node) {
    Node *n = of(node);
    const auto &siblings = n->parent ? n->parent->kids : root_.kids;
    return n->index + 1 < siblings.size() ? as_handle(siblings[n->index + 1].get()) : nullptr;
}

// As the real control: a node without an expand button does not expand, and an expansion asked
// for by the program raises the event only until the node has been opened once.
void MemoryTree::expand(TreeNode node) {
    Node *n = of(node);
    if (n->child_count == 0 && n->kids.empty()) return;
    if (!n->expanded_once && on_expanding) on_expanding(node);
    n->expanded = n->expanded_once = true;
}

void MemoryTree::click_expand_button(TreeNode node) {
    Node *n = of(node);
    if (n->child_count == 0 && n->kids.empty()) return;
    if (on_expanding) on_expanding(node);
    n->expanded = !n->expanded;
    n->expanded_once = true;
}

void MemoryTree::mark_expanded_once(TreeNode node, int child_count) {
    of(node)->expanded_once = true;
    of(node)->child_count = child_count;
}

std::vector<TreeNode> MemoryTree::top_level() const {
    std::vector<TreeNode> nodes;
    for (const auto &kid : root_.kids) nodes.push_back(as_handle(kid.get()));
    return nodes;
}

std::string MemoryTree::path(TreeNode node) const {
    std::string path;
    for (Node *n = of(node); n; n = n->parent) {
        if (!path.empty()) path.insert(0, "/");
        path.insert(0, n->text);
    }
    return path;
}

}  // namespace tagcfg::ui
