// --help, the manual page, the bash completion and the README name exactly
// the options the command declares.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "Options.h"

namespace tandrel::cli {
namespace {

using Names = std::set<std::string>;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The words of `text` that begin with "-" ("-e", "--extensions"), cut at the
// first character that cannot be part of an option's name.
Names Options(std::string_view text, bool longOnly) {
    Names names;
    for (std::size_t at = text.find('-'); at != std::string_view::npos; at = text.find('-', at)) {
        std::size_t end = at;
        while (end < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[end])) != 0 || text[end] == '-')) {
            ++end;
        }
        const std::string word(text.substr(at, end - at));
        const bool alone = at == 0 || std::isalnum(static_cast<unsigned char>(text[at - 1])) == 0;
        if (alone && (word.starts_with("--") ? word.size() > 2 : word.size() == 2 && !longOnly)) {
            names.insert(word);
        }
        at = end;
    }
    return names;
}

// The first column of each line of `text` that begins with `prefix` and an
// option: up to two blanks in a row, or for a table row up to " |".
Names Columns(std::string_view text, std::string_view prefix) {
    Names names;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const std::size_t start = line.find_first_not_of(' ', prefix.size());
        if (!line.starts_with(prefix) || start == std::string::npos || line[start] != '-') {
            continue;
        }
        const std::size_t end = line.find(prefix == "| `" ? " |" : "  ", start);
        names.merge(Options(std::string_view(line).substr(start, end - start), false));
    }
    return names;
}

TEST(Documentation, NamesEveryDeclaredOptionAndNoOther) {
    Names declared;
    Names declaredLong;
    for (const DeclaredOption& option : DeclaredOptions()) {
        declaredLong.insert("--" + std::string(option.longName));
        if (option.shortName != '\0') {
            declared.insert(std::string("-") + option.shortName);
        }
    }
    declared.insert(declaredLong.begin(), declaredLong.end());

    EXPECT_EQ(Columns(HelpText(), "  "), declared);
    const std::string readme = Read(TANDREL_SOURCE_DIR "/README.md");
    const std::size_t section = readme.find("## tandrel-cli");
    EXPECT_EQ(Columns(readme.substr(section, readme.find("\n## ", section + 1) - section), "| `"),
              declared);
    EXPECT_EQ(Options(Read(TANDREL_SOURCE_DIR "/cli/completion/tandrel-cli"), true), declaredLong);
    // The manual's "\fB\-\-size\fR" is "--size" in bold.
    std::string manual = Read(TANDREL_MANUAL);
    for (const auto& [escape, kept] : {std::pair{"\\-", 1}, {"\\fB", 0}, {"\\fR", 0}}) {
        const std::string_view text = escape;
        for (std::size_t at = manual.find(text); at != std::string::npos;
             at = manual.find(text, at)) {
            manual.erase(at, text.size() - static_cast<std::size_t>(kept));
        }
    }
    EXPECT_EQ(Options(manual, true), declaredLong);
}

}  // namespace
}  // namespace tandrel::cli
