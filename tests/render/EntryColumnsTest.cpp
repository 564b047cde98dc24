// What follows a name: sizes in each unit, times in each zone and format, and
// the colours of names.

#include "EntryColumns.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>

#include "tandrel/render/Colors.h"

namespace {

using tandrel::SizeUnits;
using tandrel::detail::FileFacts;

std::string Size(std::uint64_t size, SizeUnits units) {
    std::string text;
    tandrel::detail::AppendSize(text, size, units);
    return text;
}

TEST(EntryColumns, SizesInEachUnit) {
    const std::tuple<std::uint64_t, const char*, const char*, const char*> kCases[] = {
        {0, "0 B", "0", "0"},
        {1000, "1000 B", "1000", "1.0k"},
        {1023, "1 KB", "1023", "1.0k"},
        {1024, "1 KB", "1.0K", "1.0k"},
        {1536, "1 KB", "1.5K", "1.5k"},
        {10188, "10 KB", "9.9K", "10k"},
        {10239, "10 KB", "10K", "10k"},
        {999999, "999 KB", "977K", "1.0M"},
        {1048575, "1 MB", "1.0M", "1.0M"},
        {3328599654, "3328 MB", "3.1G", "3.3G"},
        {UINT64_MAX, "18446744073709 MB", "16E", "18E"},
    };
    for (const auto& [size, dialog, binary, decimal] : kCases) {
        EXPECT_EQ(std::tuple(Size(size, SizeUnits::Dialog), Size(size, SizeUnits::Binary),
                             Size(size, SizeUnits::Decimal)),
                  std::tuple(dialog, binary, decimal))
            << size;
    }
}

// 2004-05-05 22:08:00 UTC in the dialog's zone, a zone with summer time, and
// strftime formats; from the walk's seconds and from a lookup's record.
TEST(EntryColumns, TimesInEachZoneAndFormat) {
    ::setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    ::tzset();
    FileFacts walk{.found = true, .seconds = 1083794880};
    CFileInfo info;
    info.m_FullPath = "/a";
    info.m_LastWrite = {2004, 5, 4, 6, 7, 8, 0, 0};
    const FileFacts record = tandrel::detail::FactsOf(info);
    const FileFacts early{.found = true, .seconds = -12'000'000'000};
    const std::tuple<FileFacts, bool, const char*, const char*> kCases[] = {
        {walk, false, "", "2004/05/06 07:08"},
        {walk, true, "", "2004/05/05 18:08"},
        {record, true, "", "2004/05/05 18:08"},
        {walk, false, "%F %T %z %Z %a %j", "2004-05-06 07:08:00 +0900 JST Thu 127"},
        {walk, true, "%F %T %z %Z", "2004-05-05 18:08:00 -0400 EDT"},
        {FileFacts{}, false, "", "1601/01/01 00:00"},
        {early, false, "", "1601/01/01 09:00"},
        {walk, false, "%%", "%"},
    };
    for (const auto& [facts, local, format, expected] : kCases) {
        std::string text;
        tandrel::detail::AppendTime(text, facts, {.local = local, .format = format});
        EXPECT_EQ(text, expected);
    }
    ::unsetenv("TZ");
    ::tzset();
}

TEST(NameColors, ChosenAsLsChoosesThem) {
    using morvash::EntryType;
    const tandrel::NameColors defaults;
    const tandrel::NameColors custom(
        "di=34:ln=target:or=31:mi=05:ex=35:*.tar=33:*.TAR=36:*.tar=32:mh=44:fi=00:rs=0:bd=\\e:"
        "*~=90:*README=93");
    const tandrel::NameColors escaped("lc=\\33[:rc=m:ec=\\x1b[m:di=^[1:*.gz=\\0644:*z.gz=5");
    const std::tuple<const tandrel::NameColors&, EntryType, std::uint32_t, std::uint32_t,
                     const char*, bool, std::uint32_t, const char*>
        kCases[] = {
            {defaults, EntryType::Directory, 040755, 2, "d", false, 0, "\x1b[01;34m"},
            {defaults, EntryType::Directory, 041777, 2, "tmp", false, 0, "\x1b[30;42m"},
            {defaults, EntryType::Directory, 040757, 2, "d", false, 0, "\x1b[34;42m"},
            {defaults, EntryType::File, 0100755, 1, "run", false, 0, "\x1b[01;32m"},
            {defaults, EntryType::File, 0104755, 1, "su", false, 0, "\x1b[37;41m"},
            {defaults, EntryType::File, 0100644, 1, "a.tar", false, 0, ""},
            {defaults, EntryType::Link, 0120777, 1, "l", true, 0, "\x1b[01;36m"},
            {defaults, EntryType::Other, 0010644, 1, "fifo", false, 0, "\x1b[33m"},
            {custom, EntryType::Link, 0120777, 1, "l", true, 0, "\x1b[31m"},
            {custom, EntryType::Link, 0120777, 1, "l", false, 040755, "\x1b[34m"},
            {custom, EntryType::File, 0100644, 1, "x.tar", false, 0, "\x1b[32m"},
            {custom, EntryType::File, 0100644, 1, "x.TAR", false, 0, "\x1b[36m"},
            {custom, EntryType::File, 0100755, 1, "x.tar", false, 0, "\x1b[35m"},
            {custom, EntryType::File, 0100644, 2, "x", false, 0, "\x1b[44m"},
            {custom, EntryType::File, 0100644, 1, "x", false, 0, ""},
            {custom, EntryType::File, 0100644, 1, "x.tar~", false, 0,
             "\x1b[90m"},  // not an extension
            {custom, EntryType::File, 0100644, 1, "README", false, 0, "\x1b[93m"},
            {custom, EntryType::Other, 0060600, 1, "sda", false, 0, "\x1b[\x1bm"},
            {escaped, EntryType::Directory, 040755, 2, "d", false, 0,
             "\x1b[\x1b"
             "1m"},
            {escaped, EntryType::File, 0100644, 1, "z.gz", false, 0, "\x1b[5m"},
            {escaped, EntryType::File, 0100644, 1, "a.gz", false, 0, "\x1b[44m"},
        };
    for (const auto& [colors, type, mode, links, name, dangling, target, expected] : kCases) {
        EXPECT_EQ(colors.Begin(type, mode, links, name, dangling, target), expected)
            << name << " " << mode;
    }
    EXPECT_EQ(std::tuple(defaults.End(), escaped.End()), std::tuple("\x1b[0m", "\x1b[m"));
    EXPECT_EQ(custom.BeginTarget("gone", true, 0), "\x1b[05m");
    EXPECT_EQ(custom.BeginTarget("x.tar", false, 0100644), "\x1b[32m");
}

}  // namespace
