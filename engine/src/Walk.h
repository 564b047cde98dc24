#pragma once

// The walk behind every CSerchFiles constructor. Each folder is read whole
// (FolderRead.h): its entries kept or left out by the selection
// (Selection.h), looked up when needed, and put in order (Order.h); the
// listing (Lister.h) then gives each kept entry its line, and each folder
// among them is walked in turn. Reading a folder apart from writing its
// lines lets readers on other threads read the folders ahead of the calling
// thread, which writes every line in the one order (ParallelWalk.cpp).

#include <string_view>
#include <utility>
#include <vector>

#include "morvash/WalkOptions.h"
#include "morvash/platform/CString.h"
#include "morvash/platform/CStringArray.h"

namespace morvash::detail {

/// Where a walk writes: the listing and what goes with its lines.
struct WalkOutput {
    CStringArray& lines;
    std::vector<EntryType>& types;                         // each line's entry kind
    std::vector<std::pair<int, CString>>& realNames;       // lines whose shown name differs
    std::vector<WalkError>& errors;                        // folders that could not be read
    std::vector<EntryDetails>& details;                    // each line's, with WalkOptions::details
    std::vector<std::pair<int, LinkTarget>>& linkTargets;  // link lines', with linkTargets
    unsigned int directories = 0;
    unsigned int files = 0;
    bool stopped = false;  // the walk ended on its control's stop request
};

/// Walks `path` (nothing when it is empty), keeping the files that the
/// extension filter accepts, with the choices of `options`: the calling
/// thread writes the listing, and reads the folders that readers on other
/// threads (options.threads - 1 of them, fewer where the process may open
/// few files) have not read ahead of it.
void Walk(const char* path, std::string_view extensions, const WalkOptions& options,
          WalkOutput& out);

}  // namespace morvash::detail
