#pragma once

namespace horalux {

class SettingsStore;
class RuntimeSettings;
class GpsState;
struct SyncFlags;
class SystemClock;
class UpdateStarter;
class SerialPort;
class MessageService;
class UrlOpener;
class SerialDeviceList;
class DesktopIntegration;
class SkyView;
class ChronyWatch;
class UpdateLog;

// What the property pages work with: the program's one instance of each.
struct PageServices {
    SettingsStore& store;
    RuntimeSettings& runtime;
    GpsState& gps;
    SyncFlags& flags;
    const SystemClock& clock;
    // "Update PC Clock Now": chooses the server, makes it the current one, starts the worker.
    UpdateStarter& starter;
    // The receiver's port, reopened by "Apply Comm Settings" and the choice of reference; the
    // main frame's watch on it follows at its next tick.
    SerialPort& serial;
    MessageService& messages;
    UrlOpener& urls;
    // The serial devices present, offered where a port is typed (none: no offers).
    const SerialDeviceList* serialDevices = nullptr;
    // Start at log-in, the clock privilege and other time services (none: not shown).
    DesktopIntegration* desktop = nullptr;
    // Every satellite of every constellation the receiver reports, beside the record (none: the
    // status displays show the record's satellites alone). Cleared with the record when the
    // reference becomes the network.
    SkyView* sky = nullptr;
    // The record of clock updates, shown on the Update PC Clock page (none: not shown).
    UpdateLog* updates = nullptr;
    // chronyd's state while GPS time is fed to it (none: the page says nothing of chronyd).
    ChronyWatch* chrony = nullptr;
};

}  // namespace horalux
