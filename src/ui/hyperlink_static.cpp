#include "ui/hyperlink_static.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <mutex>

#include "clock/qt_color.h"

namespace horalux {
namespace {

// What a screen reader sees: a link named by its text, with its target as description, that it
// can press, and that reads as visited once opened.
class HyperlinkAccessible final : public QAccessibleWidget {
  public:
    explicit HyperlinkAccessible(HyperlinkStatic* link)
        : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && link()->accessibleName().isEmpty()) {
            return link()->text();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.traversed = link()->visited();
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction()) {
            // Asked over the accessibility bus: open from the event loop, so that a message box
            // does not hold up the reply.
            QMetaObject::invokeMethod(link(), &HyperlinkStatic::Open, Qt::QueuedConnection);
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    HyperlinkStatic* link() const { return static_cast<HyperlinkStatic*>(widget()); }
};

QAccessibleInterface* hyperlinkAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(HyperlinkStatic::staticMetaObject.className()) &&
        object != nullptr && object->isWidgetType()) {
        return new HyperlinkAccessible(static_cast<HyperlinkStatic*>(object));
    }
    return nullptr;
}

QColor highlightColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

}  // namespace

HyperlinkStatic::HyperlinkStatic(UrlOpener& urls, MessageService& messages, const QString& text,
                                 QWidget* parent)
    : QLabel(text, parent),
      urls_(urls),
      messages_(messages),
      logic_(toColorRef(highlightColour())) {
    static std::once_flag factory;
    std::call_once(factory, [] { QAccessible::installFactory(hyperlinkAccessible); });
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::StrongFocus);
}

void HyperlinkStatic::Attach() {
    setText(logic_.Attach(text()));
    QFont linkFont = font();
    linkFont.setUnderline(logic_.underline());
    setFont(linkFont);
    applyColour();
    fit();
    setCursor(Qt::PointingHandCursor);
    setToolTip(logic_.target());
    attached_ = true;
}

void HyperlinkStatic::SetTarget(const QString& target) {
    logic_.SetTarget(target);
    if (attached_) {
        fit();
        setToolTip(target);
    }
}

void HyperlinkStatic::SetVisited(bool visited) {
    if (visited == logic_.visited()) {
        return;
    }
    logic_.SetVisited(visited);
    applyColour();
    QAccessible::State changed;
    changed.traversed = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

QColor HyperlinkStatic::textColour() const {
    return toQColor(logic_.TextColour());
}

void HyperlinkStatic::Open() {
    const UrlOpenResult result = urls_.openUrl(logic_.target().toStdString());
    const HyperlinkStaticLogic::ClickOutcome outcome =
        HyperlinkStaticLogic::Clicked(result.shellCode());
    if (outcome.visited) {
        SetVisited(true);
        return;
    }
    if (outcome.beep) {
        messages_.beep(HyperlinkStaticLogic::kErrorBeep);
    }
    if (!outcome.message.empty()) {
        messages_.messageBox(outcome.message, "", kIconExclamation | kMessageOk);
    }
}

void HyperlinkStatic::applyColour() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, textColour());
    setPalette(p);
    repaint();
}

void HyperlinkStatic::fit() {
    if (!logic_.fitToText()) {
        return;
    }
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, text());
    setGeometry(HyperlinkStaticLogic::FitToText(geometry(), textSize, alignment()));
}

void HyperlinkStatic::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    logic_.SetHovering(true);
    applyColour();
}

void HyperlinkStatic::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    logic_.SetHovering(false);
    applyColour();
}

void HyperlinkStatic::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void HyperlinkStatic::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        Open();
    }
}

void HyperlinkStatic::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Open();
            return;
        default:
            QLabel::keyPressEvent(event);
    }
}

void HyperlinkStatic::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

}  // namespace horalux
