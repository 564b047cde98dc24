// Makes a small folder below the folder given as its argument, walks it with
// the installed engine and checks the counts and one file's details.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

#include "morvash/SerchFiles.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: consumer FOLDER\n";
        return 2;
    }
    const std::filesystem::path root = std::filesystem::path(argv[1]) / "tree";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "sub");
    for (const char* name : {"a.txt", "b.doc", "sub/c.txt"}) {
        std::ofstream(root / name) << "abc";
    }

    CSerchFiles walk(root.c_str(), "txt", MAX_SEARCH_DEPTH);
    const CStringArray& listing = *walk.gFc_GetListFiles();
    unsigned int bytes = 0;
    for (int i = 0; i < listing.GetSize(); ++i) {
        const std::string_view line = listing[i].view();
        std::cout << line << '\n';
        if (line.find('*') == std::string_view::npos) {
            bytes += walk.gFc_GetFileInfo(i).m_Length;
        }
    }
    std::cout << walk.gFc_GetNumOfDir() << " directories, " << walk.gFc_GetNumOfFile() << " files, "
              << bytes << " bytes\n";
    const bool ok = walk.gFc_GetNumOfDir() == 1 && walk.gFc_GetNumOfFile() == 2 && bytes == 6;
    std::filesystem::remove_all(root);
    return ok ? 0 : 1;
}
