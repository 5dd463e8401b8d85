#pragma once

#include "pages/property_page.h"

namespace horalux {

class HyperlinkStatic;

// "About Horalux" (template 108): the program's artwork and version, and links to its maker's
// web site and mail address (the project's own addresses, set in the build).
class CHoraluxPropertyPage5 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kResourceId = 108;
    static constexpr int kPicture = 1047;
    static constexpr int kWebLink = 1014;
    static constexpr int kMailLink = 1015;
    static constexpr int kArtwork = 112;

    CHoraluxPropertyPage5(const PageServices& services, BubbleTip& tip);

    // The web address as the page shows it: the site's address without its scheme.
    static QString WebText();
    static QString WebTarget();
    static QString MailText();
    static QString MailTarget();

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
};

}  // namespace horalux
