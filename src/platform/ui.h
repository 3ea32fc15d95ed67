// What dialog and browse logic may do with their controls. The win32 side drives real controls
// with their documented messages; the in-memory side keeps them in memory for native tests.
#pragma once

#include <cstdint>
#include <string>

namespace tagcfg::ui {

// A tree node handle (HTREEITEM on Windows); null stands for no node.
struct TreeNodeTag;
using TreeNode = TreeNodeTag *;

// A tree control. Nodes carry their text, their image, their child count and one number of the
// caller's (the item's lParam).
class Tree {
public:
    virtual ~Tree() = default;
    // Appends a node as the last child of parent (null: at the top level), with the image as
    // both normal and selected image. A child count of 1 shows an expand button before anything
    // is known of the node's children.
    virtual TreeNode insert(TreeNode parent, const std::string &text, int image, int child_count,
                            intptr_t data = 0) = 0;
    // Deletes every node.
    virtual void clear() = 0;
    virtual std::string text(TreeNode node) = 0;
    virtual int image(TreeNode node) = 0;
    virtual intptr_t data(TreeNode node) = 0;
    virtual TreeNode parent(TreeNode node) = 0;
    virtual TreeNode first_child(TreeNode node) = 0;
    virtual TreeNode next_sibling(TreeNode node) = 0;
    // Expands the node; the control raises its expanding event first, as the real one does.
    virtual void expand(TreeNode node) = 0;
    virtual void ensure_visible(TreeNode node) = 0;
    virtual void select(TreeNode node) = 0;
    virtual TreeNode selection() = 0;
    // The child count as last set (TVIF_CHILDREN), not the nodes below it: 0 for a leaf, or for a
    // branch found empty when it opened.
    virtual int child_count(TreeNode node) = 0;
    // The TVIS_EXPANDEDONCE state.
    virtual bool expanded_once(TreeNode node) = 0;
    // Sets TVIS_EXPANDEDONCE and the child count in one update.
    virtual void mark_expanded_once(TreeNode node, int child_count) = 0;
    virtual void enable(bool enabled) = 0;
    // Shows the library's shared images (as the normal image list).
    virtual void use_shared_images() = 0;
};

// A report list view. Rows carry a text in each column and an image; at most one row is selected.
class ListView {
public:
    virtual ~ListView() = default;
    // The one column: its title, as wide as the client area, header hidden.
    virtual void set_single_column(const std::string &title) = 0;
    // Appends a left-aligned column, width_percent × client width / 100 wide (integer arithmetic).
    virtual void add_column(const std::string &title, int width_percent) = 0;
    // A click anywhere in a row selects the whole row (LVS_EX_FULLROWSELECT).
    virtual void set_full_row_select() = 0;
    // The text of an existing row's column; column 0 is the row's own text.
    virtual void set_cell(int row, int column, const std::string &text) = 0;
    virtual void set_image(int row, int image) = 0;
    virtual int count() = 0;
    // Inserts at index (count() appends); returns the row's index.
    virtual int insert(int index, const std::string &text, int image) = 0;
    // The row's column 0 text.
    virtual std::string text(int row) = 0;
    virtual int image(int row) = 0;
    virtual void erase(int row) = 0;
    // The first selected row, or -1.
    virtual int selected() = 0;
    // Gives the row the selected and focused states.
    virtual void select(int row) = 0;
    // Turns redrawing off while many rows change at once.
    virtual void set_redraw(bool redraw) = 0;
    // Shows the library's shared images (as the small image list).
    virtual void use_shared_images() = 0;
};

// A running dialog's window, as the dialog's handlers see it. Controls are named by their IDs.
class DialogWindow {
public:
    virtual ~DialogWindow() = default;
    virtual void set_text(int control, const std::string &text) = 0;
    // The control's text read into a buffer of `capacity` bytes (at most capacity - 1 kept).
    virtual std::string text(int control, size_t capacity) = 0;
    virtual void enable(int control, bool enabled) = 0;
    virtual void focus(int control) = 0;
    virtual Tree &tree(int control) = 0;
    virtual ListView &list(int control) = 0;
    // A string of the library's own string table, read into a buffer of `capacity` characters.
    virtual std::string load_string(int id, size_t capacity) = 0;
    // A message box owned by the dialog; returns the button pressed (IDOK 1, IDYES 6, IDNO 7).
    virtual int message_box(const std::string &text, const std::string &caption, unsigned style) = 0;
    // Posts the dialog's private message (WM_USER + 1) to itself.
    virtual void post_connect_step() = 0;
    // Takes the key presses (WM_KEYDOWN, and nothing else) waiting for this thread, without
    // dispatching anything, and tells whether Escape was among them. Lets a long walk inside a
    // handler be stopped without the dialog being re-entered.
    virtual bool escape_pressed() = 0;
    // Shows the wait cursor; returns a token for restore_cursor.
    virtual void *show_wait_cursor() = 0;
    virtual void restore_cursor(void *previous) = 0;
    virtual void end(int result) = 0;
    // The window system's handle of the window (HWND), over which another dialog can be opened;
    // null where there is no window system.
    virtual void *native_handle() = 0;
};

// Message box styles and answers, as the system numbers them.
constexpr unsigned kMbIconHand = 0x10;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbDefButton2 = 0x100;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
constexpr int kVkEscape = 0x1B;

}  // namespace tagcfg::ui
