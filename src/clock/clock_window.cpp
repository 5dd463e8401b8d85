#include "clock/clock_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>
#include <QToolTip>
#include <QWindow>

#include "clock/clock_color_dialog.h"
#include "clock/date_tip_text.h"
#include "clock/segment_clock_display.h"
#include "platform/window_place.h"
#include "platform/window_system.h"

namespace horalux {

namespace {

PixelPoint toPixelPoint(QPoint p) {
    return {p.x(), p.y()};
}

QRect toQRect(const PixelRect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

PixelRect toPixelRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

Qt::Edges toQtEdges(int edges) {
    Qt::Edges result;
    result.setFlag(Qt::LeftEdge, (edges & kLeftEdge) != 0);
    result.setFlag(Qt::TopEdge, (edges & kTopEdge) != 0);
    result.setFlag(Qt::RightEdge, (edges & kRightEdge) != 0);
    result.setFlag(Qt::BottomEdge, (edges & kBottomEdge) != 0);
    return result;
}

Qt::CursorShape cursorFor(int edges) {
    const bool horizontal = (edges & (kLeftEdge | kRightEdge)) != 0;
    const bool vertical = (edges & (kTopEdge | kBottomEdge)) != 0;
    if (horizontal && vertical) {
        const bool falling = edges == (kLeftEdge | kTopEdge) || edges == (kRightEdge | kBottomEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (horizontal) {
        return Qt::SizeHorCursor;
    }
    return vertical ? Qt::SizeVerCursor : Qt::ArrowCursor;
}

// The entries of a menu and its submenus that carry a check mark, without their mnemonic marks,
// separated by commas.
std::string checkedEntries(const QMenu& menu) {
    std::string text;
    for (const QAction* action : menu.actions()) {
        std::string entry;
        if (action->menu() != nullptr) {
            entry = checkedEntries(*action->menu());
        } else if (action->isChecked()) {
            entry = action->text().remove(QLatin1Char('&')).toStdString();
        }
        if (!entry.empty()) {
            text += (text.empty() ? "" : ",") + entry;
        }
    }
    return text;
}

}  // namespace

ClockWindow::ClockWindow(SettingsStore& store, RuntimeSettings& runtime, const SystemClock& clock,
                         ClockWindowHost& host, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint),
      runtime_(runtime),
      clock_(clock),
      host_(host),
      display_(new SegmentClockDisplay(clock, this)),
      logic_(store, runtime, display_->state()) {
    setObjectName("Clock");
    setWindowTitle("Clock");
    setMinimumSize(ClockWindowLogic::kMinimumWidth, ClockWindowLogic::kMinimumHeight);
    setMouseTracking(true);  // for the sizing cursors over the border
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The date tip shows on hover even while another program is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    // The stored place, never larger than the desktop, and brought onto the nearest screen when
    // it lies off every one.
    const QString platform = QGuiApplication::platformName();
    logic_.SetPlacesKnown(PlatformPlacesWindows(platform.toStdString()));
    const QScreen* desktop = screen();
    const QSize largest = desktop != nullptr ? desktop->virtualSize() : QSize(16384, 16384);
    std::vector<PixelRect> screens;
    for (const QScreen* each : QGuiApplication::screens()) {
        screens.push_back(toPixelRect(each->geometry()));
    }
    const PixelRect place = ClockWindowLogic::OntoNearestScreen(
        ClockWindowLogic::BoundedSize(logic_.StoredPosition(), largest.width(), largest.height()),
        screens);
    setGeometry(toQRect(place));
    holdSize();
    setWindowFlag(Qt::WindowStaysOnTopHint, logic_.StartsTopmost());
    trace_.line("window-system=" + platform.toStdString() +
                (logic_.placesKnown() ? " places=known" : " places=unknown") +
                " at=" + ClockWindowLogic::FormatPosition(place));

    // The display takes no mouse input, so presses, drags and menus over the digits are ours.
    display_->setAttribute(Qt::WA_TransparentForMouseEvents);
    display_->setGeometry(clientRect());
    display_->EnableTimer(1, kDisplayPeriodMs);
    logic_.LoadDisplaySettings();
    applyThickness();
    colorTimer_.start(kColorPeriodMs, this);

    setToolTip(QString::fromStdString(InitialDateTipText(clock_)));

    if (logic_.StartsVisible()) {
        show();
    }
}

ClockWindow::~ClockWindow() = default;

const SegmentClockState& ClockWindow::displayState() const {
    return display_->state();
}

QRect ClockWindow::clientRect() const {
    constexpr int b = ClockWindowLogic::kBorder;
    return rect().adjusted(b, b, -b, -b);
}

void ClockWindow::ShowClock() {
    holdSize();
    show();
    raise();
    activateWindow();
    logic_.MarkShown();
}

void ClockWindow::ResetClockPosition() {
    releaseSize();
    setGeometry(toQRect(ClockWindowLogic::kDefaultPosition));
    holdSize();
    logic_.UserPlaced(ClockWindowLogic::kDefaultPosition);
    ShowClock();
}

void ClockWindow::SaveClockPosition() {
    logic_.SavePosition();
}

void ClockWindow::EndRun() {
    SaveClockPosition();
    logic_.EndRun();
}

void ClockWindow::updateDateTip() {
    if (logic_.dragging() == 1) {
        return;
    }
    const QString text = QString::fromStdString(
        DateTipText(clock_, displayState().localTime, displayState().twentyFourHour));
    setToolTip(text);
    if (QToolTip::isVisible() && underMouse()) {
        QToolTip::showText(QCursor::pos(), text, this);
    }
}

void ClockWindow::setTopmost(bool topmost) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);  // hides a visible window
    if (visible) {
        show();
    }
}

std::optional<ClockColors> ClockWindow::chooseCustomColors(const ClockColors& initial) {
    if (chooser_) {
        return chooser_(initial);
    }
    ClockColorDialog dialog(clock_, parentWidget());
    dialog.setColors(initial);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.colors();
}

void ClockWindow::runCommand(int32_t command) {
    switch (command) {
        case command::kSetClockNow:
            host_.setPcClockNow();
            break;
        case command::kAlwaysOnTop:
            setTopmost(logic_.ToggleAlwaysOnTop());
            break;
        case command::kHideClock:
            hide();
            logic_.Hide();
            break;
        case command::kBlueClock:
        case command::kGreenClock:
        case command::kRedClock:
            if (logic_.ChoosePreset(command)) {
                SaveClockPosition();
                display_->invalidate(false);
            }
            break;
        case command::kCustomClockColor:
            if (const std::optional<ClockColors> colors =
                    chooseCustomColors(ReadClockColors(runtime_))) {
                logic_.ApplyCustomColors(*colors);
                SaveClockPosition();
                display_->invalidate(false);
            }
            break;
        case command::kLocalTime:
            logic_.SetLocalTime(true);
            break;
        case command::kUtcTime:
            logic_.SetLocalTime(false);
            break;
        case command::kTwentyFourHourTime:
            logic_.ToggleTwentyFourHour();
            display_->invalidate(false);
            break;
        case command::kShowDayOfYear:
            logic_.ToggleDayOfYear();
            applyThickness();
            display_->invalidate(true);
            break;
        case command::kHelpIndex:
            host_.showHelp();
            break;
        case command::kClockProperties:
            host_.openProperties();
            break;
        case command::kExit:
            if (host_.offersExit()) {
                host_.exitProgram();
            }
            break;
        default:
            break;
    }
}

std::unique_ptr<QMenu> ClockWindow::buildMenu() {
    auto menu = std::make_unique<QMenu>(this);
    QMenu* current = menu.get();
    for (const ClockMenuEntry& entry : kClockMenu) {
        switch (entry.kind) {
            case ClockMenuEntry::Command: {
                QAction* action = current->addAction(QString::fromUtf8(entry.text));
                action->setData(entry.command);
                if (entry.checkable) {
                    action->setCheckable(true);
                    action->setChecked(logic_.IsChecked(entry.command));
                }
                break;
            }
            case ClockMenuEntry::Separator:
                current->addSeparator();
                break;
            case ClockMenuEntry::SubmenuBegin:
                current = current->addMenu(QString::fromUtf8(entry.text));
                break;
            case ClockMenuEntry::SubmenuEnd:
                current = menu.get();
                break;
        }
    }
    if (host_.offersExit()) {
        menu->addSeparator();
        menu->addAction(QStringLiteral("&Exit"))->setData(command::kExit);
    }
    return menu;
}

QPoint ClockWindow::keyboardMenuPosition() const {
    const PixelPoint offset = ClockWindowLogic::kKeyboardMenuOffset;
    return mapToGlobal(clientRect().topLeft() + QPoint(offset.x, offset.y));
}

void ClockWindow::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? keyboardMenuPosition()
                                                                     : event->globalPos();
    const std::unique_ptr<QMenu> menu = buildMenu();
    if (trace_.on()) {
        // Worded apart from the tray menu's lines, which tests count.
        const QMenu* shown = menu.get();
        connect(menu.get(), &QMenu::aboutToShow, this, [this, shown] {
            trace_.line("context-menu open checked=" + checkedEntries(*shown));
        });
        connect(menu.get(), &QMenu::aboutToHide, this,
                [this] { trace_.line("context-menu closed"); });
        for (const QAction* action : menu->actions()) {
            if (QMenu* submenu = action->menu()) {
                const std::string name = action->text().toStdString();
                connect(submenu, &QMenu::aboutToShow, this,
                        [this, name] { trace_.line("context-menu open submenu=" + name); });
            }
        }
    }
    if (QAction* chosen = menu->exec(at)) {
        runCommand(chosen->data().toInt());
    }
}

void ClockWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    const int edges = ClockWindowLogic::EdgesAt(toPixelPoint(point), width(), height());
    systemPlacing_ = false;
    if (edges != kNoEdge) {
        // The window manager's own resize when it has one; else we follow the mouse.
        releaseSize();
        QWindow* window = windowHandle();
        if (window != nullptr && window->startSystemResize(toQtEdges(edges))) {
            systemPlacing_ = true;
            trace_.line("resize by the window system edges=" + std::to_string(edges));
        } else {
            logic_.BeginResize(edges, toPixelPoint(event->globalPosition().toPoint()),
                               toPixelRect(frameGeometry()));
            trace_.line("resize begin edges=" + std::to_string(edges));
        }
        return;
    }
    // Qt grabs the mouse for the pressed widget until the release, so the drag goes on
    // when the cursor leaves the window.
    logic_.PressLeft();
    trace_.line("drag begin");
}

void ClockWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (logic_.resizing()) {
        if (const std::optional<PixelRect> rect = logic_.ResizeTo(toPixelPoint(global))) {
            setGeometry(toQRect(*rect));
        }
        return;
    }
    // The point within the window where the window stands now: the window system may not
    // have caught up with the last move when the event was made.
    const QPoint point = global - pos();
    const bool leftDown = (event->buttons() & Qt::LeftButton) != 0;
    const bool anchorPending = logic_.firstMovePending();
    if (const std::optional<PixelPoint> offset = logic_.MoveMouse(toPixelPoint(point), leftDown)) {
        if (anchorPending && !logic_.firstMovePending()) {
            trace_.line("drag anchor=" + std::to_string(logic_.anchor().x) + "," +
                        std::to_string(logic_.anchor().y));
            return;
        }
        if (logic_.WantsPlaceCheck()) {
            const std::optional<PixelRect> place = windowSystemPlace();
            logic_.WindowStandsAt(place ? std::optional(PixelPoint{place->left, place->top})
                                        : std::nullopt);
        }
        if (logic_.HandToWindowSystem()) {
            // From here on the window system follows the mouse, and the release never
            // reaches us.
            QWindow* window = windowHandle();
            systemPlacing_ = window != nullptr && window->startSystemMove();
            if (systemPlacing_ || !logic_.placesKnown()) {
                logic_.ReleaseLeft();
                trace_.line(systemPlacing_ ? "drag by the window system" : "drag end");
                return;
            }
            logic_.WindowSystemDeclined();
        }
        const QPoint to = pos() + QPoint(offset->x, offset->y);
        logic_.MoveRequested(toPixelPoint(pos()), toPixelPoint(to));
        move(to);
        return;
    }
    if (event->buttons() == Qt::NoButton) {
        systemPlacing_ = false;
        holdSize();  // a resize of the window system's is over
        updateCursor(event->position().toPoint());
    }
}

void ClockWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (logic_.resizing()) {
        logic_.EndResize();
        holdSize();
        userPlaced();
        trace_.line("resize end");
        return;
    }
    if (logic_.dragging() == 1) {
        userPlaced();
        logic_.ReleaseLeft();
        // The window system may still be catching up with the last moves asked for.
        systemPlacing_ = true;
        trace_.line("drag end");
    }
}

void ClockWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        runCommand(command::kSetClockNow);
    }
    QWidget::mouseDoubleClickEvent(event);
}

void ClockWindow::updateCursor(QPoint point) {
    setCursor(cursorFor(ClockWindowLogic::EdgesAt(toPixelPoint(point), width(), height())));
}

void ClockWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Black behind the display, and the sizing border as a raised frame.
    painter.fillRect(rect(), Qt::black);
    const QRect outer = rect();
    const QPalette& p = palette();
    constexpr int b = ClockWindowLogic::kBorder;
    painter.fillRect(QRect(0, 0, outer.width(), b), p.color(QPalette::Button));
    painter.fillRect(QRect(0, outer.height() - b, outer.width(), b), p.color(QPalette::Button));
    painter.fillRect(QRect(0, 0, b, outer.height()), p.color(QPalette::Button));
    painter.fillRect(QRect(outer.width() - b, 0, b, outer.height()), p.color(QPalette::Button));
    painter.setPen(p.color(QPalette::Light));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(p.color(QPalette::Shadow));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());

    applyThickness();
}

void ClockWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    display_->setGeometry(clientRect());
    applyThickness();
    if (systemPlacing_) {
        userPlaced();
    }
}

void ClockWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (systemPlacing_) {
        userPlaced();
    }
}

std::optional<PixelRect> ClockWindow::windowSystemPlace() {
    QWindow* window = windowHandle();
    const std::optional<QRect> place =
        window != nullptr ? WindowSystemPlaceOf(*window) : std::nullopt;
    return place ? std::optional(toPixelRect(*place)) : std::nullopt;
}

void ClockWindow::userPlaced() {
    if (const std::optional<PixelRect> place = windowSystemPlace()) {
        logic_.UserPlaced(*place);
    }
}

void ClockWindow::holdSize() {
    if (logic_.HoldsSize()) {
        setFixedSize(size());
    }
}

void ClockWindow::releaseSize() {
    setMinimumSize(ClockWindowLogic::kMinimumWidth, ClockWindowLogic::kMinimumHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void ClockWindow::applyThickness() {
    logic_.ApplyThickness(clientRect().width());
    if (!trace_.on()) {
        return;
    }
    const std::string text = "thickness=" + std::to_string(displayState().thickness) +
                             " client=" + std::to_string(clientRect().width()) + "x" +
                             std::to_string(clientRect().height());
    if (text != tracedThickness_) {
        tracedThickness_ = text;
        trace_.line(text);
    }
}

void ClockWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == colorTimer_.timerId()) {
        logic_.CopyColorsToDisplay();
        return;
    }
    QWidget::timerEvent(event);
}

void ClockWindow::closeEvent(QCloseEvent* event) {
    // Closed by the window system (Alt+F4 or the window manager): the same as "Hide". A close
    // asked for by the program, or one that comes while the program ends, only hides the window
    // and leaves the setting alone.
    if (event->spontaneous() && !logic_.ending()) {
        runCommand(command::kHideClock);
    }
    QWidget::closeEvent(event);
}

}  // namespace horalux
