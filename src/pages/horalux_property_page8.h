#pragma once

#include "pages/property_page.h"

namespace horalux {

// "System Configuration" (template 117): the clock's reference, a GPS receiver or a network time
// server, and the bubble tips on or off. A change of reference takes effect at once: GPS opens
// the receiver's port again from the stored settings; the network closes it and clears the GPS
// record. Both choices are stored at once.
//
// Under the bubble tips the page offers to start the program at log-in, and says, when it is so,
// that the program cannot set this PC's clock (and what to do about it) and that another
// service keeps the clock too.
class CHoraluxPropertyPage8 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kEnableBubbles = 1028;
    static constexpr int kUseGps = 1039;
    static constexpr int kUseNetwork = 1040;
    static constexpr int kStartAtLogIn = 1080;
    static constexpr int kClockPrivilege = 1081;
    static constexpr int kOtherTimeServices = 1082;

    CHoraluxPropertyPage8(const PageServices& services, BubbleTip& tip, QWidget* parent = nullptr);

    // The handlers, as the controls run them.
    void OnEnableBubbles();
    void OnReference();
    void OnStartAtLogIn();

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;

  private:
    // Shows a line, or hides it when there is nothing to say.
    void ShowLine(int id, const QString& text);
};

}  // namespace horalux
