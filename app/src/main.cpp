#include <iostream>

#include "tandrel/dialog/CommandLine.h"

int main(int argc, char* argv[]) {
    return tandrel::dialog::RunProgram(argc, argv, std::cout, std::cerr);
}
