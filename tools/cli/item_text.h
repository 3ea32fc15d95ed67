// How the host program prints what a server says of an item: its data type, access rights,
// quality, value, timestamp and the failures it gives.
#pragma once

#include <cstdint>
#include <string>

#include "opc/private_group.h"
#include "platform/opc.h"

namespace tagcfg::cli {

// The VARTYPE as COM names it: "VT_R4", "VT_ARRAY|VT_I2"; one without a name as its number.
std::string vartype_name(uint16_t type);

// "read", "write", "read/write", or "none".
std::string rights_text(uint32_t rights);

// "good", "uncertain" or "bad", with the substatus after a colon ("bad: not connected"): always
// for bad, for the others when there is one to name.
std::string quality_text(uint16_t quality);
bool is_bad_quality(uint16_t quality);

// Numbers as C writes them (the shortest text that reads back as the same number), texts as
// quote_if_needed gives them, dates as ISO 8601 times without a zone, arrays as "[a, b, c]".
std::string value_text(const platform::ItemValue &value);

// A FILETIME as an ISO 8601 time in UTC: "2024-05-01T08:00:00.000Z".
std::string time_text(uint64_t filetime);

// Why a server refused an item: "not in the server's address space", "access path not known to
// the server", or the result itself ("the server answered 0xC0040006").
std::string item_error_text(int32_t error);

// An HRESULT as eight hexadecimal digits: "0xC0040006".
std::string result_text(int32_t result);

// What one read gave: "VALUE<TAB>QUALITY<TAB>TIMESTAMP".
std::string reading_text(const ItemReading &reading);

}  // namespace tagcfg::cli
