// What dialog and browse logic may do with their controls. The win32 side drives real controls
// with their documented messages; the in-memory side keeps them in memory for native tests.
#pragma once

#include <string>

namespace tagcfg::ui {

// A tree node handle (HTREEITEM on Windows); null stands for no node.
struct TreeNodeTag;
using TreeNode = TreeNodeTag *;

// A tree control. Nodes carry their text, their image and their children count only.
class Tree {
public:
    virtual ~Tree() = default;
    // Appends a node as the last child of parent (null: at the top level), with the image as
    // both normal and selected image. A children count of 1 shows an expand button.
    virtual TreeNode insert(TreeNode parent, const std::string &text, int image, int children) = 0;
    virtual std::string text(TreeNode node) = 0;
    virtual TreeNode parent(TreeNode node) = 0;
    virtual TreeNode first_child(TreeNode node) = 0;
    virtual TreeNode next_sibling(TreeNode node) = 0;
    // Expands the node; the control raises its expanding event first, as the real one does.
    virtual void expand(TreeNode node) = 0;
    virtual void ensure_visible(TreeNode node) = 0;
    virtual void select(TreeNode node) = 0;
    virtual TreeNode selection() = 0;
    // The TVIS_EXPANDEDONCE state.
    virtual bool expanded_once(TreeNode node) = 0;
    // Sets TVIS_EXPANDEDONCE and the children count in one update.
    virtual void mark_expanded_once(TreeNode node, int children) = 0;
    virtual void enable(bool enabled) = 0;
};

}  // namespace tagcfg::ui
