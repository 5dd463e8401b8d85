#include "ui/bubble_tip.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QScreen>

namespace horalux {
namespace {

constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

}  // namespace

// ---- the balloon window ----

BubbleTipWindow::BubbleTipWindow(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                         Qt::WindowTransparentForInput) {
    setObjectName(QStringLiteral("bubbleTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(BubbleTipLogic::kClientSize, BubbleTipLogic::kClientSize);
    setFont(tipFont());
}

QFont BubbleTipWindow::tipFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    return font;
}

QColor BubbleTipWindow::backgroundColour() const {
    return palette().color(QPalette::ToolTipBase);
}

QColor BubbleTipWindow::textColour() const {
    return palette().color(QPalette::ToolTipText);
}

QRegion BubbleTipWindow::balloonRegion(const BubbleShape& shape) {
    QPainterPath body;
    body.addRoundedRect(QRectF(shape.body), shape.cornerSize / 2.0, shape.cornerSize / 2.0);
    const QRegion bodyRegion(body.toFillPolygon().toPolygon(), Qt::WindingFill);
    QPolygon pointer;
    for (const QPoint& corner : shape.pointer) {
        pointer << corner;
    }
    return bodyRegion.united(QRegion(pointer, Qt::WindingFill));
}

void BubbleTipWindow::setBalloon(const BubbleShape& shape, QSize clientSize, const QString& text) {
    text_ = text;
    resize(clientSize);
    region_ = balloonRegion(shape);
    setMask(region_);
    const QFontMetrics metrics(font());
    const QRect block = metrics.boundingRect(shape.textArea, kTextFlags, text_);
    textRect_ = BubbleTipLogic::centredText(shape.textArea, block.size());
    update();
}

void BubbleTipWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setClipRegion(region_);
    painter.fillRect(rect(), backgroundColour());
    // A one-pixel frame just inside the region's edge.
    const QRegion inner = region_.intersected(region_.translated(1, 0))
                              .intersected(region_.translated(-1, 0))
                              .intersected(region_.translated(0, 1))
                              .intersected(region_.translated(0, -1));
    painter.setClipRegion(region_.subtracted(inner));
    painter.fillRect(rect(), frameColour());
    painter.setClipRegion(region_);
    painter.setPen(textColour());
    painter.setFont(font());
    painter.drawText(textRect_, kTextFlags, text_);
}

// ---- the tip ----

BubbleTip::BubbleTip(QWidget* sheet) : QObject(sheet), sheet_(sheet) {
    window_ = new BubbleTipWindow(sheet);
    timer_.setInterval(BubbleTipLogic::kTickMs);
    connect(&timer_, &QTimer::timeout, this, &BubbleTip::tick);
    timer_.start();
    qApp->installEventFilter(this);
}

BubbleTip::~BubbleTip() {
    if (qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
}

void BubbleTip::addTool(QWidget* control, const QString& text) {
    if (control == nullptr) {
        return;
    }
    if (!logic_.isTool(control)) {
        connect(control, &QObject::destroyed, this,
                [this, control] { apply(logic_.removeTool(control)); });
    }
    logic_.addTool(control, text.toStdString());
}

bool BubbleTip::belongsToSheet(const QWidget* widget) const {
    return sheet_ != nullptr && (widget == sheet_ || sheet_->isAncestorOf(widget));
}

QWidget* BubbleTip::toolFor(QWidget* widget) const {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (logic_.isTool(w)) {
            return w;
        }
        if (w == sheet_) {
            break;
        }
    }
    return nullptr;
}

bool BubbleTip::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::NonClientAreaMouseMove &&
        type != QEvent::MouseButtonPress && type != QEvent::NonClientAreaMouseButtonPress &&
        type != QEvent::KeyPress && type != QEvent::Leave) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget == window_ || !belongsToSheet(widget)) {
        return false;
    }
    switch (type) {
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseMove: {
            // A move that a child ignored travels on to its parents; only the widget that is
            // under the mouse counts.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (type == QEvent::MouseMove &&
                widget->childAt(mouse->position().toPoint()) != nullptr) {
                break;
            }
            QWidget* tool = toolFor(widget);
            apply(logic_.mouseMoved(tool != nullptr ? static_cast<const void*>(tool)
                                                    : static_cast<const void*>(widget)));
            break;
        }
        case QEvent::Leave:
            // Leaving a control for a window that is not the sheet's (another program, the
            // desktop) sends no further moves here: count it as a move off the control, unless
            // the mouse is in fact still over it (the balloon itself may have come between).
            if (logic_.isTool(widget) &&
                !widget->rect().contains(widget->mapFromGlobal(QCursor::pos()))) {
                apply(logic_.mouseMoved(nullptr));
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress: {
            const auto button = static_cast<QMouseEvent*>(event)->button();
            if (button == Qt::LeftButton || button == Qt::RightButton) {
                logic_.keyOrButtonPressed();
            }
            break;
        }
        case QEvent::KeyPress:
            logic_.keyOrButtonPressed();
            break;
        default:
            break;
    }
    return false;
}

void BubbleTip::tick() {
    apply(logic_.tick());
}

void BubbleTip::apply(BubbleTipLogic::Action action) {
    if (window_ == nullptr) {
        return;
    }
    switch (action) {
        case BubbleTipLogic::Action::None:
            break;
        case BubbleTipLogic::Action::Hide:
            if (window_->isVisible()) {
                window_->hide();
            }
            break;
        case BubbleTipLogic::Action::Show:
            showAtMouse();
            break;
    }
}

void BubbleTip::showAtMouse() {
    const QPoint mouse = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(mouse);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QString text = QString::fromStdString(logic_.currentText());
    const QFontMetrics metrics(window_->font());
    const QSize clientSize = BubbleTipLogic::fitClientSize([&](int textWidth) {
        return metrics
            .boundingRect(QRect(0, 0, textWidth, 10000), Qt::AlignHCenter | Qt::TextWordWrap, text)
            .size();
    });
    const auto placement = logic_.place(mouse, screen->geometry(), clientSize,
                                        QGuiApplication::focusWindow() != nullptr);
    if (!placement) {
        return;
    }
    window_->setBalloon(placement->shape, clientSize, text);
    window_->move(placement->topLeft);
    window_->show();
    window_->raise();
}

}  // namespace horalux
