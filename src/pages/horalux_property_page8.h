#pragma once

#include "pages/property_page.h"

namespace horalux {

// "System Configuration" (template 117): the clock's reference, a GPS receiver or a network time
// server, and the bubble tips on or off. A change of reference takes effect at once: GPS opens
// the receiver's port again from the stored settings; the network closes it and clears the GPS
// record. Both choices are stored at once.
//
// Under the reference, "Feed GPS time to chronyd" ("FeedChrony") hands GPS time to chronyd
// through its shared-memory refclock, and chronyd then sets the clock instead of the program.
// Under the bubble tips the page offers to start the program at log-in, and says, when it is so,
// that the program cannot set this PC's clock (and what to do about it) and that another
// service keeps the clock too. While GPS time is fed to chronyd, the first line says that the
// program leaves the clock to chronyd and the second gives chronyd's state instead, looked at
// when the page is shown, when the box is checked and every kChronyLookMs while it is shown.
class CHoraluxPropertyPage8 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kEnableBubbles = 1028;
    static constexpr int kUseGps = 1039;
    static constexpr int kUseNetwork = 1040;
    static constexpr int kStartAtLogIn = 1080;
    static constexpr int kClockPrivilege = 1081;
    static constexpr int kOtherTimeServices = 1082;
    static constexpr int kFeedChrony = 1083;
    static constexpr int kChronyTimer = 1;
    static constexpr int kChronyLookMs = 15000;

    // The first line's text while GPS time is fed to chronyd.
    static const QString kLeftToChronyd;

    CHoraluxPropertyPage8(const PageServices& services, BubbleTip& tip, QWidget* parent = nullptr);

    // The handlers, as the controls run them.
    void OnEnableBubbles();
    void OnReference();
    void OnStartAtLogIn();
    void OnFeedChrony();

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Whether GPS time goes to chronyd now: the box on and GPS the reference.
    bool Feeding() const;
    // The two lines as the feed, the privilege and the other services now say.
    void ShowLines();
    // Shows a line, or hides it when there is nothing to say.
    void ShowLine(int id, const QString& text);

    QString otherServicesLine_;
};

}  // namespace horalux
