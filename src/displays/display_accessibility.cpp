#include "displays/display_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <mutex>

namespace horalux {

namespace {

class DisplayInterface final : public QAccessibleWidget {
  public:
    DisplayInterface(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            if (const auto* described = dynamic_cast<const DescribedDisplay*>(widget())) {
                return described->AccessibleSummary();
            }
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* MakeInterface(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    if (className == QLatin1String("horalux::SkyPlot") ||
        className == QLatin1String("horalux::ActivityLed")) {
        return new DisplayInterface(widget, QAccessible::Graphic);
    }
    if (className == QLatin1String("horalux::SignalQualityGraph") ||
        className == QLatin1String("horalux::CorrectionPlot")) {
        return new DisplayInterface(widget, QAccessible::Chart);
    }
    if (className == QLatin1String("horalux::SkyPlotLegend") ||
        className == QLatin1String("horalux::SegmentClockDisplay")) {
        return new DisplayInterface(widget, QAccessible::StaticText);
    }
    return nullptr;
}

}  // namespace

void InstallDisplayAccessibility() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(MakeInterface); });
}

void NotifySummaryChanged(QWidget* display) {
    if (QAccessible::isActive()) {
        QAccessibleEvent event(display, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

QString AccessibleNameOf(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

}  // namespace horalux
