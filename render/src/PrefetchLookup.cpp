#include "tandrel/render/PrefetchLookup.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <utility>

#include "morvash/ListingLine.h"

namespace tandrel {

namespace {

// Lookups at once: as many as the walk's readers, for the same reason.
constexpr unsigned int kDefaultWorkers = 16;

// Exchanges two records' contents, strings by their memory.
void SwapRecords(CFileInfo& a, CFileInfo& b) noexcept {
    std::swap(a.m_FullPath, b.m_FullPath);
    std::swap(a.m_FileTitle, b.m_FileTitle);
    std::swap(a.m_Length, b.m_Length);
    std::swap(a.m_LastWrite, b.m_LastWrite);
    std::swap(a.m_LengthHigh, b.m_LengthHigh);
}

}  // namespace

PrefetchLookup::PrefetchLookup(int count, Wanted wanted, Compute compute, unsigned int workers)
    : PrefetchLookup(count, std::move(wanted), std::move(compute), nullptr, workers) {}

PrefetchLookup::PrefetchLookup(int count, Wanted wanted, Compute compute, ComputeMany computeMany,
                               unsigned int workers)
    : count_(std::max(count, 0)),
      chunkCount_(count_ / kChunkLines + (count_ % kChunkLines != 0 ? 1 : 0)),
      wanted_(std::move(wanted)),
      compute_(std::move(compute)),
      computeMany_(std::move(computeMany)) {
    workers = std::min(workers, static_cast<unsigned int>(chunkCount_));
    if (workers == 0) {
        return;
    }
    ring_ = std::make_unique<Chunk[]>(kRingChunks);
    for (int place = 0; place < kRingChunks; ++place) {
        ring_[static_cast<std::size_t>(place)].mayFill.store(place, std::memory_order_relaxed);
    }
    threads_.reserve(workers);
    try {
        for (unsigned int k = 0; k < workers; ++k) {
            threads_.emplace_back([this] { work(); });
        }
    } catch (const std::system_error&) {
        // Fewer threads than asked for still compute every chunk; with none,
        // the calls compute directly.
    } catch (...) {
        stop();
        throw;
    }
}

PrefetchLookup::~PrefetchLookup() {
    stop();
}

void PrefetchLookup::stop() noexcept {
    stopping_.store(true, std::memory_order_release);
    // Every place counts as free, so that no worker keeps waiting for room.
    for (int place = 0; ring_ && place < kRingChunks; ++place) {
        std::atomic<int>& mayFill = ring_[static_cast<std::size_t>(place)].mayFill;
        mayFill.store(chunkCount_, std::memory_order_release);
        mayFill.notify_all();
    }
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void PrefetchLookup::work() noexcept {
    // This worker's buffers for computeMany_, kept from chunk to chunk.
    std::vector<int> lines;
    std::vector<CFileInfo> records;
    for (;;) {
        const int chunk = nextChunk_.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= chunkCount_ || !waitForRoom(chunk)) {
            return;
        }
        Chunk& place = ring_[static_cast<std::size_t>(chunk % kRingChunks)];
        const int first = chunk * kChunkLines;
        const int end = first + std::min(kChunkLines, count_ - first);
        if (!computeMany_ || !computeAll(place, first, end, lines, records)) {
            computeEach(place, first, end);
        }
        place.filled.store(chunk + 1, std::memory_order_release);
        place.filled.notify_all();
    }
}

void PrefetchLookup::computeEach(Chunk& place, int first, int end) {
    for (int i = first; i < end && !stopping_.load(std::memory_order_relaxed); ++i) {
        Slot& slot = place.lineSlots[static_cast<std::size_t>(i - first)];
        slot.error = nullptr;
        try {
            if (wanted_(i)) {
                slot.info = compute_(i);
            }
        } catch (...) {
            slot.error = std::current_exception();
        }
    }
}

bool PrefetchLookup::computeAll(Chunk& place, int first, int end, std::vector<int>& lines,
                                std::vector<CFileInfo>& records) {
    try {
        lines.clear();
        for (int i = first; i < end; ++i) {
            if (wanted_(i)) {
                lines.push_back(i);
            }
        }
        // Never shrunk: the records keep their memory from chunk to chunk.
        if (records.size() < lines.size()) {
            records.resize(lines.size());
        }
        if (!stopping_.load(std::memory_order_relaxed)) {
            computeMany_(lines, std::span(records).first(lines.size()));
        }
    } catch (...) {
        return false;
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        Slot& slot = place.lineSlots[static_cast<std::size_t>(lines[k] - first)];
        slot.error = nullptr;
        SwapRecords(slot.info, records[k]);
    }
    return true;
}

bool PrefetchLookup::waitForRoom(int chunk) const {
    const std::atomic<int>& mayFill = ring_[static_cast<std::size_t>(chunk % kRingChunks)].mayFill;
    for (int seen = mayFill.load(std::memory_order_acquire); seen < chunk;
         seen = mayFill.load(std::memory_order_acquire)) {
        mayFill.wait(seen, std::memory_order_acquire);
    }
    return !stopping_.load(std::memory_order_acquire);
}

void PrefetchLookup::waitFilled(int chunk) const {
    const std::atomic<int>& filled = ring_[static_cast<std::size_t>(chunk % kRingChunks)].filled;
    for (int seen = filled.load(std::memory_order_acquire); seen != chunk + 1;
         seen = filled.load(std::memory_order_acquire)) {
        filled.wait(seen, std::memory_order_acquire);
    }
}

CFileInfo PrefetchLookup::operator()(int index) {
    if (threads_.empty() || index <= lastAsked_ || index >= count_ || !wanted_(index)) {
        return compute_(index);
    }
    const int chunk = index / kChunkLines;
    // The chunks before it are done with, once their workers have finished
    // them; each is released on its own, so that the worker of a later chunk
    // always has room, however many lines the caller passes over.
    while (current_ < chunk) {
        waitFilled(current_);
        std::atomic<int>& mayFill = ring_[static_cast<std::size_t>(current_ % kRingChunks)].mayFill;
        mayFill.store(current_ + kRingChunks, std::memory_order_release);
        mayFill.notify_all();
        ++current_;
    }
    waitFilled(chunk);
    lastAsked_ = index;
    Slot& slot = ring_[static_cast<std::size_t>(chunk % kRingChunks)]
                     .lineSlots[static_cast<std::size_t>(index % kChunkLines)];
    if (slot.error) {
        std::rethrow_exception(std::exchange(slot.error, nullptr));
    }
    return slot.info;
}

unsigned int DefaultPrefetchWorkers() noexcept {
    return kDefaultWorkers;
}

std::unique_ptr<PrefetchLookup> PrefetchFileInfo(CSerchFiles& engine, bool fileNames,
                                                 unsigned int workers) {
    const CStringArray& listing = *engine.gFc_GetListFiles();
    return std::make_unique<PrefetchLookup>(
        fileNames ? listing.GetSize() : 0,
        [&listing](int index) { return !morvash::IsDirectoryLine(listing[index].view()); },
        [&engine](int index) { return engine.gFc_GetFileInfo(index); },
        [&engine](std::span<const int> lines, std::span<CFileInfo> records) {
            engine.GetFileInfos(lines, records);
        },
        workers);
}

}  // namespace tandrel
