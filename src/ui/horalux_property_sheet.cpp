#include "ui/horalux_property_sheet.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include "app/settings_keys.h"
#include "ui/dialog_font.h"
#include "ui/dialog_units.h"

namespace horalux {

CHoraluxPropertySheet::CHoraluxPropertySheet(SettingsStore& store, QWidget* parent)
    : QTabWidget(parent), tip_(new BubbleTip(this)) {
    setObjectName(QStringLiteral("propertySheet"));
    // Pages are laid out in dialog units; they inherit the font those are measured for.
    setFont(dialogFont());
    tip_->setEnabled(store.read(keys::EnableBubbleTip) == 1);
}

QSize CHoraluxPropertySheet::pageSize() {
    return dialogRect(0, 0, 350, 130).size();
}

int CHoraluxPropertySheet::addPage(QWidget* page, const QString& caption) {
    page->setMinimumSize(page->minimumSize().expandedTo(pageSize()));
    const int index = addTab(page, caption);
    updateGeometry();
    return index;
}

QSize CHoraluxPropertySheet::sizeHint() const {
    const QSize hint = QTabWidget::sizeHint();
    // With no pages the tab widget would shrink to nothing: ask the style what a page of the
    // standard size under a row of tabs needs.
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    const int tabHeight =
        fontMetrics().height() + style()->pixelMetric(QStyle::PM_TabBarTabVSpace, nullptr, this);
    option.tabBarSize = QSize(0, tabHeight);
    // A page taller or wider than the standard one makes the sheet so for every page.
    QSize pages = pageSize();
    for (int i = 0; i < count(); ++i) {
        pages = pages.expandedTo(widget(i)->minimumSize());
    }
    const QSize standard =
        style()->sizeFromContents(QStyle::CT_TabWidget, &option, pages + QSize(0, tabHeight), this);
    // Every tab in one row, none hidden behind scroll arrows: the sheet is as wide as its tabs
    // (the tab widget's own hint would stop at 200 pixels of them).
    const int tabs = tabBar()->sizeHint().width() +
                     2 * style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    return hint.expandedTo(standard).expandedTo(QSize(tabs, 0));
}

}  // namespace horalux
