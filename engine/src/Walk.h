#pragma once

// The walk behind every CSerchFiles constructor. Each folder is read whole
// into a list of its entries (name, kind, and size and time when the order
// needs them); the list is filtered and sorted, then each entry gets its line
// and each folder among them is walked in turn. Reading a folder apart from
// writing its lines lets readers on other threads read the folders ahead of
// the calling thread, which writes every line in the one-threaded order.

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
    std::vector<EntryType>& types;                    // each line's entry kind
    std::vector<std::pair<int, CString>>& realNames;  // lines whose shown name differs
    std::vector<WalkError>& errors;                   // folders that could not be read
    unsigned int directories = 0;
    unsigned int files = 0;
    bool stopped = false;  // the walk ended on its control's stop request
};

/// Walks `path` (nothing when it is empty), keeping the files that the
/// extension filter accepts, with the choices of `options`: on the calling
/// thread alone when options.threads is 1, else with readers on other threads
/// too, into the same listing.
void Walk(const char* path, std::string_view extensions, const WalkOptions& options,
          WalkOutput& out);

}  // namespace morvash::detail
