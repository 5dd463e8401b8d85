// horalux-clockd: steps the system clock for callers on the system bus whom polkit allows. The
// tray program holds no privilege and asks this small helper instead; the bus starts it on the
// first request, and it ends after a while without one.
//
//   horalux-clockd [--log-stderr] [--idle-exit SECONDS]
//
// With HORALUX_CLOCK_FILE set it steps that virtual clock instead of the system clock, as the
// program does, so tests never touch the machine's clock.
#include <syslog.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "clockd/clock_step_service.h"
#include "clockd/clock_stepper.h"
#include "clockd/polkit_authority.h"
#include "platform/clock_helper.h"

namespace {

using namespace horalux;
using namespace horalux::clockd;
using Clock = std::chrono::steady_clock;

bool logToStderr = false;

void Log(int priority, const std::string& line) {
    if (logToStderr) {
        std::fprintf(stderr, "horalux-clockd: %s\n", line.c_str());
    } else {
        syslog(priority, "%s", line.c_str());
    }
}

struct Helper {
    ClockStepService* service = nullptr;
    Clock::time_point lastRequest = Clock::now();
};

// The caller's uid and pid as the bus daemon knows them (for the log).
void CallerCredentials(sd_bus_message* m, StepRequest& request) {
    sd_bus_creds* creds = nullptr;
    if (sd_bus_query_sender_creds(m, SD_BUS_CREDS_PID | SD_BUS_CREDS_EUID | SD_BUS_CREDS_UID,
                                  &creds) < 0) {
        return;
    }
    uid_t uid = 0;
    if (sd_bus_creds_get_euid(creds, &uid) >= 0 || sd_bus_creds_get_uid(creds, &uid) >= 0) {
        request.uid = uid;
    }
    pid_t pid = 0;
    if (sd_bus_creds_get_pid(creds, &pid) >= 0) {
        request.pid = pid;
    }
    sd_bus_creds_unref(creds);
}

int StepClock(sd_bus_message* m, void* userdata, sd_bus_error* /*error*/) {
    auto* helper = static_cast<Helper*>(userdata);
    StepRequest request;
    int r = sd_bus_message_read(m, "x", &request.offsetUs);
    if (r < 0) {
        return r;  // sd-bus answers with InvalidArgs
    }
    const char* sender = sd_bus_message_get_sender(m);
    request.sender = sender != nullptr ? sender : "";
    CallerCredentials(m, request);
    const StepReply reply = helper->service->handle(request);
    helper->lastRequest = Clock::now();
    if (reply.stepped) {
        return sd_bus_reply_method_return(m, "");
    }
    return sd_bus_reply_method_errorf(m, reply.errorName.c_str(), "%s", reply.message.c_str());
}

const sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD_WITH_NAMES("StepClock", "x", SD_BUS_PARAM(offset_us), "", , StepClock,
                             SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

int Fail(const char* what, int r) {
    Log(LOG_ERR, std::string(what) + ": " + std::strerror(-r));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    long idleSeconds = 30;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--log-stderr") {
            logToStderr = true;
        } else if (arg == "--idle-exit" && i + 1 < argc) {
            idleSeconds = std::strtol(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: horalux-clockd [--log-stderr] [--idle-exit SECONDS]\n");
            return 2;
        }
    }
    openlog("horalux-clockd", LOG_PID, LOG_DAEMON);

    const char* clockFile = std::getenv("HORALUX_CLOCK_FILE");
    const bool virtualClock = clockFile != nullptr && *clockFile != '\0';
    const std::string capabilities = KeepOnlyTimeCapability();
    if (!capabilities.empty()) {
        Log(LOG_ERR, "cannot give up capabilities: " + capabilities);
        return 1;
    }
    std::unique_ptr<ClockStepper> stepper;
    if (virtualClock) {
        stepper = std::make_unique<VirtualClockStepper>(clockFile);
    } else {
        stepper = std::make_unique<SystemClockStepper>();
    }

    sd_bus* bus = nullptr;
    int r = sd_bus_open_system(&bus);
    if (r < 0) {
        return Fail("cannot connect to the system bus", r);
    }
    PolkitAuthority authority(bus);
    ClockStepService service(authority, *stepper,
                             [](const std::string& line) { Log(LOG_NOTICE, line); });
    Helper helper{&service};
    r = sd_bus_add_object_vtable(bus, nullptr, clock_helper::kObjectPath, clock_helper::kInterface,
                                 kVtable, &helper);
    if (r >= 0) {
        r = sd_bus_request_name(bus, clock_helper::kBusName, 0);
    }
    if (r < 0) {
        sd_bus_flush_close_unref(bus);
        return Fail("cannot offer the clock service on the system bus", r);
    }

    const auto idle = std::chrono::seconds{idleSeconds};
    for (;;) {
        r = sd_bus_process(bus, nullptr);
        if (r < 0) {
            sd_bus_flush_close_unref(bus);
            return Fail("the system bus connection failed", r);
        }
        if (r > 0) {
            continue;
        }
        const auto left = helper.lastRequest + idle - Clock::now();
        if (left <= Clock::duration::zero()) {
            break;
        }
        sd_bus_wait(bus, static_cast<uint64_t>(
                             std::chrono::duration_cast<std::chrono::microseconds>(left).count()));
    }
    // Give the name back first, so the bus starts a new helper for the next request, then answer
    // what has arrived meanwhile.
    sd_bus_release_name(bus, clock_helper::kBusName);
    while (sd_bus_process(bus, nullptr) > 0) {
    }
    sd_bus_flush_close_unref(bus);
    return 0;
}
