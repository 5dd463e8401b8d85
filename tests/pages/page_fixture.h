#pragma once

#include <QDir>
#include <QString>
#include <filesystem>
#include <memory>
#include <string>

#include "app/runtime_settings.h"
#include "app/update_starter.h"
#include "gps/gps_state.h"
#include "gps/serial_port.h"
#include "gps/sky_view.h"
#include "pages/page_services.h"
#include "pages/property_page.h"
#include "platform/fake_message_service.h"
#include "platform/fake_serial_device.h"
#include "platform/fake_serial_device_list.h"
#include "platform/fake_system_clock.h"
#include "platform/fake_url_opener.h"
#include "platform/memory_settings_store.h"
#include "support/test_dirs.h"
#include "sync/sync_flags.h"
#include "ui/horalux_property_sheet.h"

namespace horalux::test {

// Everything a property page works with, as fakes, and a sheet to put it in: the store, the
// runtime copies, the GPS record with a sky view beside it (empty until a test feeds it), the
// flags, a clock standing at 2001-03-18 19:53:17 UTC, a serial port on a fake device, recorded
// message boxes and beeps, recorded URLs, and an update starter that counts its starts (the
// server it chooses is "chosen.example").
class PageFixture {
  public:
    PageFixture()
        : serial(messages, MakeDevice(device)),
          starter(
              runtime, [] { return std::string("chosen.example"); }, [this] { ++starts; }),
          sheet(store) {}

    PageServices services() {
        return PageServices{store,  runtime,  gps,  flags,          clock,   starter,
                            serial, messages, urls, &serialDevices, nullptr, &sky};
    }

    // Adds a page to the sheet, shows the sheet on it and creates it.
    template <class Page>
    Page& Show(Page* page) {
        sheet.addPage(page, page->caption());
        sheet.setCurrentWidget(page);
        sheet.show();
        page->Create();
        return *page;
    }

    // Saves a picture of the sheet as build/screenshots/NAME.png.
    bool Screenshot(const std::string& name) {
        const auto dir = buildDir() / "screenshots";
        std::filesystem::create_directories(dir);
        return sheet.grab().save(QString::fromStdString((dir / (name + ".png")).string()));
    }

    MemorySettingsStore store;
    RuntimeSettings runtime;
    GpsState gps;
    SkyView sky;
    SyncFlags flags;
    FakeSystemClock clock;
    FakeMessageService messages;
    FakeUrlOpener urls;
    FakeSerialDeviceList serialDevices;  // the devices offered where a port is typed
    FakeSerialDevice* device = nullptr;  // owned by serial
    SerialPort serial;
    int starts = 0;
    UpdateStarter starter;
    CHoraluxPropertySheet sheet;

  private:
    static std::unique_ptr<SerialDevice> MakeDevice(FakeSerialDevice*& raw) {
        auto made = std::make_unique<FakeSerialDevice>();
        raw = made.get();
        return made;
    }
};

}  // namespace horalux::test
