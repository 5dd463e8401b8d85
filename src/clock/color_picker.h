#pragma once

#include <optional>

#include "clock/color_ref.h"

class QWidget;

namespace horalux {

// Lets the user pick one colour. The custom-colour suggestions are the process-wide list of
// QColorDialog, which the caller fills before asking.
class ColorPicker {
  public:
    virtual ~ColorPicker() = default;
    // Starts at `initial`; the picked colour, or nothing when the user cancels.
    virtual std::optional<ColorRef> pick(ColorRef initial, QWidget* parent) = 0;
};

// The picker the program uses: Qt's own colour dialog, modal, with its custom colours shown.
class QtColorPicker final : public ColorPicker {
  public:
    std::optional<ColorRef> pick(ColorRef initial, QWidget* parent) override;
};

}  // namespace horalux
