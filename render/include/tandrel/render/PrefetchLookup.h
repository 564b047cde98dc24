#pragma once

// PrefetchLookup: the look-ahead file-details lookup of the dialog and
// tandrel-cli. Looking a file up again
// costs a system call that resolves its whole path, which is most of the
// command's time; the renderer asks for the files one by one, in listing
// order. So worker threads compute the details of the lines the renderer will
// ask for, in that order, ahead of it, into a bounded ring of slots, and the
// lookup hands each result over once its slot is filled.
//
// The ring holds kRingChunks chunks of kChunkLines consecutive listing lines;
// a worker claims the next chunk, waits until the renderer has moved past the
// chunk that used its place before, and fills the slots of its wanted lines.
// Memory stays at the ring's size however long the listing is.

#include <array>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "morvash/SerchFiles.h"

namespace tandrel {

/// Computes file details on worker threads ahead of a caller that asks for them in order.
class PrefetchLookup {
  public:
    /// Tells whether the caller will ask for line `index`; called from the
    /// workers and the caller at once, so it must be safe to call concurrently.
    using Wanted = std::function<bool(int index)>;
    /// Computes the details of line `index`; called from the workers at once,
    /// so it must be safe to call concurrently.
    using Compute = std::function<CFileInfo(int index)>;
    /// Computes the details of many lines at once, `lines[k]` into
    /// `records[k]`, as Compute would each; called from the workers at once.
    using ComputeMany =
        std::function<void(std::span<const int> lines, std::span<CFileInfo> records)>;

    static constexpr int kChunkLines = 64;
    static constexpr int kRingChunks = 64;

    /// Starts `workers` threads that compute `compute(i)`, each exactly once,
    /// for the lines i below `count` that `wanted` accepts. With no workers
    /// (or none that the system lets start), every call computes directly.
    PrefetchLookup(int count, Wanted wanted, Compute compute, unsigned int workers);
    /// As above, the workers computing the wanted lines of each chunk with one
    /// call of `computeMany`; a chunk whose call throws is computed line by
    /// line, so that a failure still reaches the caller of its line only.
    PrefetchLookup(int count, Wanted wanted, Compute compute, ComputeMany computeMany,
                   unsigned int workers);
    /// Stops the workers (each ends after the line, or the chunk given to
    /// computeMany, it is computing) and joins them.
    ~PrefetchLookup();
    PrefetchLookup(const PrefetchLookup&) = delete;
    PrefetchLookup& operator=(const PrefetchLookup&) = delete;

    /// Returns `compute(index)`: a worker's result, waited for, when `index` is
    /// a wanted line after the one asked for before; otherwise computed here.
    /// Rethrows what computing it threw.
    CFileInfo operator()(int index);

    /// Returns the number of workers running.
    std::size_t workers() const noexcept { return threads_.size(); }

  private:
    // One line's record. Memory freed by another thread than the one that
    // allocated it takes that thread's allocator lock, on which the caller and
    // the workers would contend; so the records' strings stay with the
    // workers: a worker fills records in its own buffers and swaps them with
    // the slots', keeping the memory the slots held for the next chunk, and
    // the caller copies a slot's record into its own.
    struct Slot {
        CFileInfo info;
        std::exception_ptr error;
    };
    struct Chunk {
        // 1 + the number of the chunk whose slots are filled; 0 before the first.
        std::atomic<int> filled{0};
        // The number of the chunk that may fill the slots now: each place has
        // its own, so that releasing a place wakes only the worker waiting for it.
        std::atomic<int> mayFill{0};
        std::array<Slot, kChunkLines> lineSlots;
    };

    void work() noexcept;
    // Fills the slots of the lines first to end - 1 line by line.
    void computeEach(Chunk& place, int first, int end);
    // Fills them with one computeMany_ call; false when something threw.
    bool computeAll(Chunk& place, int first, int end, std::vector<int>& lines,
                    std::vector<CFileInfo>& records);
    // Waits until chunk `chunk` may use its place in the ring; false when stopping.
    bool waitForRoom(int chunk) const;
    void waitFilled(int chunk) const;
    void stop() noexcept;

    const int count_;
    const int chunkCount_;
    const Wanted wanted_;
    const Compute compute_;
    const ComputeMany computeMany_;
    std::unique_ptr<Chunk[]> ring_;
    std::atomic<int> nextChunk_{0};
    std::atomic<bool> stopping_{false};
    // The caller's side: the chunk it reads and the last line it was handed.
    int current_ = 0;
    int lastAsked_ = -1;
    std::vector<std::thread> threads_;
};

/// Returns the number of threads worth starting beside a renderer: sixteen,
/// more than the cores, since a lookup mostly waits for the disk (or the
/// network) when the details are not in memory.
unsigned int DefaultPrefetchWorkers() noexcept;

/// Makes a look-ahead lookup of `engine`'s file lines (of none when
/// `fileNames` is off, since the renderer then asks for none). The engine
/// must outlive it.
std::unique_ptr<PrefetchLookup> PrefetchFileInfo(CSerchFiles& engine, bool fileNames,
                                                 unsigned int workers = DefaultPrefetchWorkers());

}  // namespace tandrel
