// A tree control kept in memory, for browse logic that runs without a window: the native tests,
// and headless work on either system.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui.h"

namespace tagcfg::ui {

class MemoryTree : public Tree {
public:
    struct Node {
        std::string text;
        int image = 0;
        int child_count = 0;
        intptr_t data = 0;
        bool expanded = false;
        bool expanded_once = false;
        Node *parent = nullptr;  // not owned: the node whose kids hold this one; null at the top
        size_t index = 0;        // among its siblings
        std::vector<std::unique_ptr<Node>> kids;
    };

    // Raised by expand() before the node opens, as TVN_ITEMEXPANDING is.
    std::function<void(TreeNode)> on_expanding;

    TreeNode insert(TreeNode parent, const std::string &text, int image, int child_count, intptr_t data = 0) override;
    void clear() override;
    std::string text(TreeNode node) override { return of(node)->text; }
    int image(TreeNode node) override { return of(node)->image; }
    intptr_t data(TreeNode node) override { return of(node)->data; }
    TreeNode parent(TreeNode node) override { return as_handle(of(node)->parent); }
    TreeNode first_child(TreeNode node) override;
    TreeNode next_sibling(TreeNode node) override;
    void expand(TreeNode node) override;
    void ensure_visible(TreeNode node) override { visible_ = node; }
    void select(TreeNode node) override { selection_ = node; }
    TreeNode selection() override { return selection_; }
    int child_count(TreeNode node) override { return of(node)->child_count; }
    bool expanded_once(TreeNode node) override { return of(node)->expanded_once; }
    void mark_expanded_once(TreeNode node, int child_count) override;
    void enable(bool enabled) override { enabled_ = enabled; }
    void use_shared_images() override { shared_images_ = true; }

    // A click on the expand button: the control raises the expanding event every time.
    void click_expand_button(TreeNode node);

    bool enabled() const { return enabled_; }
    bool shows_shared_images() const { return shared_images_; }
    TreeNode made_visible() const { return visible_; }
    const Node &node(TreeNode handle) const { return *of(handle); }
    std::vector<TreeNode> top_level() const;
    // Text of the node and its ancestors, joined with "/", for readable assertions.
    std::string path(TreeNode node) const;

private:
    static Node *of(TreeNode handle) { return reinterpret_cast<Node *>(handle); }
    static TreeNode as_handle(Node *node) { return reinterpret_cast<TreeNode>(node); }

    Node root_;  // holds the top-level nodes; never handed out
    // Handles of nodes below root_, dropped by clear().
    TreeNode selection_ = nullptr;
    TreeNode visible_ = nullptr;
    bool enabled_ = true;
    bool shared_images_ = false;
};

}  // namespace tagcfg::ui
