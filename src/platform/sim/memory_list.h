// A list view kept in memory.
#pragma once

#include <functional>
#include <vector>

#include "platform/ui.h"

namespace tagcfg::ui {

class MemoryList : public ListView {
public:
    struct Row {
        std::string text;
        int image = 0;
    };

    // Raised when the selection changes, as LVN_ITEMCHANGED is.
    std::function<void()> on_item_changed;

    void set_single_column(const std::string &title) override { column_ = title; }
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

private:
    void change_selection(int row);

    std::vector<Row> rows_;
    int selected_ = -1;
    std::string column_;
    bool redraw_ = true;
    bool shared_images_ = false;
};

}  // namespace tagcfg::ui
