// A list view kept in memory, for dialog logic that runs without a window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tagcfg::ui {

class MemoryList : public ListView {
public:
    struct Row {
        std::string text;
        int image = 0;
        std::vector<std::string> cells;  // columns 1 on
    };
    struct Column {
        std::string title;
        int width;
    };

    // The width that columns share out, in pixels: 306 dialog units at the templates' font.
    int client_width = 459;

    // Raised when the selection changes, as LVN_ITEMCHANGED is.
    std::function<void()> on_item_changed;

    void set_single_column(const std::string &title) override { column_ = title; }
    void add_column(const std::string &title, int width_percent) override;
    void set_full_row_select() override { full_row_select_ = true; }
    // As the real control does, a change to a row's own text or image is reported like a
    // selection change; a change to a later column is not.
    void set_cell(int row, int column, const std::string &text) override;
    void set_image(int row, int image) override;
    int count() override { return static_cast<int>(rows_.size()); }
    int insert(int index, const std::string &text, int image) override;
    std::string text(int row) override { return rows_.at(static_cast<size_t>(row)).text; }
    int image(int row) override { return rows_.at(static_cast<size_t>(row)).image; }
    void erase(int row) override;
    int selected() override { return selected_; }
    void select(int row) override;
    void set_redraw(bool redraw) override { redraw_ = redraw; }
    void use_shared_images() override { shared_images_ = true; }

    const std::string &column() const { return column_; }
    bool redraw() const { return redraw_; }
    bool shows_shared_images() const { return shared_images_; }
    std::vector<std::string> texts() const;
    // The row's text in a column; empty for a column never set.
    std::string cell(int row, int column) const;
    const std::vector<Column> &columns() const { return columns_; }
    bool full_row_select() const { return full_row_select_; }

private:
    void change_selection(int row);

    std::vector<Row> rows_;
    int selected_ = -1;
    std::string column_;
    std::vector<Column> columns_;
    bool full_row_select_ = false;
    bool redraw_ = true;
    bool shared_images_ = false;
};

}  // namespace tagcfg::ui
