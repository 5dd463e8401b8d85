#include "pages/horalux_property_page7.h"

#include <QComboBox>
#include <QDialog>

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "app/time_server_list.h"
#include "platform/settings_store.h"
#include "sync/nts_failure.h"
#include "sync/sync_flags.h"
#include "ui/server_list_manager.h"
#include "ui/sorted_list.h"

namespace horalux {

CHoraluxPropertyPage7::CHoraluxPropertyPage7(const PageServices& services, BubbleTip& tip,
                                             QWidget* parent)
    : PropertyPage(services, tip, QStringLiteral("Network Time"), QSize(350, 130), parent) {}

void CHoraluxPropertyPage7::BuildTemplate() {
    RadioButton(kDaytime, QStringLiteral("Use NIST Daytime Network Protocol"), {6, 10, 131, 10},
                true);
    RadioButton(kSntp, QStringLiteral("Use SNTP"), {6, 25, 50, 10});
    CheckBox(kNts, QStringLiteral("Authenticate with NTS"), {64, 25, 90, 10});
    Label(QStringLiteral("Daytime Time Server Port:"), {154, 11, 83, 8});
    Edit(kDaytimePort, {247, 9, 40, 12});
    Label(QStringLiteral("Network Time Server Address:"), {6, 47, 97, 8});
    DropDownList(kServer, {106, 45, 179, 110}, true);
    PushButton(kAddDelete, QStringLiteral("Add/Delete..."), {293, 44, 50, 14});
    CheckBox(kRandom, QStringLiteral("Randomly pick time server when setting the PC clock"),
             {106, 65, 183, 10});
    Label(QStringLiteral("Network Status:"), {6, 96, 52, 8});
    // Wide enough for the words that say why an NTS update failed.
    StaticText(kStatus, {70, 96, 273, 9}, true);
}

void CHoraluxPropertyPage7::OnInitDialog() {
    const PageServices& s = services();
    AddTip(kServer, QStringLiteral("Sets the network time server address."));
    AddTip(kDaytimePort, QStringLiteral("Sets the daytime network time server port. The standard "
                                        "port for Daytime protocol is 13."));
    AddTip(kNts, QStringLiteral("Authenticates the time server with Network Time Security. The "
                                "server must offer NTS (key exchange on port 4460)."));
    AddTip(kStatus, QStringLiteral(
                        "Shows that Horalux has successfully connected to a network time server."));

    OnChange(kDaytimePort, [this] { OnDaytimePortChanged(); });
    OnClicked(kDaytime, [this] { OnProtocol(); });
    OnClicked(kSntp, [this] { OnProtocol(); });
    OnSelChange(kServer, [this] { OnServerSelected(); });
    OnClicked(kRandom, [this] { OnRandom(); });
    OnClicked(kNts, [this] { OnNts(); });
    OnClicked(kAddDelete, [this] { OnAddDelete(); });

    SetDlgItemInt(kDaytimePort, s.runtime.daytimePort.load());  // stored back by its handler
    FillServers();
    SelectCurrentServer();
    if (s.store.read(keys::UseSNTPOnPage) == 1) {
        CheckDlgButton(kSntp, true);
    } else {
        CheckDlgButton(kDaytime, true);
    }
    CheckDlgButton(kRandom, s.store.read(keys::UseRandomServer) == 1);
    CheckDlgButton(kNts, s.store.read(keys::UseNTS) == 1);
    // Stored back as shown: the clock update reads "UseSNTP" with another default than the page
    // (Daytime when nothing is stored), so from the first showing on the two agree. This is the
    // page's own store, made once as it fills; its buttons' handlers do not run for it.
    OnRandom();
    OnProtocol();
    SetTimer(1, 1000);
    OnTimer(1);  // the status line shows at once, not a second after the page
}

void CHoraluxPropertyPage7::OnTimer(int /*id*/) {
    const PageServices& s = services();
    const char* status = kNominal;
    if (s.runtime.useNetworkTime.load() == 0) {
        status = kDisabled;
    } else if (s.flags.networkFailed.load() == 1) {
        const auto nts = static_cast<NtsFailure>(s.flags.ntsFailure.load());
        status = nts == NtsFailure::None ? kCannotConnect : describe(nts);
    }
    SetDlgItemText(kStatus, QString::fromLatin1(status));

    if (HasFocus(kServer)) {
        return;  // the user is choosing
    }
    auto* box = Control<QComboBox>(kServer);
    const QString current = QString::fromStdString(s.runtime.currentServer());
    const int found = FindEntryNamed(ListEntries(kServer), current);
    if (found >= 0 && box->currentText() != current) {
        box->setCurrentIndex(found);
    }
}

void CHoraluxPropertyPage7::OnProtocol() {
    services().store.write(keys::UseSNTPOnPage, IsDlgButtonChecked(kSntp) ? 1 : 0);
    EnableChosenFields();
}

void CHoraluxPropertyPage7::EnableChosenFields() {
    EnableControl(kDaytimePort, !IsDlgButtonChecked(kSntp));
    EnableControl(kNts, IsDlgButtonChecked(kSntp));
    EnableControl(kServer, !IsDlgButtonChecked(kRandom));
}

void CHoraluxPropertyPage7::OnNts() {
    services().store.write(keys::UseNTS, IsDlgButtonChecked(kNts) ? 1 : 0);
}

void CHoraluxPropertyPage7::OnDaytimePortChanged() {
    const int32_t port = GetDlgItemInt(kDaytimePort);
    services().runtime.daytimePort = port;
    services().store.write(keys::TimeServerPort, port);
}

void CHoraluxPropertyPage7::OnServerSelected() {
    const std::string name = Control<QComboBox>(kServer)->currentText().toStdString();
    services().runtime.setCurrentServer(name);
    services().store.write(keys::TimeServer, name);
}

void CHoraluxPropertyPage7::OnRandom() {
    services().store.write(keys::UseRandomServer, IsDlgButtonChecked(kRandom) ? 1 : 0);
    EnableChosenFields();
}

void CHoraluxPropertyPage7::OnAddDelete() {
    const PageServices& s = services();
    TimeServerList list(s.store);
    ServerListManager manager(s.messages, window());
    manager.setServers(list.loadList());
    if (manager.exec() != QDialog::Accepted) {
        return;
    }
    list.saveList(manager.servers());
    FillServers();
    if (!SelectCurrentServer()) {
        auto* box = Control<QComboBox>(kServer);
        box->setCurrentIndex(box->count() > 0 ? 0 : -1);
        const std::string first = box->count() > 0 ? box->itemText(0).toStdString() : "";
        s.runtime.setCurrentServer(first);
        s.store.write(keys::TimeServer, first);
    }
}

void CHoraluxPropertyPage7::FillServers() {
    Control<QComboBox>(kServer)->clear();
    for (const std::string& name : TimeServerList(services().store).loadList()) {
        AddString(kServer, QString::fromStdString(name));
    }
}

bool CHoraluxPropertyPage7::SelectCurrentServer() {
    const QString current = QString::fromStdString(services().runtime.currentServer());
    const int found = FindEntryNamed(ListEntries(kServer), current);
    Control<QComboBox>(kServer)->setCurrentIndex(found);
    return found >= 0;
}

}  // namespace horalux
