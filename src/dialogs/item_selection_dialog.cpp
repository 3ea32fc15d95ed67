#include "dialogs/item_selection_dialog.h"

#include <unordered_map>

#include "dialogs/connect_step.h"
#include "platform/text.h"
#include "resource_ids.h"

namespace tagcfg {

// The browse view draws its nodes with the shared image list's images, by indexes of its own, as
// the opc layer does not see the resources: these must name the same pictures.
static_assert(kServerImage == IMAGE_OPC_SERVER && kBranchImage == IMAGE_BRANCH && kLeafImage == IMAGE_LEAF);

namespace {

using ui::EventKind;

// Redrawing stays off while many rows arrive, and comes back even when adding fails half way.
class RedrawOff {
public:
    explicit RedrawOff(ui::ListView &list) : list_(list) { list_.set_redraw(false); }
    ~RedrawOff() { list_.set_redraw(true); }
    RedrawOff(const RedrawOff &) = delete;
    RedrawOff &operator=(const RedrawOff &) = delete;

private:
    ui::ListView &list_;  // not owned: the dialog's list view, which outlives this guard
};

}  // namespace

ItemSelectionDialog::ItemSelectionDialog(ServerConfig &server, std::vector<std::string> &items)
    : server_(server), items_(items) {}

ItemSelectionDialog::~ItemSelectionDialog() = default;

int ItemSelectionDialog::template_id() const { return IDD_ITEM_SELECTION; }

const std::vector<ItemSelectionDialog::TableRow> &ItemSelectionDialog::events() {
    static const std::vector<TableRow> table = {
        {EventKind::init, 0, &ItemSelectionDialog::initialise},
        {EventKind::connect_step, 0, &ItemSelectionDialog::connect_step},
        {EventKind::command, ui::kIdOk, &ItemSelectionDialog::confirm},
        {EventKind::command, ui::kIdCancel, &ItemSelectionDialog::cancel},
        {EventKind::command, IDC_ADD_ITEMS, &ItemSelectionDialog::add},
        {EventKind::command, IDC_REMOVE_ITEM, &ItemSelectionDialog::remove},
        {EventKind::command, IDC_MOVE_UP, &ItemSelectionDialog::move_up},
        {EventKind::command, IDC_MOVE_DOWN, &ItemSelectionDialog::move_down},
        {EventKind::node_expanding, IDC_BROWSE_TREE, &ItemSelectionDialog::expanding},
        {EventKind::double_clicked, IDC_BROWSE_TREE, &ItemSelectionDialog::double_click},
        {EventKind::list_item_changed, IDC_SELECTED_ITEMS, &ItemSelectionDialog::item_changed},
    };
    return table;
}

void ItemSelectionDialog::initialise(ui::DialogWindow &window, const ui::Event &) {
    initialising_ = true;
    ui::ListView &list = window.list(IDC_SELECTED_ITEMS);
    window.tree(IDC_BROWSE_TREE).use_shared_images();
    list.use_shared_images();
    list.set_single_column(window.load_string(IDS_ITEM_ID_COLUMN, kCaptionText));
    tree_ = &window.tree(IDC_BROWSE_TREE);
    view_ = std::make_unique<BrowseView>(*tree_);
    for (const std::string &item_id : items_) add_item_id(list, item_id);
    initialising_ = false;
    update_buttons(window);
    window.focus(IDC_BROWSE_TREE);
    window.post_connect_step();
}

void ItemSelectionDialog::connect_step(ui::DialogWindow &window, const ui::Event &) {
    ui::TreeNode root = run_connect_step(window, server_, *view_);
    if (view_->can_browse()) tree_->expand(root);
}

void ItemSelectionDialog::confirm(ui::DialogWindow &window, const ui::Event &) {
    items_.clear();
    items_.reserve(rows_.size());
    for (const Row &row : rows_) items_.push_back(row.text);
    window.end(ui::kIdOk);
}

void ItemSelectionDialog::cancel(ui::DialogWindow &window, const ui::Event &) { window.end(ui::kIdCancel); }

void ItemSelectionDialog::add(ui::DialogWindow &window, const ui::Event &) {
    if (!view_) return;
    ui::ListView &list = window.list(IDC_SELECTED_ITEMS);
    ui::TreeNode node = tree_->selection();
    if (!node) return;
    if (tree_->child_count(node) >= 1) {
        add_branch(window, list, node);
        return;
    }
    std::string item_id;
    if (view_->item_id_of_node(node, item_id)) list.select(add_item_id(list, item_id));
}

// No wait cursor: Escape stops the walk, and whatever ends it (the end of the branch, a bound, a
// server that died), what was found stays listed, with no message.
void ItemSelectionDialog::add_branch(ui::DialogWindow &window, ui::ListView &list, ui::TreeNode node) {
    CollectEnd end;
    {
        RedrawOff quiet(list);
        end = view_->collect_item_ids(
            node, [&](const std::string &item_id) { add_item_id(list, item_id); },
            [&] { return window.escape_pressed(); });
    }
    if (end != CollectEnd::unreachable && !rows_.empty()) list.select(static_cast<int>(rows_.size()) - 1);
}

void ItemSelectionDialog::double_click(ui::DialogWindow &window, const ui::Event &event) {
    if (!view_) return;
    ui::TreeNode node = tree_->selection();
    if (!node || !tree_->parent(node)) return;
    if (tree_->child_count(node) != 0) return;  // the tree opens or closes it by itself
    add(window, event);
}

void ItemSelectionDialog::remove(ui::DialogWindow &window, const ui::Event &) {
    ui::ListView &list = window.list(IDC_SELECTED_ITEMS);
    int row = list.selected();
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
    erase_row(list, row);
    if (rows_.empty()) return;
    int last = static_cast<int>(rows_.size()) - 1;
    list.select(row < last ? row : last);
}

void ItemSelectionDialog::move_up(ui::DialogWindow &window, const ui::Event &) { move_selected(window, -1); }

void ItemSelectionDialog::move_down(ui::DialogWindow &window, const ui::Event &) { move_selected(window, 1); }

void ItemSelectionDialog::move_selected(ui::DialogWindow &window, int step) {
    ui::ListView &list = window.list(IDC_SELECTED_ITEMS);
    int row = list.selected();
    int target = row + step;
    if (row < 0 || target < 0 || static_cast<size_t>(target) >= rows_.size()) return;
    insert_row(list, target, erase_row(list, row));
    list.select(target);
}

void ItemSelectionDialog::expanding(ui::DialogWindow &, const ui::Event &event) {
    if (view_ && event.node) view_->on_expanding(event.node);
}

void ItemSelectionDialog::item_changed(ui::DialogWindow &window, const ui::Event &) {
    if (!initialising_) update_buttons(window);
}

void ItemSelectionDialog::update_buttons(ui::DialogWindow &window) {
    int row = window.list(IDC_SELECTED_ITEMS).selected();
    int rows = static_cast<int>(rows_.size());
    window.enable(IDC_REMOVE_ITEM, row >= 0);
    window.enable(IDC_MOVE_UP, row > 0);
    window.enable(IDC_MOVE_DOWN, row >= 0 && row < rows - 1);
}

int ItemSelectionDialog::add_item_id(ui::ListView &list, const std::string &item_id) {
    std::string key = platform::fold_case(item_id);
    auto found = row_of_key_.find(key);
    if (found != row_of_key_.end()) return static_cast<int>(found->second);
    int index = static_cast<int>(rows_.size());
    insert_row(list, index, Row{item_id, std::move(key)});
    return index;
}

// The model changes before the list, so that the list's notifications already see the new rows.
void ItemSelectionDialog::insert_row(ui::ListView &list, int index, Row row) {
    auto at = static_cast<size_t>(index);
    for (size_t i = at; i < rows_.size(); ++i) ++row_of_key_[rows_[i].key];
    row_of_key_[row.key] = at;
    rows_.insert(rows_.begin() + index, std::move(row));
    list.insert(index, rows_[at].text, kLeafImage);
}

ItemSelectionDialog::Row ItemSelectionDialog::erase_row(ui::ListView &list, int index) {
    auto at = static_cast<size_t>(index);
    Row row = std::move(rows_[at]);
    rows_.erase(rows_.begin() + index);
    row_of_key_.erase(row.key);
    for (size_t i = at; i < rows_.size(); ++i) --row_of_key_[rows_[i].key];
    list.erase(index);
    return row;
}

}  // namespace tagcfg
