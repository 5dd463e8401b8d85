#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

#include "platform/message_service.h"
#include "platform/url_opener.h"
#include "ui/hyperlink_static_logic.h"

namespace horalux {

// A static text that is a link: drawn underlined in the link colours (the highlight colour while
// the mouse is over it, the visited colour once opened), a pointing hand over it, its target as
// the tooltip. A click, or Space or Return while it has the focus, opens the target through the
// URL opener; a failure beeps and says why in a message box. Screen readers see a link, named
// by its text, that they can press; once opened it reads as visited.
class HyperlinkStatic final : public QLabel {
    Q_OBJECT
  public:
    HyperlinkStatic(UrlOpener& urls, MessageService& messages, const QString& text = {},
                    QWidget* parent = nullptr);

    // Makes the control a link, once it has its place: the target from the text (or the text
    // from the target), the underlined font, the size of its text, the hand cursor, the tooltip.
    void Attach();
    bool attached() const { return attached_; }

    // Sets the target; an attached control refits and shows it as its tooltip.
    void SetTarget(const QString& target);
    const QString& target() const { return logic_.target(); }
    void SetVisited(bool visited);
    bool visited() const { return logic_.visited(); }
    bool hovering() const { return logic_.hovering(); }
    // The colour the text is drawn in now.
    QColor textColour() const;

    // Opens the target, as a click does.
    void Open();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void applyColour();
    void fit();

    UrlOpener& urls_;
    MessageService& messages_;
    HyperlinkStaticLogic logic_;
    bool attached_ = false;
    bool pressed_ = false;
};

}  // namespace horalux
