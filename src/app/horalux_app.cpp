#include "app/horalux_app.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/project_info.h"
#include "app/time_server_list.h"
#include "pages/property_pages.h"
#include "platform/clock_privilege.h"
#include "platform/linux_time_capability.h"
#include "ui/first_run_dialog.h"

namespace horalux {

namespace {

// The virtual clock of HORALUX_CLOCK_FILE is a file of ours and the helper holds its own
// privilege: on those paths this process has no permission to raise (and one run without
// CAP_SYS_TIME, as tests and demonstrations run it, still sets the clock).
class UnneededTimeCapability final : public TimeCapability {
  public:
    Result raise() override { return Result::NotSupported; }
    void lower() override {}
};

std::unique_ptr<TimeCapability> MakeTimeCapability(ClockPath path) {
    if (path == ClockPath::Direct) {
        return std::make_unique<LinuxTimeCapability>();
    }
    return std::make_unique<UnneededTimeCapability>();
}

bool TraceEnabled() {
    const char* value = std::getenv("HORALUX_TRACE");
    return value != nullptr && value[0] == '1';
}

// The path this run sets the clock by. HORALUX_USE_CLOCK_HELPER=1 sends even a virtual clock's
// settings through the helper (which then steps the same virtual clock): the tests' way to run
// the whole path without touching the machine's clock.
ClockPath ChooseProgramClockPath(const SystemClock& clock) {
    const char* forced = std::getenv("HORALUX_USE_CLOCK_HELPER");
    return ChooseClockPath({dynamic_cast<const VirtualSystemClock*>(&clock) != nullptr,
                            forced != nullptr && std::string_view(forced) == "1",
                            ProbeHeldCapabilities().timePermitted});
}

// The helper on the system bus; with HORALUX_TRACE=1 each answer and the time it took go to
// stderr ("horalux: clock helper ...").
class ProgramClockHelper final : public ClockHelper {
  public:
    ClockHelperAnswer step(std::chrono::microseconds offset, const std::stop_token& stop) override {
        const auto start = std::chrono::steady_clock::now();
        ClockHelperAnswer answer = bus_.step(offset, stop);
        if (trace_) {
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            std::fprintf(stderr, "horalux: clock helper asked to step %+.6f s: %s after %.1f ms\n",
                         static_cast<double>(offset.count()) / 1e6,
                         answer.status == ClockHelperAnswer::Status::Stepped
                             ? "stepped"
                             : (answer.errorName + " " + answer.message).c_str(),
                         took.count());
        }
        return answer;
    }

  private:
    BusClockHelper bus_;
    bool trace_ = TraceEnabled();
};

std::string ProgramPath() {
    return QCoreApplication::applicationFilePath().toStdString();
}

}  // namespace

CHoraluxApp::CHoraluxApp()
    : clock_(makeSystemClock()),
      clockPath_(ChooseProgramClockPath(*clock_)),
      capability_(MakeTimeCapability(clockPath_)),
      helper_(std::make_unique<ProgramClockHelper>()),
      setter_(*clock_, *capability_, clockPath_, helper_.get()),
      help_(urls_, messages_),
      autostart_({project::kAppId, project::kProductName, project::kSummary}, ProgramPath()),
      integration_(autostart_, {&processTable_, &timedated_}, messages_),
      serial_(messages_),
      parser_(gps_, &sky_),
      reader_(gps_, parser_, *clock_) {}

CHoraluxApp::~CHoraluxApp() {
    frame_.reset();  // timers stop, the tray icon goes
    starter_.reset();
    setter_.cancel();  // an update waiting for the clock helper's answer ends at once
    worker_.reset();   // waits for a running update to end (every wait in it is bounded)
    gps_.portHandle = nullptr;
    serial_.Close();
}

StartupResult CHoraluxApp::InitInstance() {
    return RunStartup(*this, runtime_, gps_);
}

bool CHoraluxApp::ClaimSingleInstance() {
    return instance_.claim();
}

SettingsStore& CHoraluxApp::OpenSettings() {
    store_ = std::make_unique<QSettingsStore>();
    return *store_;
}

std::optional<int> CHoraluxApp::AskFirstRunChoice(int preset) {
    FirstRunDialog dialog(&help_);
    dialog.setChoice(preset);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.choice();
}

bool CHoraluxApp::CreateMainFrame() {
    feed_ = std::make_unique<ChronyFeed>(*store_, runtime_, gps_);
    chrony_ = std::make_unique<ChronyWatch>(*feed_);
    updates_ = std::make_unique<UpdateLog>(UpdateLog::DefaultPath());
    updates_->Load();
    worker_ = std::make_unique<SyncWorker>(
        SyncContext{*store_, *clock_, *capability_, setter_, runtime_, gps_, flags_, &nts_},
        SyncWorker::NetworkUpdateFunction{}, [this](const UpdateOutcome& outcome) {
            if (outcome.clock) {
                integration_.noteClockSetting(*outcome.clock);
            }
            QMetaObject::invokeMethod(
                &outcomeSink_, [this, outcome] { updates_->Append(outcome); },
                Qt::QueuedConnection);
        });
    if (clockPath_ == ClockPath::Helper) {
        // Whether the helper is there at all, said on the System Configuration page before the
        // first update finds out.
        helperLook_ = std::jthread([this] {
            const ClockHelperAnswer answer = BusClockHelper::look();
            if (answer.status != ClockHelperAnswer::Status::Stepped) {
                integration_.noteClockSetting(OutcomeOfHelperAnswer(answer));
            }
        });
    }
    starter_ = std::make_unique<UpdateStarter>(
        runtime_, [this] { return TimeServerList(*store_).chooseServer(); },
        [this] { worker_->StartSync(); });
    const auto addPages = [this](CHoraluxPropertySheet& sheet) {
        AddPropertyPages(sheet, PageServices{*store_, runtime_, gps_, flags_, *clock_, *starter_,
                                             serial_, messages_, urls_, &serialDevices_,
                                             &integration_, &sky_, updates_.get(), chrony_.get()});
    };
    frame_ = std::make_unique<CMainFrame>(
        MainFrameServices{*store_, runtime_, gps_, flags_, *clock_, reader_, *starter_, messages_,
                          help_, &serial_, updates_.get(), feed_.get()},
        addPages);
    QObject::connect(&instance_, &SingleInstance::messageReceived, frame_.get(),
                     &CMainFrame::OnMessage);
    QObject::connect(frame_.get(), &CMainFrame::closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    frame_->hide();
    return true;
}

void CHoraluxApp::RefreshStartAtLogIn() {
    integration_.refreshAutostart();
}

void CHoraluxApp::EnableStartAtLogIn() {
    integration_.setStartAtLogIn(true);
}

void CHoraluxApp::OpenSerialPort(const SettingsStore& store) {
    serial_.OpenFromSettings(store);
    gps_.portHandle = serial_.Handle();
}

}  // namespace horalux
