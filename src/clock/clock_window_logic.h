#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_ids.h"
#include "app/runtime_settings.h"
#include "clock/clock_colors.h"
#include "clock/pixel_geometry.h"
#include "clock/segment_clock_state.h"
#include "platform/settings_store.h"

namespace horalux {

// One entry of the clock's context menu, in order. Entries between SubmenuBegin and SubmenuEnd
// form the "Settings" submenu.
struct ClockMenuEntry {
    enum Kind { Command, Separator, SubmenuBegin, SubmenuEnd };
    Kind kind;
    const char* text;
    int32_t command;
    bool checkable;
};

inline constexpr std::array<ClockMenuEntry, 18> kClockMenu{{
    {ClockMenuEntry::Command, "&Set PC Clock Now", command::kSetClockNow, false},
    {ClockMenuEntry::SubmenuBegin, "Settings", 0, false},
    {ClockMenuEntry::Command, "&Always on top", command::kAlwaysOnTop, true},
    {ClockMenuEntry::Command, "&Hide", command::kHideClock, false},
    {ClockMenuEntry::Separator, "", 0, false},
    {ClockMenuEntry::Command, "&Blue", command::kBlueClock, true},
    {ClockMenuEntry::Command, "&Green", command::kGreenClock, true},
    {ClockMenuEntry::Command, "&Red", command::kRedClock, true},
    {ClockMenuEntry::Command, "&Custom Color", command::kCustomClockColor, true},
    {ClockMenuEntry::Separator, "", 0, false},
    {ClockMenuEntry::Command, "&Local Time", command::kLocalTime, true},
    {ClockMenuEntry::Command, "&UTC Time", command::kUtcTime, true},
    {ClockMenuEntry::Command, "&24 hour time", command::kTwentyFourHourTime, true},
    {ClockMenuEntry::Command, "Show &Day of Year", command::kShowDayOfYear, true},
    {ClockMenuEntry::SubmenuEnd, "", 0, false},
    {ClockMenuEntry::Command, "Help Topics...", command::kHelpIndex, false},
    {ClockMenuEntry::Separator, "", 0, false},
    {ClockMenuEntry::Command, "&Properties", command::kClockProperties, false},
}};

// Edges of the window under a point, for resizing by the border.
enum ResizeEdge : int { kNoEdge = 0, kLeftEdge = 1, kTopEdge = 2, kRightEdge = 4, kBottomEdge = 8 };

// The desktop clock's decisions, free of any window: where it starts, how it drags and
// resizes, the thickness rule, the menu's check marks and what each command does to the
// display, the process-wide colours and the store. ClockWindow forwards its events here.
class ClockWindowLogic {
  public:
    static constexpr PixelRect kDefaultPosition{0, 0, 300, 100};
    // The sizing border around the client area, inside the window's outer rectangle.
    static constexpr int kBorder = 4;
    static constexpr int kMinimumWidth = 2 * kBorder + 40;
    static constexpr int kMinimumHeight = 2 * kBorder + 16;
    // Where a menu opened from the keyboard goes, from the client area's top-left corner.
    static constexpr PixelPoint kKeyboardMenuOffset{5, 5};

    ClockWindowLogic(SettingsStore& store, RuntimeSettings& runtime, SegmentClockState& display);

    // "DigitalClockPosition": "%d,%d,%d,%d" as left, right, top, bottom. Fields the text does
    // not reach (or that are not numbers in range) keep their defaults: 0, 300, 0, 100.
    static PixelRect ParsePosition(std::string_view text);
    static std::string FormatPosition(const PixelRect& outer);

    // A rectangle whose size the window can take: between the minimum and the given maximum
    // (the desktop's size), left and top kept. A stored size from a broken value would
    // otherwise ask for a window far larger than any screen.
    static PixelRect BoundedSize(const PixelRect& outer, int maxWidth, int maxHeight);

    // The least part of the clock, in each direction, that must lie on a screen for the clock
    // to be within reach of the mouse.
    static constexpr int kReachable = 16;

    // A place on the screens: `outer` itself when enough of it lies on one of them, else moved
    // (its size bounded by that screen's) wholly onto the screen it has to move least to reach.
    // Without screens, `outer`.
    static PixelRect OntoNearestScreen(const PixelRect& outer,
                                       const std::vector<PixelRect>& screens);

    // Creation: the stored outer rectangle, whether the window starts shown and topmost.
    PixelRect StoredPosition() const;
    bool StartsVisible() const;
    bool StartsTopmost() const;
    // Creation: colours from the store into the process-wide pair and the display; the
    // display's local-time, day-of-year and 24-hour flags from the store.
    void LoadDisplaySettings();
    // The place of the clock is stored only when the user gave it one and the window system
    // tells where windows are (not so on Wayland's own protocol, whose windows know neither
    // their place nor can they choose it): never a place the window system made up, such as a
    // compositor's centred or tiled window, nor one the program chose itself (the default, or
    // a stored place brought back onto a screen).
    void SetPlacesKnown(bool known) { placesKnown_ = known; }
    bool placesKnown() const { return placesKnown_; }
    // Whether the clock's size is held fixed while the user is not resizing it: where places
    // are unknown (Wayland's own protocol). Its shell protocol has no way to say that a window
    // is a small utility, and a window of fixed size is what a tiling compositor (sway) floats
    // at its own size instead of stretching it over the screen.
    bool HoldsSize() const { return !placesKnown_; }
    // The user moved or resized the clock to `outer` (a drag or a resize ended, "Reset Clock
    // Position"): into "DigitalClockPosition" where places are known.
    void UserPlaced(const PixelRect& outer);
    // SaveClockPosition (a colour change, the program's end): the place the user last gave the
    // clock in this run, if any, again into "DigitalClockPosition"; nothing otherwise.
    void SavePosition();
    // Show Clock / Reset Clock Position: "DigitalClockEnabled" 1.
    void MarkShown();
    // The program is ending: from now on the window's closing or hiding is not the user's
    // "Hide", and stores nothing.
    void EndRun() { ending_ = true; }
    bool ending() const { return ending_; }
    // The 100 ms timer: the process-wide colours into the display.
    void CopyColorsToDisplay();

    // Segment thickness for a client width: / 95 with the day of year, else / 80.
    static int ThicknessFor(int clientWidth, int32_t dayOfYearFlag);
    void ApplyThickness(int clientWidth);

    // Dragging, in client coordinates. A press starts it; the first move with the left button
    // down only sets the anchor; each later one returns how far to move the window (point -
    // anchor). Release ends it (the window then saves its position).
    void PressLeft();
    std::optional<PixelPoint> MoveMouse(PixelPoint point, bool leftButtonDown);
    void ReleaseLeft();
    // Whether the rest of the drag is to be the window system's interactive move rather than
    // moves the program asks for: where places are unknown (the program cannot move windows),
    // or where the window system has put the window at none of the first kIgnoredMoves places
    // the program asked for in this drag (it keeps windows where it wants, as sway does).
    static constexpr int kIgnoredMoves = 5;
    bool HandToWindowSystem() const;
    // During a drag the window asks to be moved from `from` to `to`.
    void MoveRequested(PixelPoint from, PixelPoint to);
    // Whether to ask the window system where the window stands now (once a drag, after
    // kIgnoredMoves moves asked for), and its answer (none: it does not tell).
    bool WantsPlaceCheck() const;
    void WindowStandsAt(std::optional<PixelPoint> at);
    // The window system has no interactive move: the program's own moves go on.
    void WindowSystemDeclined() { ownMovesOnly_ = true; }
    int32_t dragging() const { return dragging_; }
    bool firstMovePending() const { return firstMovePending_ != 0; }
    PixelPoint anchor() const { return anchor_; }

    // Resizing by the border: the edges (ResizeEdge bits) under a point of a window of the
    // given size, and the outer rectangle after the cursor moved by (dx, dy) from where the
    // resize began, never smaller than the minimum.
    static int EdgesAt(PixelPoint point, int width, int height);
    static PixelRect ResizedRect(const PixelRect& start, int edges, int dx, int dy);
    void BeginResize(int edges, PixelPoint globalPoint, const PixelRect& outer);
    std::optional<PixelRect> ResizeTo(PixelPoint globalPoint) const;
    void EndResize() { resizeEdges_ = kNoEdge; }
    bool resizing() const { return resizeEdges_ != kNoEdge; }

    // The check mark of a menu command, as it is set when the menu opens.
    bool IsChecked(int32_t command) const;

    // Commands. Each writes the store at once.
    bool ToggleAlwaysOnTop();            // returns whether the window is now topmost
    void Hide();                         // "DigitalClockEnabled" 0 (not once the run ends)
    bool ChoosePreset(int32_t command);  // Blue, Green or Red; false for anything else
    void ApplyCustomColors(const ClockColors& colors);
    void SetLocalTime(bool local);
    void ToggleTwentyFourHour();
    void ToggleDayOfYear();

    SegmentClockState& display() { return display_; }
    const SegmentClockState& display() const { return display_; }

  private:
    void setColors(const ClockColors& colors, int32_t scheme);

    SettingsStore& store_;
    RuntimeSettings& runtime_;
    SegmentClockState& display_;

    int32_t dragging_ = 0;
    int32_t firstMovePending_ = 0;
    PixelPoint anchor_;
    std::vector<PixelPoint> requestedMoves_;  // until the place check
    enum class MovesFollowed { Unknown, Yes, No };
    MovesFollowed movesFollowed_ = MovesFollowed::Unknown;
    bool ownMovesOnly_ = false;

    bool placesKnown_ = true;
    std::optional<PixelRect> userPlace_;
    bool ending_ = false;

    int resizeEdges_ = kNoEdge;
    PixelPoint resizeStart_;
    PixelRect resizeStartRect_;
};

}  // namespace horalux
