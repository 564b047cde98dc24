#include "tandrel/dialog/CommandLine.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <ostream>
#include <string_view>
#include <system_error>

#include "tandrel/dialog/Resources.h"
#include "tandrel/dialog/TandrelApp.h"

namespace tandrel::dialog {
namespace {

constexpr std::string_view kUsage = R"(Usage: tandrel [FOLDER]
Opens the Tandrel window, which draws a folder as a plain-text tree, on
FOLDER (default: the root folder /).

      --help       show this help and exit
      --version    show the version and exit
)";

// FOLDER as an absolute path without "." or ".." steps or a trailing "/"
// (those would become the tree's first line); as given when the current
// folder is gone.
CString AbsoluteFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    std::string path = error ? folder : absolute.lexically_normal().string();
    if (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return CString(std::string_view(path));
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CLI::App app;
    app.set_help_flag();
    app.option_defaults()->disable_flag_override();
    bool help = false;
    bool version = false;
    std::string folder;
    app.add_flag("--help", help);
    app.add_flag("--version", version);
    app.add_option("FOLDER", folder);
    // CLI11 takes the arguments in reverse order.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    CommandLine line;
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        line.action = CommandLine::Action::UsageError;
        line.error = error.what();
        return line;
    }
    if (help) {
        line.action = CommandLine::Action::Help;
    } else if (version) {
        line.action = CommandLine::Action::Version;
    } else if (!folder.empty()) {
        line.folder = AbsoluteFolder(folder);
    }
    return line;
}

int RunProgram(int argc, char* argv[], std::ostream& out, std::ostream& err) {
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.action) {
        case CommandLine::Action::Help:
            out << kUsage;
            return 0;
        case CommandLine::Action::Version:
            out << "tandrel " << LoadVersionInfo().fileVersion.toStdString() << '\n';
            return 0;
        case CommandLine::Action::UsageError:
            err << "tandrel: " << line.error << '\n'
                << "Try 'tandrel --help' for more information.\n";
            return 2;
        case CommandLine::Action::Window:
            break;
    }
    // Qt sees the program's name only: no argument is taken for one of its own options.
    int qtArgc = 1;
    CTandrelApp app(qtArgc, argv);
    app.m_strOpeningFolder = line.folder;
    return app.Run();
}

}  // namespace tandrel::dialog
