#include "app/horalux_app.h"

#include <QApplication>

#include "app/project_info.h"
#include "app/time_server_list.h"
#include "pages/property_pages.h"
#include "platform/clock_privilege.h"
#include "platform/linux_time_capability.h"
#include "ui/first_run_dialog.h"

namespace horalux {

namespace {

// The virtual clock of HORALUX_CLOCK_FILE is a file of ours: setting it needs no permission, so
// there is none to raise (and a program run without CAP_SYS_TIME, as tests and demonstrations
// run it, still sets it).
class VirtualClockCapability final : public TimeCapability {
  public:
    Result raise() override { return Result::NotSupported; }
    void lower() override {}
};

std::unique_ptr<TimeCapability> MakeTimeCapability(const SystemClock& clock) {
    if (dynamic_cast<const VirtualSystemClock*>(&clock) != nullptr) {
        return std::make_unique<VirtualClockCapability>();
    }
    return std::make_unique<LinuxTimeCapability>();
}

std::string ProgramPath() {
    return QCoreApplication::applicationFilePath().toStdString();
}

// The virtual clock needs no privilege; the system clock needs CAP_SYS_TIME.
ClockPrivilege ClockPrivilegeFor(const SystemClock& clock) {
    if (dynamic_cast<const VirtualSystemClock*>(&clock) != nullptr) {
        return ClockPrivilege::Held;
    }
    return ClassifyClockPrivilege(ProbeClockPrivilege(ProgramPath()));
}

}  // namespace

CHoraluxApp::CHoraluxApp()
    : clock_(makeSystemClock()),
      capability_(MakeTimeCapability(*clock_)),
      help_(urls_, messages_),
      autostart_({project::kAppId, project::kProductName, project::kSummary}, ProgramPath()),
      integration_(autostart_, ClockPrivilegeFor(*clock_), ProgramPath(),
                   {&processTable_, &timedated_}, messages_),
      serial_(messages_),
      parser_(gps_, &sky_),
      reader_(gps_, parser_, *clock_) {}

CHoraluxApp::~CHoraluxApp() {
    frame_.reset();  // timers stop, the tray icon goes
    starter_.reset();
    worker_.reset();  // waits for a running update to end (every wait in it is bounded)
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
    updates_ = std::make_unique<UpdateLog>(UpdateLog::DefaultPath());
    updates_->Load();
    worker_ = std::make_unique<SyncWorker>(
        SyncContext{*store_, *clock_, *capability_, runtime_, gps_, flags_},
        SyncWorker::NetworkUpdateFunction{}, [this](const UpdateOutcome& outcome) {
            QMetaObject::invokeMethod(
                &outcomeSink_, [this, outcome] { updates_->Append(outcome); },
                Qt::QueuedConnection);
        });
    starter_ = std::make_unique<UpdateStarter>(
        runtime_, [this] { return TimeServerList(*store_).chooseServer(); },
        [this] { worker_->StartSync(); });
    const auto addPages = [this](CHoraluxPropertySheet& sheet) {
        AddPropertyPages(sheet, PageServices{*store_, runtime_, gps_, flags_, *clock_, *starter_,
                                             serial_, messages_, urls_, &serialDevices_,
                                             &integration_, &sky_, updates_.get()});
    };
    frame_ = std::make_unique<CMainFrame>(
        MainFrameServices{*store_, runtime_, gps_, flags_, *clock_, reader_, *starter_, messages_,
                          help_, &serial_, updates_.get()},
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
