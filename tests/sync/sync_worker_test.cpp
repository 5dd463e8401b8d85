#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>
#include <latch>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/settings_keys.h"
#include "platform/fake_clock_helper.h"
#include "sentence_feeder.h"
#include "sync/sync_worker.h"
#include "sync_fixture.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using test::ggaData;
using test::SentenceFeeder;

// A network update for tests: records the server it was given and whether the time capability
// was raised at that moment, then waits until released (at most 10 s).
class RecordingNetworkUpdate {
  public:
    SyncWorker::NetworkUpdateFunction function() {
        return [this](SyncContext& ctx, const std::string& server) {
            {
                std::lock_guard lock(mutex_);
                servers_.push_back(server);
                raisedWhenCalled_.push_back(
                    ctx.flags.syncBusy == 1 &&
                    dynamic_cast<FakeTimeCapability&>(ctx.capability).raised);
            }
            called_.notify_all();
            std::unique_lock lock(mutex_);
            released_.wait_for(lock, 10s, [this] { return !holding_; });
            ctx.capability.lower();  // as the SNTP client's release does
            UpdateOutcome outcome;
            outcome.reference = UpdateReference::Sntp;
            outcome.source = server;
            return outcome;
        };
    }

    void hold() {
        std::lock_guard lock(mutex_);
        holding_ = true;
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            holding_ = false;
        }
        released_.notify_all();
    }
    bool waitForCalls(size_t n) {
        std::unique_lock lock(mutex_);
        return called_.wait_for(lock, 10s, [&] { return servers_.size() >= n; });
    }
    std::vector<std::string> servers() const {
        std::lock_guard lock(mutex_);
        return servers_;
    }
    std::vector<bool> raisedWhenCalled() const {
        std::lock_guard lock(mutex_);
        return raisedWhenCalled_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable called_;
    std::condition_variable released_;
    bool holding_ = false;
    std::vector<std::string> servers_;
    std::vector<bool> raisedWhenCalled_;
};

// A loopback TCP port with nobody listening on it.
int closedLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t length = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    close(fd);
    return ntohs(addr.sin_port);
}

class SyncWorkerTest : public ::testing::Test {
  protected:
    SyncWorkerTest() : feeder_(f_.gps) {
        f_.flags.timeLocked = 1;
        feeder_.dispatch("GPGGA", ggaData(12, 0, 0));
    }

    template <typename Predicate>
    static bool eventually(Predicate p, std::chrono::milliseconds bound = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        while (!p()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    test::SyncFixture f_;
    SentenceFeeder feeder_;
};

TEST_F(SyncWorkerTest, ASecondRequestWhileOneRunsIsDroppedAndTheClockSetOnce) {
    SyncWorker worker(f_.ctx);
    worker.StartSync();
    worker.StartSync();
    // One of the two finds the other running and ends at once, before the receiver has moved on.
    EXPECT_TRUE(eventually([&] { return worker.threadCount() == 1; }));
    EXPECT_EQ(f_.flags.syncBusy.load(), 1);
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 1)}, {250ms, "GPGGA", ggaData(12, 0, 2)}});
    ASSERT_TRUE(worker.waitIdle(15s));
    EXPECT_EQ(f_.flags.syncBusy.load(), 0);
    EXPECT_EQ(f_.clock.settingCount(), 1u);
    // Raised at the update's start and again around the setting; the dropped request did not
    // touch the privilege.
    EXPECT_EQ(f_.capability.raises.load(), 2);
}

TEST_F(SyncWorkerTest, EveryUpdateEnablesThePrivilegeBeforeItRuns) {
    RecordingNetworkUpdate network;
    f_.runtime.useNetworkTime = 1;
    SyncWorker worker(f_.ctx, network.function());
    for (int i = 0; i < 3; ++i) {
        worker.StartSync();
        ASSERT_TRUE(worker.waitIdle(10s));
    }
    EXPECT_EQ(f_.capability.raises.load(), 3);
    EXPECT_EQ(network.raisedWhenCalled(), std::vector<bool>(3, true));
    EXPECT_EQ(f_.flags.syncBusy.load(), 0);
}

TEST_F(SyncWorkerTest, AnUpdateKeepsTheServerNameItWasStartedWith) {
    RecordingNetworkUpdate network;
    f_.runtime.useNetworkTime = 1;
    SyncWorker worker(f_.ctx, network.function());
    network.hold();
    f_.runtime.setCurrentServer("first.example");
    worker.StartSync();
    f_.runtime.setCurrentServer("second.example");  // the next starter's choice
    ASSERT_TRUE(network.waitForCalls(1));
    f_.runtime.setCurrentServer("third.example");
    network.release();
    ASSERT_TRUE(worker.waitIdle(10s));
    worker.StartSync();
    ASSERT_TRUE(worker.waitIdle(10s));
    EXPECT_EQ(network.servers(), (std::vector<std::string>{"first.example", "third.example"}));
}

TEST_F(SyncWorkerTest, WaitIdleIsBounded) {
    RecordingNetworkUpdate network;
    f_.runtime.useNetworkTime = 1;
    SyncWorker worker(f_.ctx, network.function());
    EXPECT_TRUE(worker.waitIdle(0ms));
    network.hold();
    worker.StartSync();
    ASSERT_TRUE(network.waitForCalls(1));
    EXPECT_FALSE(worker.waitIdle(100ms));
    EXPECT_EQ(f_.flags.syncBusy.load(), 1);
    network.release();
    EXPECT_TRUE(worker.waitIdle(10s));
    EXPECT_EQ(worker.threadCount(), 0);
}

TEST_F(SyncWorkerTest, SyncBusyReturnsToZeroWhateverTheReceiverDoes) {
    SyncWorker worker(f_.ctx);
    struct Case {
        const char* what;
        int locked;
        int delay;
    };
    for (const Case& c : {Case{"unlocked", 0, 50}, Case{"delay out of range", 1, 5000},
                          Case{"silent receiver", 1, 50}}) {
        SCOPED_TRACE(c.what);
        f_.flags.timeLocked = c.locked;
        f_.store.write(keys::GPSTimeDelay, c.delay);
        worker.StartSync();
        ASSERT_TRUE(worker.waitIdle(15s));
        EXPECT_EQ(f_.flags.syncBusy.load(), 0);
    }
    EXPECT_EQ(f_.clock.settingCount(), 0u);
    // Still usable: the next update with a live receiver sets the clock.
    f_.store.write(keys::GPSTimeDelay, 50);
    worker.StartSync();
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 1)}, {250ms, "GPGGA", ggaData(12, 0, 2)}});
    ASSERT_TRUE(worker.waitIdle(15s));
    EXPECT_EQ(f_.clock.settingCount(), 1u);
}

TEST_F(SyncWorkerTest, SyncBusyReturnsToZeroWhenTheNetworkFails) {
    // The program's own network update against a port nobody listens on.
    f_.runtime.useNetworkTime = 1;
    f_.runtime.daytimePort = closedLoopbackPort();
    f_.runtime.setCurrentServer("127.0.0.1");
    {
        SyncWorker worker(f_.ctx);
        worker.StartSync();
        ASSERT_TRUE(worker.waitIdle(30s));
    }
    EXPECT_EQ(f_.flags.syncBusy.load(), 0);
    EXPECT_EQ(f_.flags.networkFailed.load(), 1);
    EXPECT_EQ(f_.clock.settingCount(), 0u);

    // An update that throws ends like any failed one.
    SyncWorker worker(f_.ctx, [](SyncContext&, const std::string&) -> UpdateOutcome {
        throw std::runtime_error("resolver out of memory");
    });
    worker.StartSync();
    ASSERT_TRUE(worker.waitIdle(10s));
    EXPECT_EQ(f_.flags.syncBusy.load(), 0);
}

TEST_F(SyncWorkerTest, DestroyingTheWorkerStopsAWaitingUpdate) {
    auto worker = std::make_unique<SyncWorker>(f_.ctx);
    worker->StartSync();  // the receiver stays silent
    ASSERT_TRUE(eventually([&] { return f_.flags.syncBusy == 1; }));
    const auto start = std::chrono::steady_clock::now();
    worker.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);  // well before the 3 s give-up
    EXPECT_EQ(f_.flags.syncBusy.load(), 0);
    EXPECT_EQ(f_.clock.settingCount(), 0u);
}

// Through the clock helper: a GPS update asks for the step it measured (the GPS second plus the
// fix-up delay, less the PC's reading) and the worker hands on why the clock was or was not set,
// with the step as the correction; an update that sets nothing carries no clock setting at all.
TEST_F(SyncWorkerTest, TheWorkerHandsOnWhyTheClockWasOrWasNotSet) {
    FakeClockHelper helper;
    helper.setAnswer({ClockHelperAnswer::Status::Error, clock_helper::kNotAuthorized, "no"});
    ClockSetter setter(f_.clock, f_.capability, ClockPath::Helper, &helper);
    std::mutex mutex;
    std::vector<UpdateOutcome> outcomes;
    int networkCalls = 0;
    const auto listen = [&](const UpdateOutcome& outcome) {
        std::lock_guard lock(mutex);
        outcomes.push_back(outcome);
    };
    SyncWorker worker(
        SyncContext{f_.store, f_.clock, f_.capability, setter, f_.runtime, f_.gps, f_.flags},
        [&networkCalls](SyncContext& ctx, const std::string&) {
            UpdateOutcome outcome;
            outcome.reference = UpdateReference::Sntp;
            outcome.result = UpdateResult::ServerSilent;  // the server did not answer
            if (++networkCalls == 1) {
                outcome.result = ctx.setter.apply({ctx.clock.utcNow(), 250ms}).set()
                                     ? UpdateResult::Set
                                     : UpdateResult::ClockRefused;
            }
            return outcome;
        },
        listen);

    worker.StartSync();
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 1)}, {250ms, "GPGGA", ggaData(12, 0, 2)}});
    ASSERT_TRUE(worker.waitIdle(15s));
    f_.runtime.useNetworkTime = 1;
    helper.setAnswer({ClockHelperAnswer::Status::Stepped, "", ""});
    for (int i = 0; i < 2; ++i) {
        worker.StartSync();
        ASSERT_TRUE(worker.waitIdle(10s));
    }
    // No helper at all: the privilege is missing.
    ClockSetter none(f_.clock, f_.capability, ClockPath::Helper, nullptr);
    networkCalls = 0;
    SyncWorker alone(
        SyncContext{f_.store, f_.clock, f_.capability, none, f_.runtime, f_.gps, f_.flags},
        [](SyncContext& ctx, const std::string&) {
            ctx.setter.apply({ctx.clock.utcNow(), 250ms});
            UpdateOutcome outcome;
            outcome.result = UpdateResult::ClockRefused;
            return outcome;
        },
        listen);
    alone.StartSync();
    ASSERT_TRUE(alone.waitIdle(10s));

    EXPECT_EQ(helper.steps(), (std::vector<std::chrono::microseconds>{2050ms, 250ms}));
    EXPECT_EQ(f_.clock.settingCount(), 0u) << "the program itself never sets the clock";
    std::lock_guard lock(mutex);
    ASSERT_EQ(outcomes.size(), 4u);
    EXPECT_EQ(outcomes[0].reference, UpdateReference::Gps);
    EXPECT_EQ(outcomes[0].result, UpdateResult::NotAuthorized);
    ASSERT_TRUE(outcomes[0].clock);
    EXPECT_EQ(*outcomes[0].clock, (ClockSetOutcome{ClockSetResult::NotAuthorized, "no"}));
    EXPECT_FALSE(outcomes[0].correctionMs);
    EXPECT_EQ(outcomes[1].result, UpdateResult::Set);
    ASSERT_TRUE(outcomes[1].clock);
    EXPECT_TRUE(outcomes[1].clock->set());
    EXPECT_EQ(outcomes[1].correctionMs, 250) << "the step the helper made";
    EXPECT_EQ(outcomes[2].result, UpdateResult::ServerSilent);
    EXPECT_FALSE(outcomes[2].clock) << "an outcome of an earlier update is not carried over";
    EXPECT_EQ(outcomes[3].result, UpdateResult::PrivilegeMissing);
    EXPECT_EQ(outcomes[3].clock->result, ClockSetResult::NoHelper);
}

}  // namespace
}  // namespace horalux

namespace horalux {
namespace {

// What the worker's caller receives: one outcome per update that ran, with the correction the
// setting made measured against the clock read right before it.
class SyncWorkerOutcomeTest : public SyncWorkerTest {
  protected:
    SyncWorker::OutcomeListener listener() {
        return [this](const UpdateOutcome& outcome) {
            std::lock_guard lock(mutex_);
            outcomes_.push_back(outcome);
        };
    }
    std::vector<UpdateOutcome> outcomes() {
        std::lock_guard lock(mutex_);
        return outcomes_;
    }

    std::mutex mutex_;
    std::vector<UpdateOutcome> outcomes_;
};

TEST_F(SyncWorkerOutcomeTest, EachUpdateThatRunsReportsHowItEnded) {
    // A network update that moves the clock 1.5 s on, or reports what the test says.
    UpdateResult networkResult = UpdateResult::Set;
    auto network = [&](SyncContext& ctx, const std::string& server) {
        UpdateOutcome outcome;
        outcome.reference = UpdateReference::Sntp;
        outcome.source = server;
        outcome.delayMs = 0.25;
        outcome.result = networkResult;
        if (networkResult == UpdateResult::Set) {
            const SystemTime now = ctx.clock.utcNow();
            ctx.setter.apply(CorrectionFrom(now, utcFromUnixMillis(toUnixMillis(now) + 1500)));
        }
        return outcome;
    };
    SyncWorker worker(f_.ctx, network, listener());
    f_.runtime.setCurrentServer("127.0.0.1:12300");
    const int64_t start = f_.clock.nowMillis();  // 2001-03-18 12:00:00.000 UTC

    struct Case {
        const char* what;
        int network;
        int locked;
        int localOffsetMinutes;
        bool allowSetting;
        UpdateResult networkResult;
        UpdateResult expected;
        std::optional<int64_t> correction;
        int feedChrony = 0;
    };
    for (const Case& c : {
             Case{"GPS set", 0, 1, 0, true, {}, UpdateResult::Set, 2050},
             Case{"GPS at local hour 23", 0, 1, 11 * 60, true, {}, UpdateResult::LocalHour, {}},
             Case{"GPS not locked", 0, 0, 0, true, {}, UpdateResult::NotLocked, {}},
             Case{"GPS, the clock refused", 0, 1, 0, false, {}, UpdateResult::ClockRefused, {}},
             Case{"GPS fed to chronyd", 0, 1, 0, true, {}, UpdateResult::LeftToChronyd, {}, 1},
             Case{"network set", 1, 1, 0, true, UpdateResult::Set, UpdateResult::Set, 1500},
             Case{"network silent",
                  1,
                  1,
                  0,
                  true,
                  UpdateResult::ServerSilent,
                  UpdateResult::ServerSilent,
                  {}},
         }) {
        SCOPED_TRACE(c.what);
        f_.clock.setNow(utcFromUnixMillis(start));
        f_.clock.setLocalOffsetMinutes(c.localOffsetMinutes);
        f_.clock.setAllowSetting(c.allowSetting);
        f_.flags.timeLocked = c.locked;
        f_.runtime.useNetworkTime = c.network;
        f_.runtime.feedChrony = c.feedChrony;
        networkResult = c.networkResult;
        feeder_.dispatch("GPGGA", ggaData(12, 0, 0));
        const size_t before = outcomes().size();
        worker.StartSync();
        if (c.network == 0 && c.expected != UpdateResult::LocalHour && c.locked == 1) {
            feeder_.start(
                {{250ms, "GPGGA", ggaData(12, 0, 1)}, {250ms, "GPGGA", ggaData(12, 0, 2)}});
        }
        ASSERT_TRUE(worker.waitIdle(15s));
        feeder_.stop();
        const std::vector<UpdateOutcome> got = outcomes();
        ASSERT_EQ(got.size(), before + 1) << "one outcome per update";
        const UpdateOutcome& o = got.back();
        EXPECT_EQ(o.result, c.expected) << ResultKey(o.result);
        EXPECT_EQ(o.correctionMs, c.correction);
        EXPECT_EQ(o.reference, c.network == 1 ? UpdateReference::Sntp : UpdateReference::Gps);
        EXPECT_EQ(o.source, c.network == 1 ? "127.0.0.1:12300" : "GGA");
        EXPECT_EQ(o.delayMs.has_value(), c.network == 1);
        // Stamped with the PC's time when the update ended: after the setting, when there was one.
        EXPECT_EQ(o.timeMs, start + c.correction.value_or(0));
    }

    // A request dropped because another update runs reports nothing.
    networkResult = UpdateResult::ServerSilent;
    f_.runtime.useNetworkTime = 0;
    f_.flags.timeLocked = 1;
    f_.clock.setLocalOffsetMinutes(0);
    const size_t before = outcomes().size();
    worker.StartSync();
    EXPECT_TRUE(eventually([&] { return f_.flags.syncBusy.load() == 1; }));
    worker.StartSync();
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 1)}, {250ms, "GPGGA", ggaData(12, 0, 2)}});
    ASSERT_TRUE(worker.waitIdle(15s));
    EXPECT_EQ(outcomes().size(), before + 1);
}

}  // namespace
}  // namespace horalux
