// CSV as the host program reads and writes it, record by record: each record's fields or why it is
// malformed, and the line it starts on, which every refusal of an import names.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "csv_format.h"

using tagcfg::cli::CsvReader;

// Records as "LINE:field|field" or "LINE!why", joined by " / "; after a malformed record the
// reading goes on at the next line.
TEST(CsvReader, FieldsLinesAndRefusals) {
    const std::pair<std::string, std::string> cases[] = {
        {"a,b\r\nc\n", "1:a|b / 2:c"},
        {",\r\n\"\"", "1:| / 2:"},
        {"\"x,\"\"y\"\"\"\r\n", "1:x,\"y\""},
        {"\"two\r\nlines\",z\r\nnext", "1:two\r\nlines|z / 3:next"},
        {"lone\rcr,x", "1:lone\rcr|x"},
        {"a\"b,c\r\nok", "1!a quote in a field that does not begin with one / 2:ok"},
        {"\"x\"y,z\nok", "1!text after the closing quote of a field / 2:ok"},
        {"ok\n\"open\r\nmore", "1:ok / 2!a quoted field is not closed"},
        {"", ""},
    };
    for (const auto &[text, expected] : cases) {
        CsvReader reader(text);
        CsvReader::Record record;
        std::string got;
        while (reader.next(record)) {
            got += (got.empty() ? "" : " / ") + std::to_string(record.line) + (record.error.empty() ? ":" : "!");
            for (size_t i = 0; i < record.fields.size(); ++i) got += (i ? "|" : "") + record.fields[i];
            got += record.error;
        }
        EXPECT_EQ(got, expected) << text;
    }
    // A field is quoted where a reader would take it otherwise, its quotes doubled.
    EXPECT_EQ(tagcfg::cli::csv_record({"a", " b", "c,d", "e\"f", "g\rh", "i\tj", ""}),
              "a,\" b\",\"c,d\",\"e\"\"f\",\"g\rh\",i\tj,");
}
