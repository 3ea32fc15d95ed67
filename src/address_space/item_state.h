// What an item of a fake OPC server holds, as its address-space description gives it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace opcsim {

// VARTYPE codes, as COM numbers them.
enum VarType : uint16_t {
    kVtEmpty = 0,
    kVtI2 = 2,
    kVtI4 = 3,
    kVtR4 = 4,
    kVtR8 = 5,
    kVtCy = 6,
    kVtDate = 7,
    kVtBstr = 8,
    kVtError = 10,
    kVtBool = 11,
    kVtI1 = 16,
    kVtUi1 = 17,
    kVtUi2 = 18,
    kVtUi4 = 19,
    kVtI8 = 20,
    kVtUi8 = 21,
    kVtInt = 22,
    kVtUint = 23,
    kVtArray = 0x2000,
};

// One element of an item's value, held as its type says.
struct Scalar {
    int64_t integer = 0;            // signed types, VT_BOOL (0 or -1), VT_ERROR, VT_CY (in units of 1/10,000)
    uint64_t unsigned_integer = 0;  // VT_UI1 to VT_UI8, VT_UINT
    double real = 0;                // VT_R4, VT_R8, VT_DATE (days since 1899-12-30)
    std::string text;               // VT_BSTR
};

// What a leaf holds, as a read gives it.
struct ItemState {
    uint16_t type = kVtI4;  // VT_ARRAY set for an array
    std::vector<Scalar> elements = {Scalar()};
    uint32_t rights = 3;  // OPC_READABLE 1 | OPC_WRITEABLE 2
    uint16_t quality = 0xC0;
    uint64_t time = 125911584000000000;  // a FILETIME, 100 ns steps since 1601: 2000-01-01T00:00:00Z
    int32_t item_error = 0;              // what adding or validating it answers when not 0
};

// The VARTYPE named as COM names it ("VT_R4", "VT_ARRAY|VT_I2"), or false.
bool parse_vartype(const std::string &name, uint16_t &type);

// An element of a value of the type (VT_ARRAY left out) from its text: a number in C notation, a
// date or time as an ISO 8601 time below, true or false, or (VT_BSTR) the text itself.
bool parse_scalar(uint16_t type, const std::string &text, Scalar &scalar);

// "YYYY-MM-DDTHH:MM:SS[.fff]Z" as a FILETIME, 100 ns steps since 1601-01-01 UTC.
bool parse_time(const std::string &text, uint64_t &filetime);

}  // namespace opcsim
