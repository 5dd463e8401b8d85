// ChronyFeed: what reaches the shared-memory refclock and when, on segments held in memory.
#include "sync/chrony_feed.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/settings_keys.h"
#include "gps/nmea_parser.h"
#include "platform/memory_settings_store.h"
#include "sentence_feeder.h"

namespace horalux {
namespace {

using test::ggaData;
using test::zdaData;

// A segment in this process's memory, with as many readers attached as a test says.
class MemorySegment final : public SharedMemory {
  public:
    explicit MemorySegment(int& attached) : attached_(attached) {}
    void* data() override { return &time_; }
    size_t size() const override { return sizeof time_; }
    int attachCount() const override { return attached_; }
    ShmTime time_{};

  private:
    int& attached_;
};

constexpr int64_t kNs = 1000000000;
constexpr int64_t kMs = 1000000;
// 2001-03-18 12:00:00 UTC
constexpr int64_t kNoon = 984916800;
// The steady clock stood at 5000 s when the real clock stood at noon.
constexpr int64_t kSteadyAtNoon = 5000 * kNs;

class ChronyFeedTest : public ::testing::Test {
  protected:
    ChronyFeedTest()
        : feed_(store_, runtime_, gps_, [this](int key, std::string* error) {
              keys_.push_back(key);
              if (!openError_.empty()) {
                  *error = openError_;
                  return std::unique_ptr<SharedMemory>();
              }
              auto segment = std::make_unique<MemorySegment>(attached_);
              segment_ = segment.get();
              return std::unique_ptr<SharedMemory>(std::move(segment));
          }) {
        runtime_.feedChrony = 1;
        runtime_.lockNeedsGoodGga = 1;
        runtime_.lockSatellites = 0;  // the GGA's fix alone makes the lock here
        store_.write(keys::GPSTimeDelay, 120);
    }

    // A GGA sentence for 12:00:s read `afterMs` into that second, then the feed's turn
    // `laterMs` after the read.
    std::optional<RefclockSample> second(int s, int64_t afterMs = 130, int fix = 1,
                                         int64_t laterMs = 0) {
        std::string data = ggaData(12, 0, s);
        data[data.find(",1,08,") + 1] = static_cast<char>('0' + fix);
        const int64_t read = s * kNs + afterMs * kMs;  // since noon
        parser_.Dispatch("GPGGA", data.c_str(), kSteadyAtNoon + read);
        return at(read + laterMs * kMs);
    }
    // The feed's turn at a time since noon.
    std::optional<RefclockSample> at(int64_t sinceNoonNs) {
        return feed_.OnPortRead(kNoon * kNs + sinceNoonNs, kSteadyAtNoon + sinceNoonNs);
    }

    MemorySettingsStore store_;
    RuntimeSettings runtime_;
    GpsState gps_;
    NmeaParser parser_{gps_};
    std::vector<int> keys_;
    std::string openError_;
    int attached_ = 1;
    MemorySegment* segment_ = nullptr;
    ChronyFeed feed_;
};

TEST_F(ChronyFeedTest, OneSampleForEachNewSecondWhileLocked) {
    EXPECT_FALSE(second(0)) << "the first read has nothing to compare with";
    ASSERT_EQ(keys_, std::vector<int>{0x4e545032}) << "unit 2 by default, attached at once";
    const std::optional<RefclockSample> s1 = second(1, 131);
    ASSERT_TRUE(s1);
    EXPECT_EQ(s1->referenceNs, (kNoon + 1) * kNs + 120 * 1000000) << "second plus the delay";
    EXPECT_EQ(s1->receiveNs, (kNoon + 1) * kNs + 131 * 1000000) << "when the read was made";
    EXPECT_EQ(segment_->time_.clockTimeStampSec, kNoon + 1);
    EXPECT_EQ(segment_->time_.valid, 1);
    EXPECT_EQ(second(2, 140, 1, 30)->receiveNs, (kNoon + 2) * kNs + 140 * kMs)
        << "also when the feed's turn comes later";

    // A read that brings no new time (another constellation's GGA of the same second, or the
    // heartbeat's read of nothing) writes nothing.
    EXPECT_FALSE(second(2, 400));
    EXPECT_FALSE(at(2 * kNs + 450 * kMs));
    EXPECT_EQ(segment_->time_.count, 4);

    // Unlocked (no fix): nothing, and the next locked second again.
    EXPECT_FALSE(second(3, 130, 0));
    EXPECT_FALSE(feed_.status().locked);
    EXPECT_TRUE(second(4));
    EXPECT_EQ(segment_->time_.count, 6);
    EXPECT_EQ(feed_.status().samples, 3u);

    // A negative delay reaches into the second before; an out-of-range one feeds nothing.
    store_.write(keys::GPSTimeDelay, -200);
    EXPECT_EQ(second(5)->referenceNs, (kNoon + 4) * kNs + 800 * 1000000);
    store_.write(keys::GPSTimeDelay, 1000);
    EXPECT_FALSE(second(6));

    // A sentence that was not timed (nothing says when it came) feeds nothing.
    store_.write(keys::GPSTimeDelay, 120);
    parser_.Dispatch("GPGGA", ggaData(12, 0, 7).c_str());
    EXPECT_FALSE(at(7 * kNs + 200 * kMs));
    EXPECT_TRUE(second(8));
}

TEST_F(ChronyFeedTest, TheZdaDateIsTheReferencesDateWhenZdaIsTheTimeSentence) {
    gps_.timeSource = 2;
    runtime_.lockNeedsGoodGga = 0;
    parser_.Dispatch("GPZDA", zdaData(12, 0, 0, 4, 7, 2002).c_str(), kSteadyAtNoon);
    EXPECT_FALSE(at(0));
    parser_.Dispatch("GPZDA", zdaData(12, 0, 1, 4, 7, 2002).c_str(), kSteadyAtNoon + kNs);
    const std::optional<RefclockSample> s = at(kNs);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->referenceNs, (1025784000 + 1) * kNs + 120 * 1000000);  // 2002-07-04 12:00:01
}

TEST_F(ChronyFeedTest, NothingIsFedWhileOffOrWhileTheNetworkIsTheReference) {
    struct Case {
        int32_t feed;
        int32_t network;
        bool attached;
    };
    for (const Case c : {Case{0, 0, false}, Case{0, 1, false}, Case{1, 1, false}}) {
        runtime_.feedChrony = c.feed;
        runtime_.useNetworkTime = c.network;
        for (int s = 10; s < 14; ++s) {
            EXPECT_FALSE(second(s));
        }
        EXPECT_EQ(feed_.status().attached, c.attached);
        EXPECT_FALSE(feed_.status().active);
    }
    EXPECT_TRUE(keys_.empty()) << "not even attached";

    // On again: attached at once, fed from the next new second (not the one it came on in).
    runtime_.feedChrony = 1;
    runtime_.useNetworkTime = 0;
    EXPECT_FALSE(at(13 * kNs + 900 * kMs));
    EXPECT_TRUE(feed_.status().attached);
    EXPECT_TRUE(second(14));
    // Off detaches it, and the samples count again from zero.
    runtime_.feedChrony = 0;
    EXPECT_FALSE(second(15));
    EXPECT_FALSE(feed_.status().attached);
    EXPECT_EQ(feed_.status().samples, 0u);
}

TEST_F(ChronyFeedTest, TheStatusTellsOfReadersAndOfSegmentsThatCannotBeHad) {
    second(0);
    EXPECT_EQ(feed_.status().otherAttached, 0) << "chronyd has not attached it";
    attached_ = 2;
    second(1);
    ChronyFeed::Status status = feed_.status();
    EXPECT_EQ(status.otherAttached, 1);
    EXPECT_FALSE(status.lastTaken);
    segment_->time_.valid = 0;  // chronyd took the sample
    EXPECT_TRUE(feed_.status().lastTaken);

    // Another unit: the segment is changed at once. A unit out of range is not even tried.
    runtime_.chronyShmUnit = 7;
    second(2);
    EXPECT_EQ(keys_.back(), 0x4e545037);
    runtime_.chronyShmUnit = 256;
    EXPECT_FALSE(second(3));
    status = feed_.status();
    EXPECT_FALSE(status.attached);
    EXPECT_NE(status.error.find("not a unit from 0 to 255"), std::string::npos) << status.error;
    EXPECT_EQ(keys_.size(), 2u);

    // A segment that cannot be attached: said, and tried again once a second, not on every read.
    runtime_.chronyShmUnit = 1;
    openError_ = "another user's segment that this user may not write";
    EXPECT_FALSE(second(4));
    EXPECT_FALSE(at(4 * kNs + 500 * kMs));
    EXPECT_EQ(keys_.size(), 3u);
    EXPECT_EQ(feed_.status().error, openError_);
    openError_.clear();
    EXPECT_TRUE(second(5)) << "chronyd made it writable meanwhile";
    EXPECT_TRUE(feed_.status().error.empty());
}

}  // namespace
}  // namespace horalux
