#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "sync/gps_clock_setter.h"
#include "sync/sync_context.h"

namespace horalux {

// How one clock update ended, for the worker's owner.
struct SyncReport {
    bool network = false;                      // the reference was the network
    GpsClockResult gps = GpsClockResult::Set;  // GPS: how the update ended
    int networkResult = 0;                     // network: the network update's 1 (done) or 0
    std::optional<ClockSetOutcome> clock;      // the clock setting, when one was tried: why it was
                                               // or was not set
};

// Runs clock updates, each on a short-lived thread of its own, so the user interface keeps going
// while an update waits for the GPS second or a time server. At most one update runs at a time:
// a request made while one runs ends at once (dropped, not queued).
//
// Every wait inside an update is bounded, so its thread always ends. The worker keeps its threads
// and joins them when it is destroyed (asking a waiting GPS update to stop first), so nothing
// outlives the objects the updates work on.
class SyncWorker {
  public:
    // One network clock update with the given server; NetworkUpdate unless a test replaces it.
    using NetworkUpdateFunction = std::function<int(SyncContext&, const std::string& server)>;
    // Called on the update's thread as it ends (not for a dropped request).
    using ReportFunction = std::function<void(const SyncReport&)>;

    explicit SyncWorker(SyncContext ctx, NetworkUpdateFunction networkUpdate = {},
                        ReportFunction report = {});
    ~SyncWorker();
    SyncWorker(const SyncWorker&) = delete;
    SyncWorker& operator=(const SyncWorker&) = delete;

    // Starts one update on a new thread and returns at once. The starter sets the current server
    // name just before; the update works with the name as it is at this call, whatever starters
    // set later. If no thread can be made, the request is dropped like one made while busy.
    void StartSync();

    // Waits until no update thread is running, at most `bound`; true when idle.
    bool waitIdle(std::chrono::milliseconds bound);
    // Update threads started and not yet ended (a dropped request counts until its thread ends).
    int threadCount() const;

  private:
    struct Job {
        std::jthread thread;
        bool finished = false;  // guarded by mutex_
    };

    void run(const std::stop_token& stop, const std::string& server);
    void finish(Job& job);

    SyncContext ctx_;
    NetworkUpdateFunction networkUpdate_;
    ReportFunction report_;

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::list<Job> jobs_;  // a list, so a Job stays where it is while its thread runs
    int running_ = 0;
};

}  // namespace horalux
