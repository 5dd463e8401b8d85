#pragma once

namespace horalux {

// The process's permission to set the system clock (CAP_SYS_TIME in the effective set on Linux).
class TimeCapability {
  public:
    enum class Result {
        Raised,        // the capability is now effective
        NotSupported,  // the system has no such permissions to manage
        Failed,        // the capability is not permitted, or the call failed
    };

    virtual ~TimeCapability() = default;

    virtual Result raise() = 0;  // make it effective
    virtual void lower() = 0;    // drop it from the effective set (it stays permitted)
};

// A permission that is never there: for those that read the time and must never set it (a
// query, a measurement).
class NoTimeCapability final : public TimeCapability {
  public:
    Result raise() override { return Result::Failed; }
    void lower() override {}
};

}  // namespace horalux
