#include "pages/comm_settings.h"

#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "gps/serial_port.h"
#include "pages/dialog_int.h"

namespace horalux {

CommPortChoice ParseCommPort(std::string_view text) {
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.starts_with('/')) {
        return {0, std::string(trimmed)};
    }
    return {DialogInt(trimmed), {}};
}

std::string CommPortText(const SettingsStore& store) {
    const std::string device(TrimBlanks(store.read(keys::Device)));
    return device.empty() ? std::to_string(store.read(keys::Port)) : device;
}

int ApplyCommSettings(SettingsStore& store, SerialPort& serial, GpsState& gps,
                      std::string_view portText, int32_t baud) {
    const CommPortChoice choice = ParseCommPort(portText);
    if (choice.device.empty()) {
        store.write(keys::Port, choice.port);
        store.write(keys::Device, "");
    } else {
        store.write(keys::Device, choice.device);
    }
    store.write(keys::Baud, baud);
    serial.Close();
    const int result = serial.OpenFromSettings(store);
    gps.portHandle = serial.Handle();
    return result;
}

}  // namespace horalux
