#pragma once

#include <QSize>
#include <QString>
#include <QTabWidget>

#include "platform/settings_store.h"
#include "ui/bubble_tip.h"

namespace horalux {

// The tabbed sheet of the properties window. It owns the bubble tip (enabled from
// "Settings"/"EnableBubbleTip") and the pages, which are added in tab order: "Time",
// "GPS Signal Quality", "Update PC Clock", "Position", "GPS Configuration", "About Horalux",
// "Network Time", "System Configuration". Pages register their controls with bubbleTip().
class CHoraluxPropertySheet final : public QTabWidget {
    Q_OBJECT
  public:
    explicit CHoraluxPropertySheet(SettingsStore& store, QWidget* parent = nullptr);

    // Appends a page as the next tab and takes ownership of it; returns its tab index. A page
    // is at least pageSize() large.
    int addPage(QWidget* page, const QString& caption);
    QWidget* page(int index) const { return widget(index); }

    BubbleTip& bubbleTip() { return *tip_; }

    // The size of a page: 350 x 130 dialog units.
    static QSize pageSize();

    // Big enough for a standard page even before any page has been added, and for the largest
    // page added.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  private:
    BubbleTip* tip_;
};

}  // namespace horalux
