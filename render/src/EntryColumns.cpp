#include "EntryColumns.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <utility>

#include "morvash/ListingLine.h"
#include "morvash/platform/CStringArray.h"

namespace tandrel::detail {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kNineHours = 9 * 3600 * kTicksPerSecond;
constexpr long kDialogOffset = 9 * 3600;

// The time of a record that was not found, as the engine gives it.
const SYSTEMTIME& NotFoundTime() {
    static const SYSTEMTIME time = CFileInfo().m_LastWrite;
    return time;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(int year, unsigned month, unsigned day) noexcept {
    const std::chrono::sys_days date{std::chrono::year(year) / std::chrono::month(month) /
                                     std::chrono::day(day)};
    return date.time_since_epoch().count();
}

// "%d/%02d/%02d %02d:%02d": year, month, day, hour, minute.
void AppendTimeFields(std::string& out, std::uint64_t year, unsigned month, unsigned day,
                      unsigned hour, unsigned minute) {
    AppendDecimal(out, year);
    out += '/';
    AppendDecimal(out, month, 2);
    out += '/';
    AppendDecimal(out, day, 2);
    out += ' ';
    AppendDecimal(out, hour, 2);
    out += ':';
    AppendDecimal(out, minute, 2);
}

}  // namespace

FileFacts FactsOf(const CFileInfo& info) {
    FileFacts facts;
    facts.found = !info.m_FullPath.IsEmpty() || !info.m_FileTitle.IsEmpty();
    facts.size = (std::uint64_t{info.m_LengthHigh} << 32) | info.m_Length;
    facts.broken = true;
    facts.brokenDown = info.m_LastWrite;
    return facts;
}

FileFacts FactsOf(CSerchFiles& engine, int index) {
    const morvash::EntryDetails* details = engine.Details(index);
    if (details == nullptr) {
        return FactsOf(engine.gFc_GetFileInfo(index));
    }
    FileFacts facts;
    if (details->found) {
        facts.found = true;
        facts.size = details->size;
        facts.mode = details->mode;
        facts.links = details->links;
        facts.seconds = details->seconds;
        facts.nanoseconds = details->nanoseconds;
    }
    return facts;
}

SYSTEMTIME DialogTime(const FileFacts& facts) {
    if (facts.broken) {
        return facts.brokenDown;
    }
    if (!facts.found) {
        return NotFoundTime();
    }
    // Clamped into what a FILETIME holds, as the engine's lookup does, then
    // moved nine hours on.
    const FILETIME utc = platform::FileTimeFromUnix(facts.seconds, facts.nanoseconds);
    const std::uint64_t ticks =
        ((std::uint64_t{utc.dwHighDateTime} << 32) | utc.dwLowDateTime) + kNineHours;
    const FILETIME shifted{static_cast<DWORD>(ticks & 0xFFFF'FFFFu),
                           static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME time = NotFoundTime();
    FileTimeToSystemTime(&shifted, &time);
    return time;
}

std::vector<std::uint64_t> FolderTotals(CSerchFiles& engine) {
    const CStringArray& listing = *engine.gFc_GetListFiles();
    std::vector<std::uint64_t> totals(static_cast<std::size_t>(listing.GetSize()));
    // The folders that hold the current line, innermost last.
    std::vector<std::pair<int, int>> open;  // line, depth
    const auto close = [&](int depth) {
        while (!open.empty() && open.back().second >= depth) {
            const std::uint64_t total = totals[static_cast<std::size_t>(open.back().first)];
            open.pop_back();
            if (!open.empty()) {
                totals[static_cast<std::size_t>(open.back().first)] += total;
            }
        }
    };
    for (int i = 0; i < listing.GetSize(); ++i) {
        const morvash::ListingLine line = morvash::ReadListingLine(listing[i].view());
        close(line.depth);
        if (line.directory) {
            open.emplace_back(i, line.depth);
        } else if (!open.empty()) {
            totals[static_cast<std::size_t>(open.back().first)] += FactsOf(engine, i).size;
        }
    }
    close(0);
    return totals;
}

void AppendDecimal(std::string& out, std::uint64_t value, int minDigits) {
    std::array<char, 24> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    for (auto width = end - digits.data(); width < minDigits; ++width) {
        out += '0';
    }
    out.append(digits.data(), end);
}

void AppendSize(std::string& out, std::uint64_t size, SizeUnits units) {
    if (units == SizeUnits::Dialog) {
        // "%d B" up to 1000 bytes, "%d KB" up to 1000000, "%d MB" above;
        // units are powers of 1000 and divisions truncate.
        if (size <= 1000) {
            AppendDecimal(out, size);
            out += " B";
        } else if (size <= 1000000) {
            AppendDecimal(out, size / 1000);
            out += " KB";
        } else {
            AppendDecimal(out, size / 1000000);
            out += " MB";
        }
        return;
    }
    const std::uint64_t base = units == SizeUnits::Binary ? 1024 : 1000;
    const std::string_view names = units == SizeUnits::Binary ? "KMGTPE" : "kMGTPE";
    if (size < base) {
        AppendDecimal(out, size);
        return;
    }
    // The largest unit that leaves a whole part of at least one; rounded to
    // the nearest tenth below ten and to the nearest whole above, moving on to
    // the next unit when that reaches the base (1023.6K is 1.0M).
    std::size_t unit = 0;
    std::uint64_t divisor = base;
    while (unit + 1 < names.size() && size / divisor >= base) {
        divisor *= base;
        ++unit;
    }
    const std::uint64_t whole = size / divisor;
    const std::uint64_t rest = size % divisor;
    const std::uint64_t tenths = whole * 10 + (rest * 10 + divisor / 2) / divisor;
    if (tenths < 100) {
        AppendDecimal(out, tenths / 10);
        out += '.';
        AppendDecimal(out, tenths % 10);
    } else {
        std::uint64_t rounded = whole + (rest >= divisor - rest ? 1 : 0);
        if (rounded >= base && unit + 1 < names.size()) {
            ++unit;
            out += "1.0";
            out += names[unit];
            return;
        }
        AppendDecimal(out, rounded);
    }
    out += names[unit];
}

platform::ZonedTime Zoned(const FileFacts& facts, bool local) {
    const SYSTEMTIME time = DialogTime(facts);
    const std::int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay);
    platform::ZonedTime zoned;
    if (local && facts.found) {
        // A record's time is the dialog's: back to UTC first.
        const std::int64_t seconds = !facts.broken
                                         ? facts.seconds
                                         : days * 86400 + time.wHour * 3600 + time.wMinute * 60 +
                                               time.wSecond - kDialogOffset;
        if (platform::LocalTime(seconds, zoned)) {
            return zoned;
        }
    }
    zoned.year = time.wYear;
    zoned.month = time.wMonth;
    zoned.day = time.wDay;
    zoned.hour = time.wHour;
    zoned.minute = time.wMinute;
    zoned.second = time.wSecond;
    zoned.weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    zoned.yearDay = static_cast<int>(days - DaysFromCivil(time.wYear, 1, 1));
    // The not-found time is UTC's own.
    zoned.offset = facts.found ? kDialogOffset : 0;
    zoned.zone = facts.found ? "JST" : "UTC";
    zoned.daylight = 0;
    return zoned;
}

void AppendTime(std::string& out, const FileFacts& facts, const TimeStyle& style) {
    if (!style.local && style.format.empty()) {
        const SYSTEMTIME time = DialogTime(facts);
        AppendTimeFields(out, time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute);
        return;
    }
    const platform::ZonedTime time = Zoned(facts, style.local);
    if (!style.format.empty()) {
        out += platform::FormatTime(style.format, time);
        return;
    }
    AppendTimeFields(out, static_cast<std::uint64_t>(std::max<std::int64_t>(time.year, 0)),
                     time.month, time.day, time.hour, time.minute);
}

void AppendFileColumns(std::string& line, const FileFacts& facts, const FileColumns& columns,
                       std::string_view missing) {
    if (!facts.found) {
        line += missing;
    }
    if (columns.size) {
        line += '\t';
        AppendSize(line, facts.size, columns.units);
    }
    if (columns.time) {
        line += '\t';
        AppendTime(line, facts, columns.timeStyle);
    }
}

std::size_t FileColumnsBound(const FileColumns& columns, std::string_view missing) {
    // "\t18446744073709 MB"; "\t65535/65535/65535 65535:65535".
    constexpr std::size_t kSizeMax = 1 + 14 + 3;
    constexpr std::size_t kTimeMax = 1 + 5 * 5 + 4;
    const std::size_t formatted = 1 + 32 + 8 * columns.timeStyle.format.size();
    return missing.size() + (columns.size ? kSizeMax : 0) +
           (columns.time ? std::max(kTimeMax, formatted) : 0);
}

}  // namespace tandrel::detail
