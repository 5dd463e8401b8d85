#include "clock/color_picker.h"

#include <QColorDialog>

#include "clock/qt_color.h"

namespace horalux {

std::optional<ColorRef> QtColorPicker::pick(ColorRef initial, QWidget* parent) {
    QColorDialog dialog(toQColor(initial), parent);
    // Qt's own dialog always shows the custom colours; a desktop's native one may not.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return toColorRef(dialog.selectedColor());
}

}  // namespace horalux
