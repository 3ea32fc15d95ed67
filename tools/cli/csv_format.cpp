#include "csv_format.h"

namespace tagcfg::cli {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool needs_quotes(const std::string &field) {
    return field.find_first_of(",\"\r\n") != std::string::npos ||
           (!field.empty() && (is_blank(field.front()) || is_blank(field.back())));
}

}  // namespace

std::string csv_record(const std::vector<std::string> &fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        if (!needs_quotes(fields[i])) {
            out += fields[i];
            continue;
        }
        out += '"';
        for (char c : fields[i]) out += c == '"' ? "\"\"" : std::string(1, c);
        out += '"';
    }
    return out;
}

bool CsvReader::at_line_end() const {
    return text_[position_] == '\n' ||
           (text_[position_] == '\r' && position_ + 1 < text_.size() && text_[position_ + 1] == '\n');
}

void CsvReader::end_line() {
    if (position_ < text_.size()) {
        position_ += text_[position_] == '\r' ? 2 : 1;
        ++line_;
    }
}

void CsvReader::skip_line() {
    while (position_ < text_.size() && text_[position_] != '\n') ++position_;
    if (position_ < text_.size()) end_line();
}

bool CsvReader::next(Record &record) {
    if (position_ >= text_.size()) return false;
    record = Record{};
    record.line = line_;
    for (;;) {
        std::string field;
        if (position_ < text_.size() && text_[position_] == '"') {
            for (++position_;; ++position_) {
                if (position_ == text_.size()) {
                    record.error = "a quoted field is not closed";
                    return true;
                }
                const char c = text_[position_];
                if (c == '"' && (++position_ == text_.size() || text_[position_] != '"')) break;
                if (c == '\n') ++line_;
                field += c;
            }
            if (position_ < text_.size() && text_[position_] != ',' && !at_line_end()) {
                record.error = "text after the closing quote of a field";
                skip_line();
                return true;
            }
        } else {
            for (; position_ < text_.size() && text_[position_] != ',' && !at_line_end(); ++position_) {
                if (text_[position_] == '"') {
                    record.error = "a quote in a field that does not begin with one";
                    skip_line();
                    return true;
                }
                field += text_[position_];
            }
        }
        record.fields.push_back(std::move(field));
        if (position_ == text_.size() || text_[position_] != ',') break;
        ++position_;
    }
    end_line();
    return true;
}

}  // namespace tagcfg::cli
