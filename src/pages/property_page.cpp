#include "pages/property_page.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimerEvent>

#include "pages/dialog_int.h"
#include "ui/bubble_tip.h"
#include "ui/dialog_units.h"

namespace horalux {

PropertyPage::PropertyPage(const PageServices& services, BubbleTip& tip, QString caption,
                           QSize templateSize, QWidget* parent)
    : QWidget(parent), services_(services), tip_(tip), caption_(std::move(caption)) {
    setObjectName(caption_);
    setMinimumSize(dialogRect(0, 0, templateSize.width(), templateSize.height()).size());
}

PropertyPage::~PropertyPage() = default;

void PropertyPage::Create() {
    if (created_) {
        return;
    }
    created_ = true;
    BuildTemplate();
    pendingLabel_ = nullptr;
    OnInitDialog();
}

void PropertyPage::showEvent(QShowEvent* event) {
    Create();
    QWidget::showEvent(event);
}

QWidget* PropertyPage::Control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void PropertyPage::PlaceControl(int id, QWidget* control, DlgRect rect, bool takesLabel) {
    control->setParent(this);
    control->setGeometry(dialogRect(rect.x, rect.y, rect.width, rect.height));
    if (id != 0) {
        control->setObjectName(QStringLiteral("control%1").arg(id));
        controls_[id] = control;
    }
    if (takesLabel && pendingLabel_ != nullptr) {
        pendingLabel_->setBuddy(control);
    }
    pendingLabel_ = nullptr;
    control->show();
}

QLabel* PropertyPage::Label(const QString& text, DlgRect rect, Qt::Alignment alignment) {
    auto* label = new QLabel(text, this);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(rect.height > dialogUnitsToPixelsY(8));
    PlaceControl(0, label, rect, false);
    pendingLabel_ = label;
    return label;
}

QLineEdit* PropertyPage::Edit(int id, DlgRect rect) {
    auto* edit = new QLineEdit(this);
    PlaceControl(id, edit, rect, true);
    return edit;
}

QLineEdit* PropertyPage::ReadOnlyEdit(int id, DlgRect rect) {
    auto* edit = new QLineEdit(this);
    edit->setReadOnly(true);
    // Read-only fields look like the page around them, as the desktop draws them.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    PlaceControl(id, edit, rect, true);
    return edit;
}

QLabel* PropertyPage::StaticText(int id, DlgRect rect, bool sunken) {
    auto* text = new QLabel(this);
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (sunken) {
        text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    const QPointer<QLabel> label = pendingLabel_;
    PlaceControl(id, text, rect, true);
    // A static text takes no focus, so a screen reader finds no buddy for it: name it after
    // its label instead.
    if (label != nullptr) {
        text->setAccessibleName(label->text());
    }
    return text;
}

QPushButton* PropertyPage::PushButton(int id, const QString& text, DlgRect rect) {
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    PlaceControl(id, button, rect, false);
    return button;
}

QRadioButton* PropertyPage::RadioButton(int id, const QString& text, DlgRect rect,
                                        bool startsGroup) {
    auto* radio = new QRadioButton(text, this);
    if (startsGroup || radioGroup_ == nullptr) {
        radioGroup_ = new QButtonGroup(this);
    }
    radioGroup_->addButton(radio);
    PlaceControl(id, radio, rect, false);
    return radio;
}

QCheckBox* PropertyPage::CheckBox(int id, const QString& text, DlgRect rect) {
    auto* box = new QCheckBox(text, this);
    PlaceControl(id, box, rect, false);
    return box;
}

QGroupBox* PropertyPage::GroupBox(const QString& text, DlgRect rect) {
    auto* group = new QGroupBox(text, this);
    group->setFocusPolicy(Qt::NoFocus);
    PlaceControl(0, group, rect, false);
    group->lower();  // drawn beneath the controls placed over it
    return group;
}

QFrame* PropertyPage::Frame(int id, DlgRect rect) {
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    PlaceControl(id, frame, rect, false);
    frame->lower();
    return frame;
}

QComboBox* PropertyPage::DropDownList(int id, DlgRect rect, bool sorted) {
    auto* box = new QComboBox(this);
    box->setEditable(false);
    box->setProperty("sorted", sorted);
    // The template gives the height with the list dropped down; closed, the box is one line.
    const QRect geometry = dialogRect(rect.x, rect.y, rect.width, rect.height);
    PlaceControl(id, box, rect, true);
    box->setGeometry(geometry.x(), geometry.y(), geometry.width(),
                     std::min(geometry.height(), box->sizeHint().height()));
    return box;
}

void PropertyPage::AddTip(int id, const QString& text) {
    QWidget* control = Control(id);
    if (control == nullptr) {
        return;
    }
    tip_.addTool(control, text);
    control->setAccessibleDescription(text);
}

void PropertyPage::OnChange(int id, std::function<void()> handler) {
    if (auto* edit = Control<QLineEdit>(id)) {
        connect(edit, &QLineEdit::textChanged, this, [handler = std::move(handler)] { handler(); });
    }
}

void PropertyPage::OnClicked(int id, std::function<void()> handler) {
    if (auto* button = Control<QAbstractButton>(id)) {
        connect(button, &QAbstractButton::clicked, this,
                [handler = std::move(handler)] { handler(); });
    }
}

QString PropertyPage::GetDlgItemText(int id) const {
    if (auto* edit = Control<QLineEdit>(id)) {
        return edit->text();
    }
    if (auto* label = Control<QLabel>(id)) {
        return label->text();
    }
    if (auto* button = Control<QAbstractButton>(id)) {
        return button->text();
    }
    return {};
}

void PropertyPage::SetDlgItemText(int id, const QString& text) {
    if (auto* edit = Control<QLineEdit>(id)) {
        edit->setText(text);
    } else if (auto* label = Control<QLabel>(id)) {
        label->setText(text);
    } else if (auto* button = Control<QAbstractButton>(id)) {
        button->setText(text);
    }
}

int32_t PropertyPage::GetDlgItemInt(int id) const {
    return DialogInt(GetDlgItemText(id).toStdString());
}

void PropertyPage::SetDlgItemInt(int id, int32_t value) {
    SetDlgItemText(id, QString::number(value));
}

bool PropertyPage::IsDlgButtonChecked(int id) const {
    const auto* button = Control<QAbstractButton>(id);
    return button != nullptr && button->isChecked();
}

void PropertyPage::CheckDlgButton(int id, bool checked) {
    if (auto* button = Control<QAbstractButton>(id)) {
        button->setChecked(checked);
    }
}

void PropertyPage::EnableControl(int id, bool enabled) {
    if (QWidget* control = Control(id)) {
        control->setEnabled(enabled);
    }
}

bool PropertyPage::HasFocus(int id) const {
    const QWidget* control = Control(id);
    const QWidget* focus = QApplication::focusWidget();
    return control != nullptr && focus != nullptr &&
           (focus == control || control->isAncestorOf(focus));
}

void PropertyPage::SetTimer(int id, int periodMs) {
    Timer& timer = timers_[id];
    timer.periodMs = periodMs;
    timer.timer.start(periodMs, this);
}

void PropertyPage::KillTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end()) {
        it->second.timer.stop();
    }
}

bool PropertyPage::TimerRunning(int id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second.timer.isActive();
}

int PropertyPage::TimerPeriod(int id) const {
    const auto it = timers_.find(id);
    return it == timers_.end() ? 0 : it->second.periodMs;
}

void PropertyPage::timerEvent(QTimerEvent* event) {
    for (auto& [id, timer] : timers_) {
        if (timer.timer.timerId() == event->timerId()) {
            OnTimer(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

}  // namespace horalux
