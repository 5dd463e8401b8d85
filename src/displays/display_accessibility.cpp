#include "displays/display_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <mutex>

namespace horalux {

namespace {

QAccessibleInterface* DisplayInterface(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    if (className == QLatin1String("horalux::SkyPlot") ||
        className == QLatin1String("horalux::ActivityLed")) {
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    }
    if (className == QLatin1String("horalux::SignalQualityGraph")) {
        return new QAccessibleWidget(widget, QAccessible::Chart);
    }
    return nullptr;
}

}  // namespace

void InstallDisplayAccessibility() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(DisplayInterface); });
}

}  // namespace horalux
