// CSV as spreadsheets exchange it (RFC 4180): fields separated by commas; a field that holds a
// comma, a quote or a line break is enclosed in quotes, with its own quotes doubled; blanks are
// part of a field. Written with CR LF line ends and no byte order mark; read with CR LF or LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tagcfg::cli {

// The fields as one line of CSV, without its line end. A field is also quoted when it begins or
// ends with a blank, so that no spreadsheet takes the blank for padding.
std::string csv_record(const std::vector<std::string> &fields);

// One record after another from a whole text.
class CsvReader {
public:
    struct Record {
        size_t line = 0;  // where it starts, counting from 1
        std::vector<std::string> fields;
        std::string error;  // why the record is malformed, or empty
    };

    explicit CsvReader(std::string_view text) : text_(text) {}

    // False at the end of the text. A malformed record is skipped up to the next line end, so the
    // records after it are read as they stand.
    bool next(Record &record);

private:
    bool at_line_end() const;
    void end_line();  // steps over the line end at the position, or to the end of the text
    void skip_line();

    std::string_view text_;
    size_t position_ = 0;
    size_t line_ = 1;
};

}  // namespace tagcfg::cli
