#include <gtest/gtest.h>

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "platform/memory_settings_store.h"
#include "sync/time_lock.h"

namespace horalux {
namespace {

TEST(TimeLockTest, NeedsEnoughSatellitesAndLiveSentences) {
    // satellitesUsed, stale, fixQuality, TLGPSGood, TLSats -> locked
    EXPECT_EQ(TimeLockTest(3, 0, 1, 1, 3), 1);
    EXPECT_EQ(TimeLockTest(12, 0, 2, 1, 3), 1);
    EXPECT_EQ(TimeLockTest(2, 0, 1, 1, 3), 0);  // too few satellites
    EXPECT_EQ(TimeLockTest(8, 1, 1, 1, 3), 0);  // receiver silent
    EXPECT_EQ(TimeLockTest(8, 1, 1, 0, 0), 0);  // silent, even with no other requirement
    EXPECT_EQ(TimeLockTest(0, 0, 0, 0, 0), 1);  // nothing else required
}

TEST(TimeLockTest, OnlyTLGPSGoodOfExactlyOneRequiresAFix) {
    EXPECT_EQ(TimeLockTest(3, 0, 0, 1, 3), 0);
    EXPECT_EQ(TimeLockTest(3, 0, 0, 0, 3), 1);
    EXPECT_EQ(TimeLockTest(3, 0, 0, 2, 3), 1);   // 2 behaves like 0
    EXPECT_EQ(TimeLockTest(3, 0, 0, -1, 3), 1);  // so does any other value
    EXPECT_EQ(TimeLockTest(3, 0, 6, 1, 3), 1);   // any fix quality but 0 counts as a fix
}

TEST(TimeLockTest, SatelliteSettingIsAnUnsigned16BitNumber) {
    GpsState gps;
    RuntimeSettings runtime;
    MemorySettingsStore store;
    gps.satellitesUsed = 12;
    gps.fixQuality = 1;

    store.write(keys::TLSats, -1);  // a hand-edited value: 65535 satellites
    runtime.load(store);
    EXPECT_EQ(runtime.lockSatellites.load(), 65535);
    EXPECT_EQ(TimeLockTest(gps, runtime), 0);

    store.write(keys::TLSats, 65536 + 4);  // wraps to 4
    runtime.load(store);
    EXPECT_EQ(TimeLockTest(gps, runtime), 1);
    gps.satellitesUsed = 3;
    EXPECT_EQ(TimeLockTest(gps, runtime), 0);
}

}  // namespace
}  // namespace horalux
