#pragma once

#include <QString>

class QWidget;

namespace horalux {

// A display that says in words what it shows. A screen reader hears that as the display's name;
// it is put into words only when one asks.
class DescribedDisplay {
  public:
    virtual ~DescribedDisplay() = default;
    virtual QString AccessibleSummary() const = 0;
};

// Makes the status displays known to screen readers by what they are: the sky plot and the
// activity light as pictures, the signal graph as a chart, the sky plot's legend and the
// seven-segment clock displays as text; a DescribedDisplay is named by its summary. Their
// descriptions are their bubble tips. Safe to call more than once.
void InstallDisplayAccessibility();

// Tells a listening screen reader that a display's summary has changed (nothing when none
// listens).
void NotifySummaryChanged(QWidget* display);

// The name a screen reader gives a widget.
QString AccessibleNameOf(QWidget* widget);

}  // namespace horalux
