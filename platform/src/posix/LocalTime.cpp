#include "morvash/platform/LocalTime.h"

#include <time.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <vector>

namespace platform {

bool LocalTime(std::int64_t seconds, ZonedTime& out) {
    const auto moment = static_cast<time_t>(seconds);
    struct tm fields {};
    if (moment != seconds || ::localtime_r(&moment, &fields) == nullptr) {
        return false;
    }
    out.year = std::int64_t{fields.tm_year} + 1900;
    out.month = fields.tm_mon + 1;
    out.day = fields.tm_mday;
    out.hour = fields.tm_hour;
    out.minute = fields.tm_min;
    out.second = fields.tm_sec;
    out.weekday = fields.tm_wday;
    out.yearDay = fields.tm_yday;
    out.offset = fields.tm_gmtoff;
    out.zone = fields.tm_zone != nullptr ? fields.tm_zone : "";
    out.daylight = fields.tm_isdst;
    return true;
}

std::string FormatTime(std::string_view format, const ZonedTime& time) {
    if (format.empty()) {
        return {};
    }
    struct tm fields {};
    fields.tm_year = static_cast<int>(std::clamp<std::int64_t>(time.year - 1900, INT_MIN, INT_MAX));
    fields.tm_mon = time.month - 1;
    fields.tm_mday = time.day;
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;
    fields.tm_wday = time.weekday;
    fields.tm_yday = time.yearDay;
    fields.tm_isdst = time.daylight;
    fields.tm_gmtoff = time.offset;
    fields.tm_zone = time.zone.c_str();
    // strftime gives 0 both for a text that does not fit and for an empty
    // one; a space after the format tells the two apart.
    const std::string padded = std::string(format) + ' ';
    std::vector<char> text(padded.size() * 4 + 64);
    for (;;) {
        const std::size_t length = std::strftime(text.data(), text.size(), padded.c_str(), &fields);
        if (length > 0) {
            return std::string(text.data(), length - 1);
        }
        if (text.size() > 65536) {
            return {};
        }
        text.resize(text.size() * 4);
    }
}

}  // namespace platform
