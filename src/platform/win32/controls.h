// The common controls behind the ui seam: a tree view and a report list view, driven by their
// documented messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/ui.h"

namespace tagcfg::ui {

class Win32Tree : public Tree {
public:
    explicit Win32Tree(HWND tree) : tree_(tree) {}
    TreeNode insert(TreeNode parent, const std::string &text, int image, int child_count, intptr_t data = 0) override;
    void clear() override;
    std::string text(TreeNode node) override;
    int image(TreeNode node) override;
    intptr_t data(TreeNode node) override;
    TreeNode parent(TreeNode node) override { return next(node, TVGN_PARENT); }
    TreeNode first_child(TreeNode node) override { return node ? next(node, TVGN_CHILD) : next(nullptr, TVGN_ROOT); }
    TreeNode next_sibling(TreeNode node) override { return next(node, TVGN_NEXT); }
    void expand(TreeNode node) override;
    void ensure_visible(TreeNode node) override;
    void select(TreeNode node) override;
    TreeNode selection() override { return next(nullptr, TVGN_CARET); }
    int child_count(TreeNode node) override;
    bool expanded_once(TreeNode node) override;
    void mark_expanded_once(TreeNode node, int child_count) override;
    void enable(bool enabled) override { EnableWindow(tree_, enabled); }
    void use_shared_images() override;

private:
    TreeNode next(TreeNode node, UINT relation);
    // The item's fields named by the mask.
    TVITEMA read(TreeNode node, UINT mask);
    HWND tree_;  // not owned: a control of the dialog window, which outlives this object
};

class Win32List : public ListView {
public:
    explicit Win32List(HWND list) : list_(list) {}
    void set_single_column(const std::string &title) override;
    void add_column(const std::string &title, int width_percent) override;
    void set_full_row_select() override;
    void set_cell(int row, int column, const std::string &text) override;
    void set_image(int row, int image) override;
    int count() override;
    int insert(int index, const std::string &text, int image) override;
    std::string text(int row) override;
    int image(int row) override;
    void erase(int row) override;
    int selected() override;
    void select(int row) override;
    void set_redraw(bool redraw) override;
    void use_shared_images() override;

private:
    HWND list_;  // not owned: a control of the dialog window, which outlives this object
};

}  // namespace tagcfg::ui
