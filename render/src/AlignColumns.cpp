#include "AlignColumns.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "DisplayWidth.h"

namespace tandrel::detail {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kGap = 2;

// Calls `visit(line)` for each line after the first, without its line end.
template <typename Visit>
void ForEachLaterLine(std::string_view text, Visit visit) {
    std::size_t start = text.find(kLineEnd);
    while (start != std::string_view::npos) {
        start += kLineEnd.size();
        const std::size_t end = text.find(kLineEnd, start);
        visit(text.substr(start, end == std::string_view::npos ? end : end - start));
        start = end;
    }
}

}  // namespace

std::string AlignColumns(std::string_view text) {
    // First pass: the widest field of each column, and each row's first-field
    // width, which the second pass needs again.
    std::vector<std::size_t> widest;
    std::vector<std::size_t> firstWidths;
    ForEachLaterLine(text, [&](std::string_view line) {
        if (line.find('\t') == std::string_view::npos) {
            return;
        }
        std::size_t column = 0;
        for (std::size_t start = 0;; ++column) {
            const std::size_t tab = line.find('\t', start);
            const std::size_t width = DisplayWidth(line.substr(start, tab - start));
            if (column == 0) {
                firstWidths.push_back(width);
            }
            if (column >= widest.size()) {
                widest.push_back(0);
            }
            widest[column] = std::max(widest[column], width);
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
    });
    if (firstWidths.empty()) {
        return std::string(text);
    }

    std::size_t rowWidth = 0;
    for (const std::size_t width : widest) {
        rowWidth += width + kGap;
    }
    std::string out;
    out.reserve(text.size() + firstWidths.size() * rowWidth);
    out.append(text.substr(0, text.find(kLineEnd)));
    std::size_t row = 0;
    ForEachLaterLine(text, [&](std::string_view line) {
        out += kLineEnd;
        if (line.find('\t') == std::string_view::npos) {
            out += line;
            return;
        }
        std::size_t column = 0;
        for (std::size_t start = 0;; ++column) {
            const std::size_t tab = line.find('\t', start);
            const std::string_view field = line.substr(start, tab - start);
            if (column == 0) {
                out += field;
                out.append(widest[0] - firstWidths[row++], ' ');
            } else {
                out.append(kGap + widest[column] - DisplayWidth(field), ' ');
                out += field;
            }
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
    });
    return out;
}

}  // namespace tandrel::detail
