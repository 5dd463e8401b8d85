#include "sync/sync_worker.h"

#include <exception>
#include <system_error>
#include <utility>

#include "sync/gps_clock_setter.h"
#include "sync/network_update.h"
#include "sync/time_privilege.h"

namespace horalux {

SyncWorker::SyncWorker(SyncContext ctx, NetworkUpdateFunction networkUpdate, ReportFunction report)
    : ctx_(ctx),
      networkUpdate_(networkUpdate ? std::move(networkUpdate) : NetworkUpdate),
      report_(std::move(report)) {}

SyncWorker::~SyncWorker() {
    std::list<Job> jobs;
    {
        std::lock_guard lock(mutex_);
        jobs.swap(jobs_);
    }
    // Destroying a jthread asks it to stop and joins it; the threads still take mutex_ at their
    // end, which lives until this body is done.
    jobs.clear();
}

void SyncWorker::StartSync() {
    std::string server = ctx_.runtime.currentServer();
    std::list<Job> ended;
    {
        std::lock_guard lock(mutex_);
        // Collect the threads of earlier updates that have ended.
        for (auto it = jobs_.begin(); it != jobs_.end();) {
            auto next = std::next(it);
            if (it->finished) {
                ended.splice(ended.end(), jobs_, it);
            }
            it = next;
        }
        Job& job = jobs_.emplace_back();
        try {
            job.thread =
                std::jthread([this, &job, server = std::move(server)](std::stop_token stop) {
                    run(stop, server);
                    finish(job);
                });
            ++running_;
        } catch (const std::system_error&) {
            jobs_.pop_back();  // no thread: the request is dropped
        }
    }
    ended.clear();  // joins threads that have already returned
}

void SyncWorker::run(const std::stop_token& stop, const std::string& server) {
    int32_t idle = 0;
    if (!ctx_.flags.syncBusy.compare_exchange_strong(idle, 1)) {
        return;  // another update is running
    }
    EnableTimePrivilege(ctx_.capability);
    ctx_.setter.forget();
    SyncReport report;
    report.network = ctx_.runtime.useNetworkTime.load() == 1;
    try {
        if (report.network) {
            report.networkResult = networkUpdate_(ctx_, server);
        } else {
            report.gps = SetClockFromGps(ctx_, stop);
        }
    } catch (const std::exception&) {
        // An update that fails leaves the clock as it was, like any other failure.
    }
    report.clock = ctx_.setter.lastOutcome();
    ctx_.flags.syncBusy = 0;
    if (report_) {
        report_(report);
    }
}

void SyncWorker::finish(Job& job) {
    {
        std::lock_guard lock(mutex_);
        job.finished = true;
        --running_;
    }
    idle_.notify_all();
}

bool SyncWorker::waitIdle(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, bound, [this] { return running_ == 0; });
}

int SyncWorker::threadCount() const {
    std::lock_guard lock(mutex_);
    return running_;
}

}  // namespace horalux
