#include "item_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "opc/opc_util.h"
#include "opc/private_group.h"
#include "text_escape.h"

namespace tagcfg::cli {

namespace {

enum : uint16_t {
    kVtEmpty = 0,
    kVtNull = 1,
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
};

const char *const kTypeNames[] = {"VT_EMPTY",   "VT_NULL",    "VT_I2",      "VT_I4",       "VT_R4",    "VT_R8",
                                  "VT_CY",      "VT_DATE",    "VT_BSTR",    "VT_DISPATCH", "VT_ERROR", "VT_BOOL",
                                  "VT_VARIANT", "VT_UNKNOWN", "VT_DECIMAL", nullptr,       "VT_I1",    "VT_UI1",
                                  "VT_UI2",     "VT_UI4",     "VT_I8",      "VT_UI8",      "VT_INT",   "VT_UINT"};

// Quality word: two bits of quality, four of substatus, two of limits.
constexpr uint16_t kQualityMask = 0xC0;
constexpr uint16_t kQualityBad = 0x00;
constexpr uint16_t kQualityUncertain = 0x40;
constexpr uint16_t kQualityGood = 0xC0;

const char *const kBadSubstatus[] = {"non-specific",          "configuration error", "not connected",
                                     "device failure",        "sensor failure",      "last known value",
                                     "communication failure", "out of service",      "waiting for initial data"};
const char *const kUncertainSubstatus[] = {
    nullptr, "last usable value", nullptr, nullptr, "sensor not accurate", "engineering units exceeded", "sub-normal"};

constexpr int64_t kDaysFrom1601To1899_12_30 = 109205;
constexpr int64_t kMillisecondsPerDay = 86400000;

// The shortest text that reads back as the same number, in C notation whatever the locale.
template <typename Number>
std::string shortest(Number number) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    return std::string(text, end);
}

// A time given as milliseconds since 1601-01-01 as "YYYY-MM-DDTHH:MM:SS", the milliseconds after
// it when `milliseconds` says so or there are any.
std::string civil_text(int64_t since_1601, bool milliseconds) {
    int64_t days = since_1601 / kMillisecondsPerDay, in_day = since_1601 % kMillisecondsPerDay;
    if (in_day < 0) {
        in_day += kMillisecondsPerDay;
        --days;
    }
    // Days since 0000-03-01, then the civil date (the proleptic Gregorian calendar).
    const int64_t shifted = days + 584694, era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const int64_t of_era = shifted - era * 146097;
    const int64_t year_of_era = (of_era - of_era / 1460 + of_era / 36524 - of_era / 146096) / 365;
    const int64_t of_year = of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t month_index = (5 * of_year + 2) / 153, day = of_year - (153 * month_index + 2) / 5 + 1;
    const int64_t month = month_index < 10 ? month_index + 3 : month_index - 9;
    const int64_t year = year_of_era + era * 400 + (month <= 2);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(in_day / 3600000),
                  static_cast<long long>(in_day / 60000 % 60), static_cast<long long>(in_day / 1000 % 60));
    std::string out = text;
    if (milliseconds || in_day % 1000) {
        std::snprintf(text, sizeof text, ".%03lld", static_cast<long long>(in_day % 1000));
        out += text;
    }
    return out;
}

std::string element_text(const platform::ValueElement &element) {
    switch (element.type) {
    case kVtEmpty: return "";
    case kVtNull: return "null";
    case kVtI1:
    case kVtI2:
    case kVtI4:
    case kVtI8:
    case kVtInt: return std::to_string(element.integer);
    case kVtUi1:
    case kVtUi2:
    case kVtUi4:
    case kVtUi8:
    case kVtUint: return std::to_string(element.unsigned_integer);
    case kVtR4: return shortest(static_cast<float>(element.real));
    case kVtR8: return shortest(element.real);
    case kVtBool: return element.integer ? "true" : "false";
    case kVtError: return result_text(static_cast<int32_t>(element.integer));
    case kVtCy: {
        // Units of 1/10,000: the whole part, then the fraction without its trailing zeros.
        const uint64_t magnitude =
            element.integer < 0 ? 0 - static_cast<uint64_t>(element.integer) : static_cast<uint64_t>(element.integer);
        std::string text = (element.integer < 0 ? "-" : "") + std::to_string(magnitude / 10000);
        std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        return fraction.empty() ? text : text + "." + fraction;
    }
    case kVtDate: {
        if (!std::isfinite(element.real) || std::fabs(element.real) > 3e6) return "(VT_DATE)";
        // The whole days count from 1899-12-30 either way; the fraction is the time of that day.
        const double whole = std::trunc(element.real);
        const int64_t milliseconds = std::llround(std::fabs(element.real - whole) * kMillisecondsPerDay);
        return civil_text(
            (static_cast<int64_t>(whole) + kDaysFrom1601To1899_12_30) * kMillisecondsPerDay + milliseconds, false);
    }
    case kVtBstr: {
        std::string narrow;
        to_narrow(element.text.c_str(), element.text.size(), narrow);
        return quote_if_needed(narrow);
    }
    default: return "(" + vartype_name(element.type) + ")";
    }
}

}  // namespace

std::string vartype_name(uint16_t type) {
    const uint16_t element = type & ~platform::kVtArrayBit;
    std::string name =
        element < std::size(kTypeNames) && kTypeNames[element] ? kTypeNames[element] : "VT_" + std::to_string(element);
    return (type & platform::kVtArrayBit) ? "VT_ARRAY|" + name : name;
}

std::string rights_text(uint32_t rights) {
    const bool read = rights & platform::kOpcReadable, write = rights & platform::kOpcWriteable;
    return read && write ? "read/write" : read ? "read" : write ? "write" : "none";
}

bool is_bad_quality(uint16_t quality) { return (quality & kQualityMask) == kQualityBad; }

std::string quality_text(uint16_t quality) {
    const unsigned substatus = (quality >> 2) & 0xF;
    const char *word = nullptr, *named = nullptr;
    switch (quality & kQualityMask) {
    case kQualityBad:
        word = "bad";
        named = substatus < std::size(kBadSubstatus) ? kBadSubstatus[substatus] : nullptr;
        break;
    case kQualityUncertain:
        word = "uncertain";
        named = substatus < std::size(kUncertainSubstatus) ? kUncertainSubstatus[substatus] : nullptr;
        break;
    case kQualityGood:
        word = "good";
        named = substatus == 6 ? "local override" : nullptr;
        break;
    default: word = "not a quality";
    }
    if (named) return std::string(word) + ": " + named;
    if (substatus == 0 && (quality & kQualityMask) != kQualityBad) return word;
    return std::string(word) + ": substatus " + std::to_string(substatus);
}

std::string value_text(const platform::ItemValue &value) {
    if (!(value.type & platform::kVtArrayBit)) {
        platform::ValueElement nothing;
        nothing.type = value.type;
        return element_text(value.elements.empty() ? nothing : value.elements[0]);
    }
    std::string text = "[";
    for (size_t i = 0; i < value.elements.size(); ++i) text += (i ? ", " : "") + element_text(value.elements[i]);
    return text + "]";
}

std::string time_text(uint64_t filetime) { return civil_text(static_cast<int64_t>(filetime / 10000), true) + "Z"; }

std::string item_error_text(int32_t error) {
    if (error == kOpcUnknownItemId || error == kOpcInvalidItemId) return "not in the server's address space";
    if (error == kOpcUnknownPath) return "access path not known to the server";
    return "the server answered " + result_text(error);
}

std::string result_text(int32_t result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

std::string reading_text(const ItemReading &reading) {
    return value_text(reading.value) + '\t' + quality_text(reading.quality) + '\t' + time_text(reading.timestamp);
}

}  // namespace tagcfg::cli
