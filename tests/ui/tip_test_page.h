#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>

#include "ui/bubble_tip.h"
#include "ui/dialog_units.h"

namespace horalux::test {

// A page laid out like the status pages, with controls registered with the bubble tip: a
// read-only edit, a button, a spin box (whose inner line edit is a child of its own) and a group
// box with a label inside that tracks the mouse. The caption label stays unregistered.
class TipTestPage : public QWidget {
  public:
    explicit TipTestPage(BubbleTip& tip) {
        caption = new QLabel(QStringLiteral("GPS Time:"), this);
        caption->setGeometry(dialogRect(7, 10, 35, 8));
        gpsTime = new QLineEdit(QStringLiteral("12:34:56"), this);
        gpsTime->setReadOnly(true);
        gpsTime->setGeometry(dialogRect(54, 8, 57, 12));
        updateNow = new QPushButton(QStringLiteral("Update PC Clock Now"), this);
        updateNow->setGeometry(dialogRect(125, 7, 80, 14));
        rate = new QSpinBox(this);
        rate->setRange(1, 44640);
        rate->setGeometry(dialogRect(54, 40, 57, 12));
        group = new QGroupBox(QStringLiteral("Lock"), this);
        group->setGeometry(dialogRect(218, 40, 120, 60));
        groupLabel = new QLabel(QStringLiteral("inside"), group);
        groupLabel->setGeometry(10, 30, 80, 20);
        groupLabel->setMouseTracking(true);

        tip.addTool(gpsTime, QStringLiteral("Shows the time from the GPS reciever."));
        tip.addTool(updateNow,
                    QStringLiteral("Sets the PC clock now. GPS receiver must be locked."));
        tip.addTool(rate, QStringLiteral("PC clock update rate in minutes."));
        tip.addTool(group, QStringLiteral("Sets the daytime network time server port. The "
                                          "standard port for Daytime protocol is 13."));
    }

    QLabel* caption;
    QLineEdit* gpsTime;
    QPushButton* updateNow;
    QSpinBox* rate;
    QGroupBox* group;
    QLabel* groupLabel;
};

}  // namespace horalux::test
