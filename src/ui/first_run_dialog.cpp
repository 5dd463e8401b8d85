#include "ui/first_run_dialog.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "resources/horalux_resources.h"
#include "ui/dialog_font.h"
#include "ui/dialog_units.h"
#include "ui/help_manual.h"

namespace horalux {

FirstRunDialog::FirstRunDialog(HelpManual* help, QWidget* parent)
    // A caption and no close box. (The context-help button is left out: with it Qt adds the
    // system menu, and with that the window manager's close box.)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), help_(help) {
    setObjectName(QStringLiteral("firstRunDialog"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(resourceIcon(109));
    setModal(true);
    setFont(dialogFont());
    setFixedSize(dialogRect(0, 0, 268, 138).size());

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setGeometry(dialogRect(7, 7, 94, 124));
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setPixmap(resourceBitmap(112));

    welcome_ = new QPlainTextEdit(this);
    welcome_->setObjectName(QStringLiteral("welcomeText"));
    welcome_->setGeometry(dialogRect(102, 7, 159, 70));
    welcome_->setReadOnly(true);
    welcome_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    welcome_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    welcome_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    welcome_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    welcome_->setPlainText(QString::fromLatin1(kWelcomeText));

    gps_ = new QRadioButton(QStringLiteral("Synchronize to GPS"), this);
    gps_->setObjectName(QStringLiteral("gpsChoice"));
    gps_->setGeometry(dialogRect(102, 84, 159, 10));
    network_ = new QRadioButton(QStringLiteral("Synchronize to a network time server"), this);
    network_->setObjectName(QStringLiteral("networkChoice"));
    network_->setGeometry(dialogRect(102, 98, 159, 10));
    group_ = new QButtonGroup(this);
    group_->addButton(gps_, kChoiceGps);
    group_->addButton(network_, kChoiceNetwork);

    helpButton_ = new QPushButton(QStringLiteral("Help..."), this);
    helpButton_->setObjectName(QStringLiteral("help"));
    helpButton_->setGeometry(dialogRect(154, 117, 50, 14));
    helpButton_->setAutoDefault(false);
    connect(helpButton_, &QPushButton::clicked, this, &FirstRunDialog::openHelp);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setGeometry(dialogRect(211, 117, 50, 14));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &FirstRunDialog::accept);

    setTabOrder(welcome_, gps_);
    setTabOrder(gps_, network_);
    setTabOrder(network_, helpButton_);
    setTabOrder(helpButton_, ok_);
    showChoice();
}

void FirstRunDialog::setChoice(int choice) {
    choice_ = choice;
    showChoice();
}

void FirstRunDialog::showChoice() {
    QAbstractButton* selected = group_->button(choice_);
    if (selected != nullptr) {
        selected->setChecked(true);
        selected->setFocus();
        return;
    }
    // Neither: an exclusive group cannot uncheck its last checked button.
    group_->setExclusive(false);
    gps_->setChecked(false);
    network_->setChecked(false);
    group_->setExclusive(true);
    ok_->setFocus();
}

void FirstRunDialog::accept() {
    choice_ = group_->checkedId();
    QDialog::accept();
}

void FirstRunDialog::openHelp() {
    if (help_ != nullptr) {
        help_->showContext(HelpManual::kFirstRunContext);
    }
}

}  // namespace horalux
