#pragma once

#include "pages/property_page.h"

namespace horalux {

// "System Configuration" (template 117): the clock's reference, a GPS receiver or a network time
// server, and the bubble tips on or off. A change of reference takes effect at once: GPS opens
// the receiver's port again from the stored settings; the network closes it and clears the GPS
// record. Both choices are stored at once.
class CHoraluxPropertyPage8 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kEnableBubbles = 1028;
    static constexpr int kUseGps = 1039;
    static constexpr int kUseNetwork = 1040;

    CHoraluxPropertyPage8(const PageServices& services, BubbleTip& tip, QWidget* parent = nullptr);

    // The handlers, as the controls run them.
    void OnEnableBubbles();
    void OnReference();

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
};

}  // namespace horalux
