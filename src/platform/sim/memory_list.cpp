#include "platform/sim/memory_list.h"

namespace tagcfg::ui {

int MemoryList::insert(int index, const std::string &text, int image) {
    if (index < 0 || index > count()) index = count();
    rows_.insert(rows_.begin() + index, Row{text, image});
    if (selected_ >= index) ++selected_;  // the selected row moved down, still selected
    return index;
}

void MemoryList::erase(int row) {
    if (row < 0 || row >= count()) return;
    rows_.erase(rows_.begin() + row);
    if (selected_ == row) change_selection(-1);
    else if (selected_ > row) --selected_;
}

void MemoryList::select(int row) { change_selection(row >= 0 && row < count() ? row : -1); }

void MemoryList::change_selection(int row) {
    if (row == selected_) return;
    selected_ = row;
    if (on_item_changed) on_item_changed();
}

std::vector<std::string> MemoryList::texts() const {
    std::vector<std::string> out;
    for (const Row &r : rows_) out.push_back(r.text);
    return out;
}

}  // namespace tagcfg::ui
