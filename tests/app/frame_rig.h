#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/main_frame.h"
#include "app/settings_keys.h"
#include "app/update_log.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "platform/fake_message_service.h"
#include "platform/fake_system_clock.h"
#include "platform/fake_url_opener.h"
#include "platform/memory_settings_store.h"
#include "support/test_dirs.h"
#include "ui/help_manual.h"

namespace horalux {

// The main frame with fakes for everything around it, built once the given settings are stored.
// Its timers run only when a test runs the event loop; the tests call the timers' work directly
// instead.
struct FrameRig {
    explicit FrameRig(std::initializer_list<std::pair<IntSetting, int32_t>> settings) {
        for (const auto& [setting, value] : settings) {
            store.write(setting, value);
        }
        frame = std::make_unique<CMainFrame>(MainFrameServices{
            store, runtime, gps, flags, clock, reader, starter, messages, help, nullptr, &updates});
    }

    MemorySettingsStore store;
    RuntimeSettings runtime;
    GpsState gps;
    SyncFlags flags;
    FakeSystemClock clock{{2001, 3, 0, 18, 19, 53, 17, 0}};
    NmeaParser parser{gps};
    NmeaReader reader{gps, parser, clock};
    std::vector<std::string> started;  // the current server at each started update
    UpdateStarter starter{runtime, [] { return std::string("ntp.example"); },
                          [this] { started.push_back(runtime.currentServer()); }};
    FakeMessageService messages;
    FakeUrlOpener urls;
    test::TempDir helpDir;
    HelpManual help{urls, messages, QString::fromStdString(helpDir.path().string())};
    UpdateLog updates{(helpDir.path() / "clock-updates.log").string()};
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace horalux
