#include "DisplayWidth.h"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "morvash/platform/CodePage.h"

namespace {

using platform::CodePage;

TEST(DisplayWidth, ColumnsInEachCodePage) {
    const std::tuple<CodePage, std::string_view, std::size_t> kCases[] = {
        {CodePage::Utf8, "a\xE2\x94\x9C ", 3},            // box drawing: one column
        {CodePage::Utf8, "\xE6\xBC\xA2\xE5\xAD\x97", 4},  // East Asian wide: two each
        {CodePage::Utf8, "e\xCC\x81", 1},                 // a combining mark: none
        {CodePage::Utf8, "\xFF\xE2\x82", 3},              // bad and cut-off bytes: one each
        {CodePage::Utf8, "a\xF0\x9F\x98\x80", 3},         // four bytes, wide, at the end
        {CodePage::Utf8, "\xE0\x9F\xBF\xED\xA0\x80\xF0\x8F\xBF\xBF", 10},  // overlong, surrogate
        {CodePage::Utf8, "\xF4\x90\x80\x80\xF5\x80\x80\x80", 8},           // past U+10FFFF
        {CodePage::Utf8, "\x1b[01;34m*d\x1b[0m", 2},                       // colours: none
        {CodePage::Utf8, "\xE8\xA1\xA8\x1b[m", 2},                         // text, then a colour
        {CodePage::Cp932, "\x8A\xBF\x8E\x9A", 4},                          // double-byte: two each
        {CodePage::Cp932, "\xB1\xB2\x84\xA5 ", 5},    // half-width katakana one, box two
        {CodePage::Cp932, "a\x81", 2},                // a lead byte at the end: one
        {CodePage::Cp932, "\x1b[m\x8A\xBF\x1b[", 2},  // a cut-off colour: none
    };
    for (const auto& [page, text, width] : kCases) {
        platform::SetActiveCodePage(page);
        EXPECT_EQ(tandrel::detail::DisplayWidth(text), width) << text;
    }
    platform::SetActiveCodePage(CodePage::Utf8);
}

}  // namespace
