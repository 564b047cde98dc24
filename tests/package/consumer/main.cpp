// Walks a small folder, made below the folder given as the argument, with the
// installed engine, and checks the counters and the files' sizes.

#include <filesystem>
#include <fstream>

#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"

int main(int argc, char** argv) {
    const std::filesystem::path root = std::filesystem::path(argc == 2 ? argv[1] : ".") / "tree";
    std::filesystem::create_directories(root / "sub");
    for (const char* name : {"a.txt", "b.doc", "sub/c.txt"}) {
        std::ofstream(root / name) << "abc";
    }
    CSerchFiles walk(root.c_str(), "txt", MAX_SEARCH_DEPTH);
    unsigned int bytes = 0;
    for (int i = 0; i < walk.gFc_GetListFiles()->GetSize(); ++i) {
        const bool file = !morvash::IsDirectoryLine((*walk.gFc_GetListFiles())[i].view());
        bytes += file ? walk.gFc_GetFileInfo(i).m_Length : 0;
    }
    return walk.gFc_GetNumOfDir() == 1 && walk.gFc_GetNumOfFile() == 2 && bytes == 6 ? 0 : 1;
}
