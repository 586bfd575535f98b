// The record through which the dialog thread and the scan worker talk. No lock: each field is
// read and written whole; atomics make that well defined and keep the writes of one thread
// visible to the other in order.
#pragma once

#include <atomic>
#include <cstdint>

struct ScanState {
    std::atomic<int32_t> stopRequested{0};  // dialog thread: 0 on start, 1 on a stop request
    std::atomic<int32_t> workerBusy{0};     // worker: 1 from its first step to its last
    std::atomic<int32_t> scanFinished{0};   // worker: 1 at the end of a run that was not stopped
    std::atomic<int32_t> virusCount{0};     // worm items removed in this run
    std::atomic<int32_t> restoredCount{0};  // folders and registry items restored in this run
};

// The one record of the process; all fields 0 at start-up.
inline ScanState g_scanState;
