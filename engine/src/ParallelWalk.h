#pragma once

// The walk's one listing loop and its readers (ParallelWalk.cpp).

#include <string_view>

#include "Walk.h"
#include "morvash/WalkOptions.h"

namespace morvash::detail {

/// How many readers, and read folders kept open for their subfolders, a walk may have.
struct WalkBudget {
    unsigned int readers = 0;
    unsigned int kept = 0;
};

/// Walks `path` as Walk() does, with `budget.readers` readers beside the
/// calling thread (0: the calling thread reads every folder itself).
void WalkInParallel(const char* path, std::string_view extensions, const WalkOptions& options,
                    WalkBudget budget, WalkOutput& out);

}  // namespace morvash::detail
