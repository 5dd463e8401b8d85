#include <systemd/sd-bus.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/clock_helper.h"

namespace horalux {

namespace {

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};

using Bus = std::unique_ptr<sd_bus, BusUnref>;

struct Pending {
    bool done = false;
    ClockHelperAnswer answer;
};

int OnReply(sd_bus_message* reply, void* userdata, sd_bus_error* /*error*/) {
    auto* pending = static_cast<Pending*>(userdata);
    pending->done = true;
    if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
        pending->answer.status = ClockHelperAnswer::Status::Error;
        pending->answer.errorName = error->name != nullptr ? error->name : "";
        pending->answer.message = error->message != nullptr ? error->message : "";
    } else {
        pending->answer.status = ClockHelperAnswer::Status::Stepped;
    }
    return 0;
}

ClockHelperAnswer Failure(ClockHelperAnswer::Status status, const std::string& message) {
    ClockHelperAnswer answer;
    answer.status = status;
    answer.message = message;
    return answer;
}

std::string Why(const char* what, int r) {
    return std::string(what) + ": " + std::strerror(-r);
}

// Calls a method of the bus itself, with one string argument or none; false with the error in
// `answer` when it fails.
bool AskBus(sd_bus* bus, const char* method, const char* argument, sd_bus_message** reply,
            ClockHelperAnswer& answer) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r =
        argument != nullptr
            ? sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                 "org.freedesktop.DBus", method, &error, reply, "s", argument)
            : sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                 "org.freedesktop.DBus", method, &error, reply, "");
    if (r < 0) {
        answer.status = ClockHelperAnswer::Status::Error;
        answer.errorName = error.name != nullptr ? error.name : "";
        answer.message = error.message != nullptr ? error.message : std::strerror(-r);
        sd_bus_error_free(&error);
        return false;
    }
    return true;
}

// The system bus (DBUS_SYSTEM_BUS_ADDRESS when set), or none with `failure` saying why.
Bus OpenSystemBus(ClockHelperAnswer& failure) {
    sd_bus* raw = nullptr;
    const int r = sd_bus_open_system(&raw);
    if (r < 0) {
        failure =
            Failure(ClockHelperAnswer::Status::NoBus, Why("cannot connect to the system bus", r));
    }
    return Bus(raw);
}

}  // namespace

ClockHelperAnswer BusClockHelper::look() {
    using Status = ClockHelperAnswer::Status;
    ClockHelperAnswer failure;
    const Bus bus = OpenSystemBus(failure);
    if (!bus) {
        return failure;
    }
    sd_bus_set_method_call_timeout(
        bus.get(), std::chrono::duration_cast<std::chrono::microseconds>(kLookTimeout).count());
    ClockHelperAnswer answer;
    answer.status = Status::Stepped;
    sd_bus_message* rawReply = nullptr;
    if (!AskBus(bus.get(), "NameHasOwner", clock_helper::kBusName, &rawReply, answer)) {
        return answer;
    }
    std::unique_ptr<sd_bus_message, MessageUnref> owned(rawReply);
    int running = 0;
    if (sd_bus_message_read(owned.get(), "b", &running) >= 0 && running != 0) {
        return answer;
    }
    if (!AskBus(bus.get(), "ListActivatableNames", nullptr, &rawReply, answer)) {
        return answer;
    }
    std::unique_ptr<sd_bus_message, MessageUnref> names(rawReply);
    char** list = nullptr;
    if (sd_bus_message_read_strv(names.get(), &list) >= 0 && list != nullptr) {
        bool found = false;
        for (char** name = list; *name != nullptr; ++name) {
            found = found || std::strcmp(*name, clock_helper::kBusName) == 0;
            std::free(*name);
        }
        std::free(list);
        if (found) {
            return answer;
        }
    }
    answer.status = Status::Error;
    answer.errorName = "org.freedesktop.DBus.Error.ServiceUnknown";
    answer.message = std::string("the bus knows no ") + clock_helper::kBusName;
    return answer;
}

ClockHelperAnswer BusClockHelper::step(std::chrono::microseconds offset,
                                       const std::stop_token& stop) {
    using Status = ClockHelperAnswer::Status;
    ClockHelperAnswer failure;
    const Bus bus = OpenSystemBus(failure);
    if (!bus) {
        return failure;
    }
    sd_bus_message* rawMessage = nullptr;
    int r = sd_bus_message_new_method_call(bus.get(), &rawMessage, clock_helper::kBusName,
                                           clock_helper::kObjectPath, clock_helper::kInterface,
                                           clock_helper::kStepMethod);
    std::unique_ptr<sd_bus_message, MessageUnref> call(rawMessage);
    if (r >= 0) {
        r = sd_bus_message_append(call.get(), "x", static_cast<int64_t>(offset.count()));
    }
    if (r >= 0) {
        // polkit may ask the person at the desk to confirm.
        r = sd_bus_message_set_allow_interactive_authorization(call.get(), 1);
    }
    if (r < 0) {
        return Failure(Status::NoBus, Why("cannot build the request", r));
    }
    const auto waitUs = std::chrono::duration_cast<std::chrono::microseconds>(wait_);
    Pending pending;
    sd_bus_slot* rawSlot = nullptr;
    r = sd_bus_call_async(bus.get(), &rawSlot, call.get(), OnReply, &pending,
                          static_cast<uint64_t>(waitUs.count()));
    std::unique_ptr<sd_bus_slot, SlotUnref> slot(rawSlot);
    if (r < 0) {
        return Failure(Status::NoBus, Why("cannot send the request", r));
    }
    // Waits in short slices, so that a program that ends does not wait for the answer.
    const auto deadline = std::chrono::steady_clock::now() + wait_;
    constexpr uint64_t kSliceUs = 100000;
    while (!pending.done) {
        if (stop.stop_requested()) {
            return Failure(Status::Stopped, "the program stopped waiting for the helper");
        }
        r = sd_bus_process(bus.get(), nullptr);
        if (r < 0) {
            return Failure(Status::NoBus, Why("the system bus connection failed", r));
        }
        if (r > 0 || pending.done) {
            continue;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Failure(Status::TimedOut, "no answer from the clock helper within " +
                                                 std::to_string(wait_.count() / 1000) + " s");
        }
        sd_bus_wait(bus.get(), kSliceUs);
    }
    return pending.answer;
}

}  // namespace horalux
