#include "memory_dialog.h"

#include <algorithm>

#include "platform/creation_list.h"
#include "resource_ids.h"
#include "texts_en.h"

namespace tagcfg::ui {

namespace {

// The English string table, as the library's resources hold it.
const std::map<int, std::string> kStrings = {
    {IDS_MY_COMPUTER, EN_MY_COMPUTER},         {IDS_NETWORK_NEIGHBOURHOOD, EN_NETWORK_NEIGHBOURHOOD},
    {IDS_ENTIRE_NETWORK, EN_ENTIRE_NETWORK},   {IDS_ITEM_ID_COLUMN, EN_ITEM_ID_COLUMN},
    {IDS_WARNING_CAPTION, EN_WARNING_CAPTION}, {IDS_ERROR_CAPTION, EN_ERROR_CAPTION},
    {IDS_CONNECT_FAILED, EN_CONNECT_FAILED},   {IDS_SERVER_COLUMNS, EN_SERVER_COLUMNS},
    {IDS_NOT_CONFIGURED, EN_NOT_CONFIGURED},   {IDS_CONFIRM_SERVER_CHANGE, EN_CONFIRM_SERVER_CHANGE},
};

// What a buffer of that many bytes holds of the text.
std::string cut(const std::string &text, size_t capacity) {
    return capacity == 0 ? std::string() : text.substr(0, capacity - 1);
}

}  // namespace

std::string MemoryDialog::text(int control, size_t capacity) { return cut(texts_[control], capacity); }

std::string MemoryDialog::load_string(int id, size_t capacity) {
    return cut(kStrings.count(id) ? kStrings.at(id) : "", capacity);
}

void MemoryDialog::enable(int control, bool enabled) {
    if (enabled) disabled_.erase(control);
    else disabled_.insert(control);
}

MemoryTree &MemoryDialog::memory_tree(int control) {
    auto [at, made] = trees_.try_emplace(control);
    if (made)
        at->second.on_expanding = [this, control](TreeNode node) { raise({EventKind::node_expanding, control, node}); };
    return at->second;
}

MemoryList &MemoryDialog::memory_list(int control) {
    auto [at, made] = lists_.try_emplace(control);
    if (made) at->second.on_item_changed = [this, control] { raise({EventKind::list_item_changed, control}); };
    return at->second;
}

int MemoryDialog::message_box(const std::string &text, const std::string &caption, unsigned style) {
    shown_.push_back(std::to_string(style) + "|" + caption + "|" + text);
    if (answers.empty()) return kIdOk;
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

bool MemoryDialog::escape_pressed() {
    ++key_checks_;
    bool escape = std::find(keys_.begin(), keys_.end(), kVkEscape) != keys_.end();
    keys_.clear();
    return escape;
}

void *MemoryDialog::show_wait_cursor() {
    ++wait_cursors_;
    return nullptr;
}

void MemoryDialog::select_node(int tree_control, TreeNode node) {
    memory_tree(tree_control).select(node);
    raise({EventKind::selection_changed, tree_control});
}

void MemoryDialog::act(const Event &event) {
    raise(event);
    while (!posted_.empty() && !ended()) {
        Event posted = posted_.front();
        posted_.pop_front();
        raise(posted);
    }
}

int MemoryDialogHost::run(DialogObject &dialog, const User &user) {
    push_creation(&dialog);
    // The window's first message binds it to the newest object registered on this thread.
    EventTarget *bound = take_creation();
    if (bound != &dialog) return -1;
    MemoryDialog window(*bound);
    window.act({EventKind::init});
    if (!window.ended()) user(window);
    window.raise({EventKind::command, kIdCancel});
    return window.result_;
}

}  // namespace tagcfg::ui
