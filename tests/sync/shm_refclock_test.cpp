// The shared-memory refclock segment: written by ShmRefclockWriter, read by a reader written here
// as chronyd's SHM driver (and ntpd's driver 28) document theirs, so that the layout and the
// count/valid protocol are checked against the other side rather than against our own writer.
#include "sync/shm_refclock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <thread>

#include "platform/shared_memory.h"

namespace horalux {
namespace {

// The documented reader, in two halves so that a test can write between them:
// 1. Begin: nothing to take unless valid is 1; otherwise copy the whole segment.
// 2. End: in mode 1, drop the copy when count is no longer the count copied (a write happened
//    during the copy); clear valid either way, so a sample is taken once. The time stamps are the
//    nanosecond fields when they agree with the microsecond fields, else the microseconds.
class DocumentedReader {
  public:
    explicit DocumentedReader(ShmTime* segment) : segment_(segment) {}

    bool Begin() {
        if (load(segment_->valid) == 0) {
            return false;
        }
        copy_.mode = load(segment_->mode);
        copy_.count = load(segment_->count);
        copy_.clockTimeStampSec = load(segment_->clockTimeStampSec);
        copy_.clockTimeStampUSec = load(segment_->clockTimeStampUSec);
        copy_.clockTimeStampNSec = load(segment_->clockTimeStampNSec);
        copy_.receiveTimeStampSec = load(segment_->receiveTimeStampSec);
        copy_.receiveTimeStampUSec = load(segment_->receiveTimeStampUSec);
        copy_.receiveTimeStampNSec = load(segment_->receiveTimeStampNSec);
        copy_.leap = load(segment_->leap);
        copy_.precision = load(segment_->precision);
        copy_.valid = load(segment_->valid);
        return true;
    }

    std::optional<RefclockSample> End() {
        const bool torn = copy_.mode == 1 && copy_.count != load(segment_->count);
        std::atomic_ref<int>(segment_->valid).store(0, std::memory_order_relaxed);
        if (torn || copy_.valid == 0 || (copy_.mode != 0 && copy_.mode != 1)) {
            return std::nullopt;
        }
        return RefclockSample{
            stamp(copy_.clockTimeStampSec, copy_.clockTimeStampUSec, copy_.clockTimeStampNSec),
            stamp(copy_.receiveTimeStampSec, copy_.receiveTimeStampUSec,
                  copy_.receiveTimeStampNSec)};
    }

    std::optional<RefclockSample> Read() { return Begin() ? End() : std::nullopt; }

    const ShmTime& copy() const { return copy_; }

  private:
    // Acquire loads: whatever a later load reads was written no earlier than what this one saw.
    template <class T>
    static T load(T& field) {
        return std::atomic_ref<T>(field).load(std::memory_order_acquire);
    }
    static int64_t stamp(time_t sec, int usec, unsigned nsec) {
        const int64_t fraction =
            nsec / 1000 == static_cast<unsigned>(usec) ? nsec : int64_t{usec} * 1000;
        return int64_t{sec} * 1000000000 + fraction;
    }

    ShmTime* segment_;
    ShmTime copy_{};
};

TEST(ShmRefclockTest, TheLayoutIsTheReadersOne) {
    EXPECT_EQ(offsetof(ShmTime, count), 4u);
    EXPECT_EQ(offsetof(ShmTime, clockTimeStampSec), 8u);
    EXPECT_EQ(offsetof(ShmTime, receiveTimeStampSec), 24u);
    EXPECT_EQ(offsetof(ShmTime, leap), 36u);
    EXPECT_EQ(offsetof(ShmTime, valid), 48u);
    EXPECT_EQ(offsetof(ShmTime, clockTimeStampNSec), 52u);
    EXPECT_EQ(offsetof(ShmTime, receiveTimeStampNSec), 56u);
    EXPECT_EQ(ShmRefclockKey(0), 0x4e545030);  // "NTP0"
    EXPECT_EQ(ShmRefclockKey(2), 0x4e545032);
}

TEST(ShmRefclockTest, EachSampleIsTakenWholeAndOnce) {
    ShmTime segment{};
    ShmRefclockWriter writer(&segment);
    DocumentedReader reader(&segment);
    EXPECT_FALSE(reader.Read()) << "an empty segment offers nothing";

    const RefclockSample samples[] = {
        {1796721254'100000000, 1796721254'101904715},  // 2026, a typical sample
        {1796721255'000000000, 1796721254'999999999},  // received before the second
        {4102444800'050000000, 4102444800'049000001},  // 2100: time_t beyond 32 bits
        {1'000000000, 999'999999},                     // sub-microsecond parts both ways
    };
    int count = 0;
    for (const RefclockSample& sample : samples) {
        writer.Write(sample);
        count += 2;
        EXPECT_EQ(segment.count, count) << "count moves before and after each write";
        EXPECT_EQ(segment.valid, 1);
        EXPECT_EQ(segment.mode, 1);
        EXPECT_FALSE(writer.LastSampleTaken());
        const std::optional<RefclockSample> read = reader.Read();
        ASSERT_TRUE(read);
        EXPECT_EQ(read->referenceNs, sample.referenceNs);
        EXPECT_EQ(read->receiveNs, sample.receiveNs);
        EXPECT_EQ(reader.copy().clockTimeStampNSec / 1000,
                  static_cast<unsigned>(reader.copy().clockTimeStampUSec));
        EXPECT_EQ(reader.copy().leap, 0);
        EXPECT_EQ(reader.copy().precision, ShmRefclockWriter::kPrecision);
        EXPECT_TRUE(writer.LastSampleTaken());
        EXPECT_FALSE(reader.Read()) << "nor twice";
    }
}

TEST(ShmRefclockTest, AReaderThatCopiedDuringAWriteDropsItsCopy) {
    ShmTime segment{};
    ShmRefclockWriter writer(&segment);
    DocumentedReader reader(&segment);
    writer.Write({10'000000000, 10'000500000});
    ASSERT_TRUE(reader.Begin());
    writer.Write({11'000000000, 11'000500000});  // lands while the reader copies
    EXPECT_FALSE(reader.End()) << "a copy across a write mixes two samples";
    EXPECT_FALSE(reader.Read()) << "the reader cleared valid: the new sample is lost, not torn";

    // A write that has begun (valid 0, count moved) offers nothing to a reader meanwhile.
    writer.Write({12'000000000, 12'000500000});
    std::atomic_ref<int>(segment.valid).store(0);
    ++segment.count;
    EXPECT_FALSE(reader.Read());
}

// A writer and a reader on two threads, as the program and chronyd are: every sample taken is a
// whole one (its two stamps belong together), however the two interleave. The writer writes
// with hardly a pause until the reader has taken enough samples (or a few seconds have passed).
TEST(ShmRefclockTest, ConcurrentReadsNeverTakeATornSample) {
    ShmTime segment{};
    std::atomic<bool> enough{false};
    std::thread writerThread([&] {
        ShmRefclockWriter writer(&segment);
        for (int64_t i = 1; !enough.load(std::memory_order_relaxed); ++i) {
            // The receive stamp is i microseconds and i nanoseconds after the reference.
            writer.Write({i * 1000000000 + i, i * 1000000000 + i + i * 1001});
            if (i % 4 == 0) {
                std::this_thread::yield();  // now and then a whole sample for the reader
            }
        }
    });
    DocumentedReader reader(&segment);
    int taken = 0;
    int64_t last = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (taken < 100 && std::chrono::steady_clock::now() < deadline) {
        if (const std::optional<RefclockSample> s = reader.Read()) {
            const int64_t i = s->referenceNs / 1000000000;
            EXPECT_EQ(s->referenceNs, i * 1000000000 + i);
            EXPECT_EQ(s->receiveNs - s->referenceNs, i * 1001) << "a torn sample at " << i;
            EXPECT_GT(i, last) << "samples come in order, each once";
            last = i;
            ++taken;
        }
    }
    enough = true;
    writerThread.join();
    EXPECT_GT(taken, 0);
}

// The real segment: made when missing, attached by a second user as chronyd attaches it, refused
// when another size is in the way, removed again.
TEST(SysvSharedMemoryTest, AttachesCountsAndRemoves) {
    const int key = 0x48580000 + static_cast<int>(::getpid() % 65536);  // private to this test
    SysvSharedMemory::Remove(key);
    std::string error;
    auto first = SysvSharedMemory::Open(key, sizeof(ShmTime), 0600, &error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(first->attachCount(), 1);
    EXPECT_EQ(static_cast<ShmTime*>(first->data())->valid, 0) << "a new segment is zeroed";
    {
        auto second = SysvSharedMemory::Open(key, sizeof(ShmTime), 0600, &error);
        ASSERT_TRUE(second) << error;
        EXPECT_EQ(first->attachCount(), 2);
        ShmRefclockWriter(static_cast<ShmTime*>(first->data())).Write({5'000000000, 5'000000001});
        EXPECT_TRUE(DocumentedReader(static_cast<ShmTime*>(second->data())).Read());
    }
    EXPECT_EQ(first->attachCount(), 1);
    EXPECT_FALSE(SysvSharedMemory::Open(key, 2 * sizeof(ShmTime), 0600, &error));
    EXPECT_NE(error.find("another size"), std::string::npos) << error;
    EXPECT_TRUE(SysvSharedMemory::Remove(key));
    first.reset();
    EXPECT_FALSE(SysvSharedMemory::Remove(key)) << "gone with its last user";
}

}  // namespace
}  // namespace horalux
