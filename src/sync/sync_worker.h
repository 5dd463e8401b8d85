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
#include "sync/update_outcome.h"

namespace horalux {

// Runs clock updates, each on a short-lived thread of its own, so the user interface keeps going
// while an update waits for the GPS second or a time server. At most one update runs at a time:
// a request made while one runs ends at once (dropped, not queued).
//
// Every wait inside an update is bounded, so its thread always ends. The worker keeps its threads
// and joins them when it is destroyed (asking a waiting GPS update to stop first), so nothing
// outlives the objects the updates work on.
class SyncWorker {
  public:
    // One network clock update with the given server; RunNetworkUpdate unless a test replaces
    // it.
    using NetworkUpdateFunction =
        std::function<UpdateOutcome(SyncContext&, const std::string& server)>;
    // Receives how each update ended, on the update's thread, just before the update counts as
    // ended (syncBusy 0). Requests dropped because another update runs, and updates stopped by
    // the worker's end, report nothing.
    using OutcomeListener = std::function<void(const UpdateOutcome&)>;

    explicit SyncWorker(SyncContext ctx, NetworkUpdateFunction networkUpdate = {},
                        OutcomeListener onOutcome = {});
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

    void run(const std::stop_token& stop, const std::string& server, const std::string& sentence);
    UpdateOutcome update(const std::stop_token& stop, const std::string& server,
                         const std::string& sentence);
    void finish(Job& job);

    SyncContext ctx_;
    NetworkUpdateFunction networkUpdate_;
    OutcomeListener onOutcome_;

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::list<Job> jobs_;  // a list, so a Job stays where it is while its thread runs
    int running_ = 0;
};

}  // namespace horalux
