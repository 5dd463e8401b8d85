#pragma once

#include "pages/property_page.h"

namespace horalux {

// "Network Time" (template 116): the protocol (Daytime or SNTP) with the Daytime port, the
// server used (picked from the stored list, or at random for every update), the list itself
// through the server list manager, and a status line of the network reference. Every choice is
// stored at once.
//
// "Authenticate with NTS" (enabled with SNTP only) makes SNTP updates use Network Time Security;
// the server is then an NTS key-exchange server. Why an NTS update failed shows in the status
// line, in place of the plain "cannot connect".
//
// Timer 1 (every second) keeps the status line current and, unless the server box has the
// keyboard focus, shows the current server in it, so that with random choice the box follows
// each update's server.
class CHoraluxPropertyPage7 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kDaytime = 1055;
    static constexpr int kSntp = 1054;
    static constexpr int kDaytimePort = 1037;
    static constexpr int kServer = 1036;
    static constexpr int kAddDelete = 1072;
    static constexpr int kRandom = 1071;
    static constexpr int kStatus = 1041;
    static constexpr int kNts = 1073;

    static constexpr const char* kDisabled = "Disabled";
    static constexpr const char* kCannotConnect = "Cannot connect to network time server";
    static constexpr const char* kNominal = "Nominal";

    CHoraluxPropertyPage7(const PageServices& services, BubbleTip& tip, QWidget* parent = nullptr);

    // The handlers, as the controls run them. OnAddDelete runs the server list manager modally.
    void OnProtocol();
    void OnDaytimePortChanged();
    void OnServerSelected();
    void OnRandom();
    void OnNts();
    void OnAddDelete();

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;

  private:
    // Enables the Daytime port with Daytime and the server box without random choice.
    void EnableChosenFields();
    // Fills the server box from the stored list.
    void FillServers();
    // Selects the entry that names the current server; false (and nothing selected) when none.
    bool SelectCurrentServer();
};

}  // namespace horalux
