#pragma once

#include <QWidget>

#include "platform/settings_store.h"
#include "ui/horalux_property_sheet.h"

class QCloseEvent;

namespace horalux {

// The properties window: a small top-level frame, captioned "Horalux Properties", that holds the
// sheet and sizes itself to it. Closing it only hides it; it lives until the program ends.
class CHoraluxPropertyFrame final : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Horalux Properties";

    explicit CHoraluxPropertyFrame(SettingsStore& store, QWidget* parent = nullptr);

    CHoraluxPropertySheet* sheet() const { return sheet_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    CHoraluxPropertySheet* sheet_;
};

}  // namespace horalux
