#include "address_space/item_state.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace opcsim {

namespace {

const struct {
    const char *name;
    uint16_t type;
} kTypeNames[] = {
    {"VT_EMPTY", kVtEmpty}, {"VT_I2", kVtI2},     {"VT_I4", kVtI4},     {"VT_R4", kVtR4},       {"VT_R8", kVtR8},
    {"VT_CY", kVtCy},       {"VT_DATE", kVtDate}, {"VT_BSTR", kVtBstr}, {"VT_ERROR", kVtError}, {"VT_BOOL", kVtBool},
    {"VT_I1", kVtI1},       {"VT_UI1", kVtUi1},   {"VT_UI2", kVtUi2},   {"VT_UI4", kVtUi4},     {"VT_I8", kVtI8},
    {"VT_UI8", kVtUi8},     {"VT_INT", kVtInt},   {"VT_UINT", kVtUint},
};

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kTicksPerDay = 86400 * kTicksPerSecond;
constexpr int64_t kDaysFrom1601To1899_12_30 = 109205;

// Days from 1601-01-01 to the date of the proleptic Gregorian calendar.
int64_t days_since_1601(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = year / 400, of_era = year - era * 400;
    const int64_t of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t of_cycle = of_era * 365 + of_era / 4 - of_era / 100 + of_year;
    return era * 146097 + of_cycle - 584694;  // the days from 0000-03-01 to 1601-01-01
}

bool whole_signed(const std::string &text, int64_t low, int64_t high, int64_t &value) {
    char *end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end || errno || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool whole_unsigned(const std::string &text, uint64_t high, uint64_t &value) {
    char *end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || text[0] == '-' || *end || errno || parsed > high) return false;
    value = parsed;
    return true;
}

bool real(const std::string &text, double &value) {
    char *end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && !*end && std::isfinite(value);
}

}  // namespace

bool parse_vartype(const std::string &name, uint16_t &type) {
    const std::string array = "VT_ARRAY|";
    const bool is_array = name.compare(0, array.size(), array) == 0;
    const std::string element = is_array ? name.substr(array.size()) : name;
    for (const auto &known : kTypeNames) {
        if (element != known.name || (is_array && known.type == kVtEmpty)) continue;
        type = static_cast<uint16_t>(known.type | (is_array ? kVtArray : 0));
        return true;
    }
    return false;
}

bool parse_scalar(uint16_t type, const std::string &text, Scalar &scalar) {
    using std::numeric_limits;
    switch (type) {
    case kVtI1: return whole_signed(text, -128, 127, scalar.integer);
    case kVtI2: return whole_signed(text, -32768, 32767, scalar.integer);
    case kVtI4:
    case kVtInt:
    case kVtError:
        // A result is written as the HRESULT it is: 0x80004005 stands for its negative value.
        if (!whole_signed(text, numeric_limits<int32_t>::min(), numeric_limits<uint32_t>::max(), scalar.integer))
            return false;
        scalar.integer = static_cast<int32_t>(static_cast<uint32_t>(scalar.integer));
        return true;
    case kVtI8:
        return whole_signed(text, numeric_limits<int64_t>::min(), numeric_limits<int64_t>::max(), scalar.integer);
    case kVtUi1: return whole_unsigned(text, 0xFF, scalar.unsigned_integer);
    case kVtUi2: return whole_unsigned(text, 0xFFFF, scalar.unsigned_integer);
    case kVtUi4:
    case kVtUint: return whole_unsigned(text, 0xFFFFFFFF, scalar.unsigned_integer);
    case kVtUi8: return whole_unsigned(text, numeric_limits<uint64_t>::max(), scalar.unsigned_integer);
    case kVtR4:
    case kVtR8: return real(text, scalar.real);
    case kVtCy: {
        double units = 0;
        if (!real(text, units) || std::fabs(units) > 9e14) return false;
        scalar.integer = std::llround(units * 10000);
        return true;
    }
    case kVtDate: {
        uint64_t filetime = 0;
        if (!parse_time(text, filetime)) return false;
        scalar.real = static_cast<double>(filetime) / kTicksPerDay - kDaysFrom1601To1899_12_30;
        return true;
    }
    case kVtBool:
        if (text != "true" && text != "false") return false;
        scalar.integer = text == "true" ? -1 : 0;
        return true;
    case kVtBstr: scalar.text = text; return true;
    default: return false;
    }
}

bool parse_time(const std::string &text, uint64_t &filetime) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &used) !=
            6 ||
        used != 19 || year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59)
        return false;
    uint64_t fraction = 0, scale = kTicksPerSecond;
    size_t at = 19;
    if (text[at] == '.') {
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9' && scale > 1; ++at)
            fraction += (scale /= 10) * static_cast<uint64_t>(text[at] - '0');
    }
    if (text.substr(at) != "Z") return false;
    const uint64_t days = static_cast<uint64_t>(days_since_1601(year, month, day));
    filetime =
        days * kTicksPerDay + static_cast<uint64_t>(hour * 3600 + minute * 60 + second) * kTicksPerSecond + fraction;
    return true;
}

}  // namespace opcsim
