#pragma once

#include <QPoint>
#include <QSize>
#include <cstdint>

namespace horalux {

// The receive-activity light's decisions: which 16 x 16 cell of the LED sheet it shows, where
// in its control the cell goes, and the flash. The sheet (bitmap 135, 48 x 192) has 3 columns
// (0 lit, 1 dim, 2 grey) and 12 rows: colour offsets 0, 16, 32, 48 (red, green, yellow, blue)
// plus shape offsets 0, 64, 128 (small circular, square, large circular).
//
// A flash runs the light's one timer (number 1): Flash lights it and (re)starts the timer with
// the flash's duration, so calls that come faster than the duration keep it lit; the timer's
// tick dims it and stops the timer.
class ActivityLedState {
  public:
    static constexpr int kCell = 16;
    static constexpr int kFlashTimer = 1;
    static constexpr QSize kSheetSize{48, 192};

    int32_t colorOffset = 0;
    int32_t ledState = 1;  // 0 lit, 1 dim, 2 grey
    int32_t shapeOffset = 0;
    bool flashing = false;

    void SetLed(int32_t colour, int32_t state, int32_t shape);

    // What the light's owner does with its timer after a call.
    struct TimerCommand {
        bool stop = false;  // stop the running timer first
        int startMs = -1;   // then start it with this period (none when negative)
    };
    TimerCommand Flash(int durationMs);
    // A tick of timer `id`: the flash timer dims the light and is stopped; any other changes
    // nothing.
    TimerCommand OnTimer(int id);

    // The cell's top-left corner in the sheet: x = state x 16, y = colour + shape offset.
    QPoint Cell() const { return QPoint(ledState * kCell, colorOffset + shapeOffset); }
    // Whether that cell lies wholly within the sheet (else nothing is drawn).
    bool CellInSheet() const;

    // Where the cell's top-left corner goes in a control of this size: centred when the control
    // is at least 16 x 16, else at its top-left corner (and cut off at its edges).
    static QPoint TargetOrigin(QSize client);
};

}  // namespace horalux
