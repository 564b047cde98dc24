#pragma once

// What the renderers write after an entry's name: the missing-file marker and
// the size and time columns, from one file's facts however they were read
// (a CFileInfo from a lookup, or the walk's own details). The number
// formatting and the reading of a record live here alone.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "morvash/SerchFiles.h"
#include "morvash/WalkOptions.h"
#include "morvash/platform/LocalTime.h"
#include "morvash/platform/SystemTime.h"
#include "tandrel/render/RenderWalk.h"

namespace tandrel::detail {

/// What a rendering knows of one entry. Its time is either the walk's
/// (seconds and nanoseconds) or a record's (already broken down).
struct FileFacts {
    bool found = false;       ///< the entry was found; otherwise the rest is the not-found record's
    std::uint64_t size = 0;   ///< in bytes
    std::uint32_t mode = 0;   ///< kind and permission bits (POSIX st_mode); 0 when unknown
    std::uint32_t links = 0;  ///< hard links; 0 when unknown
    std::int64_t seconds = 0;  ///< last-write time, UTC seconds since 1970
    std::uint32_t nanoseconds = 0;
    bool broken = false;      ///< the time is `brokenDown`, not `seconds`
    SYSTEMTIME brokenDown{};  ///< last-write time, UTC + 9 hours, as a record gives it
};

/// Returns the facts of a lookup's record (both strings empty: not found).
FileFacts FactsOf(const CFileInfo& info);

/// Returns the facts the walk read of line `index`: its details, or, for a
/// walk that was not asked for them, a lookup now.
FileFacts FactsOf(CSerchFiles& engine, int index);

/// Returns, for each folder line of `engine`'s listing, the total size of
/// the files below it (0 on the other lines).
std::vector<std::uint64_t> FolderTotals(CSerchFiles& engine);

/// Appends `value` in decimal, with leading zeros up to `minDigits`.
void AppendDecimal(std::string& out, std::uint64_t value, int minDigits = 1);

/// Appends a size as the size column writes it (without the TAB).
void AppendSize(std::string& out, std::uint64_t size, SizeUnits units);

/// Returns the last-write time of `facts` as the dialog shows it: UTC + 9
/// hours, or the not-found record's time.
SYSTEMTIME DialogTime(const FileFacts& facts);

/// Returns the moment of `facts` broken down in the dialog's zone (UTC + 9
/// hours) or, with `local`, in the process's.
platform::ZonedTime Zoned(const FileFacts& facts, bool local);

/// Appends the time as the time column writes it (without the TAB).
void AppendTime(std::string& out, const FileFacts& facts, const TimeStyle& style);

/// The columns a file line carries after its name.
struct FileColumns {
    bool size = false;
    SizeUnits units = SizeUnits::Dialog;
    bool time = false;
    TimeStyle timeStyle;
};

/// Appends `missing` (the marker) when the file was not found, then a TAB and
/// the size, then a TAB and the time, as `columns` asks.
void AppendFileColumns(std::string& line, const FileFacts& facts, const FileColumns& columns,
                       std::string_view missing);

/// Returns an upper bound of the bytes AppendFileColumns adds (that of a
/// strftime format's text is a generous guess).
std::size_t FileColumnsBound(const FileColumns& columns, std::string_view missing);

}  // namespace tandrel::detail
