#include "pages/horalux_property_page5.h"

#include <QLabel>
#include <QUrl>

#include "app/project_info.h"
#include "resources/horalux_resources.h"
#include "ui/hyperlink_static.h"

namespace horalux {

CHoraluxPropertyPage5::CHoraluxPropertyPage5(const PageServices& services, BubbleTip& tip)
    : PropertyPage(services, tip, QStringLiteral("About Horalux")) {}

QString CHoraluxPropertyPage5::WebTarget() {
    return QString::fromUtf8(project::kWebSite);
}

QString CHoraluxPropertyPage5::WebText() {
    // "https://host/" shows as "host".
    QString text = QUrl(WebTarget()).toDisplayString(QUrl::RemoveScheme);
    if (text.startsWith(QStringLiteral("//"))) {
        text.remove(0, 2);
    }
    if (text.endsWith(QLatin1Char('/'))) {
        text.chop(1);
    }
    return text;
}

QString CHoraluxPropertyPage5::MailText() {
    return QString::fromUtf8(project::kMailAddress);
}

QString CHoraluxPropertyPage5::MailTarget() {
    return QStringLiteral("mailto:") + MailText();
}

void CHoraluxPropertyPage5::BuildTemplate() {
    auto* picture = new QLabel;
    picture->setPixmap(resourceBitmap(kArtwork));
    picture->setAlignment(Qt::AlignCenter);
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setAccessibleName(QStringLiteral("Horalux"));
    Place(kPicture, picture, {7, 7, 98, 114});
    StaticText(0, {110, 7, 122, 8})->setText(QString::fromUtf8(project::kVersionText));
    const PageServices& s = services();
    Place(kWebLink, new HyperlinkStatic(s.urls, s.messages, WebText()), {110, 31, 66, 8});
    Place(kMailLink, new HyperlinkStatic(s.urls, s.messages, MailText()), {110, 43, 67, 8});
}

void CHoraluxPropertyPage5::OnInitDialog() {
    auto* mail = Control<HyperlinkStatic>(kMailLink);
    auto* web = Control<HyperlinkStatic>(kWebLink);
    mail->Attach();
    web->Attach();
    AddTip(kPicture, QStringLiteral("Horalux"));
    web->SetTarget(WebTarget());
    mail->SetTarget(MailTarget());
}

}  // namespace horalux
