#include "ui/horalux_property_frame.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "resources/horalux_resources.h"
#include "ui/dialog_units.h"

namespace horalux {

CHoraluxPropertyFrame::CHoraluxPropertyFrame(SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      sheet_(new CHoraluxPropertySheet(store, this)) {
    setObjectName(QStringLiteral("propertyFrame"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(resourceIcon(109));
    auto* layout = new QVBoxLayout(this);
    // The sheet keeps the dialog's usual 7-unit margin; the frame follows the sheet's size.
    const QRect margin = dialogRect(0, 0, 7, 7);
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(sheet_);
}

void CHoraluxPropertyFrame::closeEvent(QCloseEvent* event) {
    hide();
    event->ignore();
}

}  // namespace horalux
