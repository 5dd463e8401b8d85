#pragma once

#include <QPointer>
#include <functional>

#include "platform/settings_store.h"
#include "ui/horalux_property_frame.h"

namespace horalux {

// Holds the one properties window of the program: created on the first open(), with its pages,
// and afterwards only shown again. The main frame keeps one of these and calls open() for
// "&Properties...", the tray icon's double-click, the desktop clock's "&Properties" and a second
// copy's request.
class PropertiesWindowHolder {
  public:
    // Adds the pages to a new sheet, in tab order.
    using PageFactory = std::function<void(CHoraluxPropertySheet&)>;

    explicit PropertiesWindowHolder(SettingsStore& store, PageFactory addPages = {},
                                    QWidget* parent = nullptr);
    ~PropertiesWindowHolder();
    PropertiesWindowHolder(const PropertiesWindowHolder&) = delete;
    PropertiesWindowHolder& operator=(const PropertiesWindowHolder&) = delete;

    // Creates the window on the first call (centred on the screen), then shows it (restoring it
    // when it was minimised), raises it and gives it the focus. Null when the pages could not be
    // made; the next call tries again.
    CHoraluxPropertyFrame* open();

    // The window, null until the first open().
    CHoraluxPropertyFrame* frame() const { return frame_; }

  private:
    SettingsStore& store_;
    PageFactory addPages_;
    QPointer<QWidget> parent_;
    QPointer<CHoraluxPropertyFrame> frame_;
};

}  // namespace horalux
