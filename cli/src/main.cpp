#include <iostream>
#include <string>
#include <vector>

#include "tandrel/cli/Run.h"

int main(int argc, char* argv[]) {
    tandrel::cli::PrepareProcess();
    const std::vector<std::string> args(argv, argv + argc);
    return tandrel::cli::run(args, std::cout, std::cerr, tandrel::cli::ProcessConsole());
}
