#include "platform/memory/memory_list.h"

#include <utility>

namespace tagcfg::ui {

int MemoryList::insert(int index, const std::string &text, int image) {
    if (index < 0 || index > count()) index = count();
    Row row;
    row.text = text;
    row.image = image;
    rows_.insert(rows_.begin() + index, std::move(row));
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

void MemoryList::add_column(const std::string &title, int width_percent) {
    columns_.push_back({title, width_percent * client_width / 100});
}

void MemoryList::set_cell(int row, int column, const std::string &text) {
    if (row < 0 || row >= count() || column < 0) return;
    Row &r = rows_[static_cast<size_t>(row)];
    if (column == 0) {
        r.text = text;
        if (on_item_changed) on_item_changed();
        return;
    }
    if (r.cells.size() < static_cast<size_t>(column)) r.cells.resize(static_cast<size_t>(column));
    r.cells[static_cast<size_t>(column) - 1] = text;
}

void MemoryList::set_image(int row, int image) {
    if (row < 0 || row >= count()) return;
    rows_[static_cast<size_t>(row)].image = image;
    if (on_item_changed) on_item_changed();
}

std::string MemoryList::cell(int row, int column) const {
    const Row &r = rows_.at(static_cast<size_t>(row));
    if (column == 0) return r.text;
    size_t at = static_cast<size_t>(column) - 1;
    return at < r.cells.size() ? r.cells[at] : std::string();
}

std::vector<std::string> MemoryList::texts() const {
    std::vector<std::string> out;
    for (const Row &r : rows_) out.push_back(r.text);
    return out;
}

}  // namespace tagcfg::ui
