#include "sync/sync_worker.h"

#include <exception>
#include <system_error>
#include <utility>

#include "sync/gps_clock_setter.h"
#include "sync/network_update.h"
#include "sync/time_privilege.h"

namespace horalux {

namespace {

UpdateResult ResultOf(GpsClockResult result) {
    switch (result) {
        case GpsClockResult::Set:
            return UpdateResult::Set;
        case GpsClockResult::DelayOutOfRange:
            return UpdateResult::DelayOutOfRange;
        case GpsClockResult::LocalHourSkipped:
            return UpdateResult::LocalHour;
        case GpsClockResult::NotLocked:
            return UpdateResult::NotLocked;
        case GpsClockResult::NoTurnOver:
            return UpdateResult::NoTurnOver;
        case GpsClockResult::Stopped:
            return UpdateResult::Stopped;
        case GpsClockResult::InvalidTime:
            return UpdateResult::InvalidTime;
        case GpsClockResult::Refused:
            return UpdateResult::ClockRefused;
        case GpsClockResult::LeftToChronyd:
            return UpdateResult::LeftToChronyd;
    }
    return UpdateResult::ClockRefused;
}

UpdateResult ResultOf(ClockSetResult result) {
    switch (result) {
        case ClockSetResult::Set:
            return UpdateResult::Set;
        case ClockSetResult::NoHelper:
            return UpdateResult::PrivilegeMissing;
        case ClockSetResult::NotAuthorized:
            return UpdateResult::NotAuthorized;
        case ClockSetResult::HelperFailed:
            return UpdateResult::HelperFailed;
        case ClockSetResult::ClockRefused:
            return UpdateResult::ClockRefused;
    }
    return UpdateResult::ClockRefused;
}

}  // namespace

SyncWorker::SyncWorker(SyncContext ctx, NetworkUpdateFunction networkUpdate,
                       OutcomeListener onOutcome)
    : ctx_(ctx),
      networkUpdate_(networkUpdate ? std::move(networkUpdate) : RunNetworkUpdate),
      onOutcome_(std::move(onOutcome)) {}

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
    // The time sentence belongs to the user-interface thread, which starts every update.
    std::string sentence = SentenceName(ctx_.gps.timeSource);
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
            job.thread = std::jthread([this, &job, server = std::move(server),
                                       sentence = std::move(sentence)](std::stop_token stop) {
                run(stop, server, sentence);
                finish(job);
            });
            ++running_;
        } catch (const std::system_error&) {
            jobs_.pop_back();  // no thread: the request is dropped
        }
    }
    ended.clear();  // joins threads that have already returned
}

void SyncWorker::run(const std::stop_token& stop, const std::string& server,
                     const std::string& sentence) {
    int32_t idle = 0;
    if (!ctx_.flags.syncBusy.compare_exchange_strong(idle, 1)) {
        return;  // another update is running
    }
    EnableTimePrivilege(ctx_.capability);
    ctx_.setter.forget();
    const UpdateOutcome outcome = update(stop, server, sentence);
    if (onOutcome_ && outcome.result != UpdateResult::Stopped) {
        onOutcome_(outcome);
    }
    ctx_.flags.syncBusy = 0;
}

UpdateOutcome SyncWorker::update(const std::stop_token& stop, const std::string& server,
                                 const std::string& sentence) {
    UpdateOutcome outcome;
    try {
        if (ctx_.runtime.useNetworkTime.load() == 1) {
            outcome = networkUpdate_(ctx_, server);
        } else {
            outcome.reference = UpdateReference::Gps;
            outcome.source = sentence;
            outcome.result = ResultOf(SetClockFromGps(ctx_, stop));
        }
    } catch (const std::exception&) {
        // An update that fails leaves the clock as it was, like any other failure.
        outcome.result = UpdateResult::ClockRefused;
    }
    // Every setting goes through the setter, which knows what it changed or why it could not.
    outcome.clock = ctx_.setter.lastOutcome();
    if (outcome.clock) {
        outcome.result = ResultOf(outcome.clock->result);
        if (const auto step = ctx_.setter.lastStep()) {
            outcome.correctionMs = std::chrono::round<std::chrono::milliseconds>(*step).count();
        }
    }
    outcome.timeMs = toUnixMillis(ctx_.clock.utcNow());
    return outcome;
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
