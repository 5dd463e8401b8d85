#include "clock/clock_window_logic.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings_keys.h"

namespace horalux {

namespace {

// Reads one "%d" at `p` as the C library's formatted reading does (leading white space, a sign,
// decimal digits). Null when there is no number or it does not fit 32 bits.
std::optional<int> readInt(const char*& p) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    p = end;
    return static_cast<int>(value);
}

}  // namespace

ClockWindowLogic::ClockWindowLogic(SettingsStore& store, RuntimeSettings& runtime,
                                   SegmentClockState& display)
    : store_(store), runtime_(runtime), display_(display) {}

PixelRect ClockWindowLogic::ParsePosition(std::string_view text) {
    PixelRect rect = kDefaultPosition;
    int* const fields[] = {&rect.left, &rect.right, &rect.top, &rect.bottom};
    const std::string copy(text);  // strtol needs a terminated string
    const char* p = copy.c_str();
    for (size_t i = 0; i < std::size(fields); ++i) {
        if (i > 0) {
            if (*p != ',') {
                break;
            }
            ++p;
        }
        const std::optional<int> value = readInt(p);
        if (!value) {
            break;
        }
        *fields[i] = *value;
    }
    return rect;
}

std::string ClockWindowLogic::FormatPosition(const PixelRect& outer) {
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", outer.left, outer.right, outer.top,
                  outer.bottom);
    return text;
}

PixelRect ClockWindowLogic::BoundedSize(const PixelRect& outer, int maxWidth, int maxHeight) {
    // 64-bit widths: right - left of two stored 32-bit numbers can overflow an int.
    const auto bounded = [](int64_t size, int minimum, int maximum) {
        return static_cast<int>(std::clamp<int64_t>(size, minimum, std::max(minimum, maximum)));
    };
    const int width = bounded(int64_t{outer.right} - outer.left, kMinimumWidth, maxWidth);
    const int height = bounded(int64_t{outer.bottom} - outer.top, kMinimumHeight, maxHeight);
    // Keep the far edges representable too.
    const int left = static_cast<int>(std::min<int64_t>(outer.left, int64_t{INT_MAX} - width));
    const int top = static_cast<int>(std::min<int64_t>(outer.top, int64_t{INT_MAX} - height));
    return {left, top, left + width, top + height};
}

PixelRect ClockWindowLogic::OntoNearestScreen(const PixelRect& outer,
                                              const std::vector<PixelRect>& screens) {
    // 64-bit arithmetic throughout: stored places may lie anywhere in 32 bits.
    const auto overlap = [](int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
        return std::max<int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
    };
    const auto within = [](int64_t value, int64_t low, int64_t high) {
        return static_cast<int>(std::max(low, std::min(value, high)));
    };
    std::optional<PixelRect> nearest;
    double nearestDistance = 0;
    for (const PixelRect& screen : screens) {
        if (screen.width() <= 0 || screen.height() <= 0) {
            continue;
        }
        const int64_t across = overlap(outer.left, outer.right, screen.left, screen.right);
        const int64_t down = overlap(outer.top, outer.bottom, screen.top, screen.bottom);
        if (across > 0 && down > 0 && across >= std::min<int64_t>(kReachable, outer.width()) &&
            down >= std::min<int64_t>(kReachable, outer.height())) {
            return outer;
        }
        // The clock whole on this screen (from its left and top edge when the clock is the
        // larger), moved as little as can be; the screen it moves least to is the nearest.
        const PixelRect sized = BoundedSize(outer, screen.width(), screen.height());
        const int left = within(sized.left, screen.left, int64_t{screen.right} - sized.width());
        const int top = within(sized.top, screen.top, int64_t{screen.bottom} - sized.height());
        const double dx = static_cast<double>(int64_t{left} - outer.left);
        const double dy = static_cast<double>(int64_t{top} - outer.top);
        if (!nearest || dx * dx + dy * dy < nearestDistance) {
            nearest = PixelRect{left, top, left + sized.width(), top + sized.height()};
            nearestDistance = dx * dx + dy * dy;
        }
    }
    return nearest.value_or(outer);
}

PixelRect ClockWindowLogic::StoredPosition() const {
    const std::string text = store_.read(keys::DigitalClockPosition);
    return text.empty() ? kDefaultPosition : ParsePosition(text);
}

bool ClockWindowLogic::StartsVisible() const {
    return store_.read(keys::DigitalClockEnabled) == 1;
}

bool ClockWindowLogic::StartsTopmost() const {
    return store_.read(keys::ClockAlwayssOnTop) != 0;
}

void ClockWindowLogic::LoadDisplaySettings() {
    const ClockColors colors = LoadClockColors(store_);
    WriteClockColors(runtime_, colors);
    display_.lit = colors.lit;
    display_.unlit = colors.unlit;
    display_.localTime = store_.read(keys::LocalTime);
    display_.dayOfYear = store_.read(keys::EnableDOY);
    display_.twentyFourHour = store_.read(keys::TwentyFourHourMode);
}

void ClockWindowLogic::UserPlaced(const PixelRect& outer) {
    userPlace_ = outer;
    SavePosition();
}

void ClockWindowLogic::SavePosition() {
    if (placesKnown_ && userPlace_) {
        store_.write(keys::DigitalClockPosition, FormatPosition(*userPlace_));
    }
}

void ClockWindowLogic::MarkShown() {
    store_.write(keys::DigitalClockEnabled, 1);
}

void ClockWindowLogic::CopyColorsToDisplay() {
    const ClockColors colors = ReadClockColors(runtime_);
    display_.lit = colors.lit;
    display_.unlit = colors.unlit;
}

int ClockWindowLogic::ThicknessFor(int clientWidth, int32_t dayOfYearFlag) {
    return dayOfYearFlag == 1 ? clientWidth / 95 : clientWidth / 80;
}

void ClockWindowLogic::ApplyThickness(int clientWidth) {
    display_.thickness = ThicknessFor(clientWidth, display_.dayOfYear);
}

void ClockWindowLogic::PressLeft() {
    dragging_ = 1;
    firstMovePending_ = 1;
    requestedMoves_.clear();
    movesFollowed_ = MovesFollowed::Unknown;
    ownMovesOnly_ = false;
}

bool ClockWindowLogic::HandToWindowSystem() const {
    return !ownMovesOnly_ && (!placesKnown_ || movesFollowed_ == MovesFollowed::No);
}

void ClockWindowLogic::MoveRequested(PixelPoint from, PixelPoint to) {
    if (movesFollowed_ == MovesFollowed::Unknown && !(from == to)) {
        requestedMoves_.push_back(to);
    }
}

bool ClockWindowLogic::WantsPlaceCheck() const {
    return placesKnown_ && movesFollowed_ == MovesFollowed::Unknown &&
           static_cast<int>(requestedMoves_.size()) >= kIgnoredMoves;
}

void ClockWindowLogic::WindowStandsAt(std::optional<PixelPoint> at) {
    const bool followed = !at || std::find(requestedMoves_.begin(), requestedMoves_.end(), *at) !=
                                     requestedMoves_.end();
    movesFollowed_ = followed ? MovesFollowed::Yes : MovesFollowed::No;
    requestedMoves_.clear();
}

std::optional<PixelPoint> ClockWindowLogic::MoveMouse(PixelPoint point, bool leftButtonDown) {
    if (!leftButtonDown || dragging_ != 1) {
        return std::nullopt;
    }
    if (firstMovePending_ != 0) {
        anchor_ = point;
        firstMovePending_ = 0;
    }
    return PixelPoint{point.x - anchor_.x, point.y - anchor_.y};
}

void ClockWindowLogic::ReleaseLeft() {
    dragging_ = 0;
}

int ClockWindowLogic::EdgesAt(PixelPoint point, int width, int height) {
    int edges = kNoEdge;
    if (point.x < kBorder) {
        edges |= kLeftEdge;
    } else if (point.x >= width - kBorder) {
        edges |= kRightEdge;
    }
    if (point.y < kBorder) {
        edges |= kTopEdge;
    } else if (point.y >= height - kBorder) {
        edges |= kBottomEdge;
    }
    return edges;
}

PixelRect ClockWindowLogic::ResizedRect(const PixelRect& start, int edges, int dx, int dy) {
    PixelRect r = start;
    if (edges & kLeftEdge) {
        r.left = std::min(start.left + dx, start.right - kMinimumWidth);
    }
    if (edges & kRightEdge) {
        r.right = std::max(start.right + dx, start.left + kMinimumWidth);
    }
    if (edges & kTopEdge) {
        r.top = std::min(start.top + dy, start.bottom - kMinimumHeight);
    }
    if (edges & kBottomEdge) {
        r.bottom = std::max(start.bottom + dy, start.top + kMinimumHeight);
    }
    return r;
}

void ClockWindowLogic::BeginResize(int edges, PixelPoint globalPoint, const PixelRect& outer) {
    resizeEdges_ = edges;
    resizeStart_ = globalPoint;
    resizeStartRect_ = outer;
}

std::optional<PixelRect> ClockWindowLogic::ResizeTo(PixelPoint globalPoint) const {
    if (resizeEdges_ == kNoEdge) {
        return std::nullopt;
    }
    return ResizedRect(resizeStartRect_, resizeEdges_, globalPoint.x - resizeStart_.x,
                       globalPoint.y - resizeStart_.y);
}

bool ClockWindowLogic::IsChecked(int32_t command) const {
    switch (command) {
        case command::kAlwaysOnTop:
            return store_.read(keys::ClockAlwayssOnTop) == 1;
        case command::kBlueClock:
        case command::kGreenClock:
        case command::kRedClock:
        case command::kCustomClockColor:
            return store_.read(keys::ClockColor) == command;
        case command::kLocalTime:
            return display_.localTime != 0;
        case command::kUtcTime:
            return display_.localTime == 0;
        case command::kTwentyFourHourTime:
            return display_.twentyFourHour != 0;
        case command::kShowDayOfYear:
            return display_.dayOfYear != 0;
        default:
            return false;
    }
}

bool ClockWindowLogic::ToggleAlwaysOnTop() {
    const bool topmost = store_.read(keys::ClockAlwayssOnTop) == 0;
    store_.write(keys::ClockAlwayssOnTop, topmost ? 1 : 0);
    return topmost;
}

void ClockWindowLogic::Hide() {
    if (!ending_) {
        store_.write(keys::DigitalClockEnabled, 0);
    }
}

bool ClockWindowLogic::ChoosePreset(int32_t command) {
    const ClockColorPreset* preset = PresetForCommand(command);
    if (preset == nullptr || !preset->fixed) {
        return false;
    }
    setColors(preset->colors, command);
    return true;
}

void ClockWindowLogic::ApplyCustomColors(const ClockColors& colors) {
    setColors(colors, command::kCustomClockColor);
}

void ClockWindowLogic::setColors(const ClockColors& colors, int32_t scheme) {
    WriteClockColors(runtime_, colors);
    display_.lit = colors.lit;
    display_.unlit = colors.unlit;
    StoreClockColors(store_, colors);
    store_.write(keys::ClockColor, scheme);
}

void ClockWindowLogic::SetLocalTime(bool local) {
    store_.write(keys::LocalTime, local ? 1 : 0);
    display_.localTime = local ? 1 : 0;
}

void ClockWindowLogic::ToggleTwentyFourHour() {
    display_.twentyFourHour = display_.twentyFourHour == 1 ? 0 : 1;
    store_.write(keys::TwentyFourHourMode, display_.twentyFourHour);
}

void ClockWindowLogic::ToggleDayOfYear() {
    display_.dayOfYear = display_.dayOfYear == 1 ? 0 : 1;
    store_.write(keys::EnableDOY, display_.dayOfYear);
}

}  // namespace horalux
