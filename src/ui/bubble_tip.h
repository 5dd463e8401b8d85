#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "ui/bubble_tip_logic.h"

namespace horalux {

// The balloon window itself: a frameless pop-up that never takes the focus or the mouse,
// clipped to the balloon's region, painted in the tooltip colours with a blue frame.
class BubbleTipWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit BubbleTipWindow(QWidget* owner);

    // Takes a new shape and text; the window is resized to `clientSize` and masked to the shape.
    void setBalloon(const BubbleShape& shape, QSize clientSize, const QString& text);

    const QRegion& region() const { return region_; }
    const QRect& textRect() const { return textRect_; }
    const QString& text() const { return text_; }
    QColor frameColour() const { return QColor(0, 0, 255); }
    QColor backgroundColour() const;
    QColor textColour() const;

    // The tip's font: "Arial", 14 pixels high.
    static QFont tipFont();
    // The balloon's region for a shape: the rounded body and the pointer triangle together.
    static QRegion balloonRegion(const BubbleShape& shape);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRegion region_;
    QRect textRect_;
    QString text_;
};

// The property sheet's bubble tip: after the mouse has rested for a second on a control that a
// page registered, a balloon with the control's text appears at the mouse for five seconds. It
// watches the mouse, key and button events of every widget of the sheet, ticks every 100 ms, and
// leaves every decision to BubbleTipLogic.
class BubbleTip final : public QObject {
    Q_OBJECT
  public:
    // The tip belongs to `sheet` and watches the sheet and everything inside it.
    explicit BubbleTip(QWidget* sheet);
    ~BubbleTip() override;

    // Registers or replaces a control's tip text. A destroyed control is forgotten.
    void addTool(QWidget* control, const QString& text);

    // Tips on or off ("EnableBubbleTip"); the state machine runs either way.
    void setEnabled(bool enabled) { logic_.setEnabled(enabled); }
    bool isEnabled() const { return logic_.enabled(); }

    // One timer tick (the 100 ms timer calls it).
    void tick();

    const BubbleTipLogic& logic() const { return logic_; }
    BubbleTipWindow* balloon() const { return window_; }
    QTimer* timer() { return &timer_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool belongsToSheet(const QWidget* widget) const;
    // The registered control that `widget` is, or lies inside; null for none.
    QWidget* toolFor(QWidget* widget) const;
    void apply(BubbleTipLogic::Action action);
    void showAtMouse();

    QPointer<QWidget> sheet_;
    QPointer<BubbleTipWindow> window_;
    QTimer timer_;
    BubbleTipLogic logic_;
};

}  // namespace horalux
