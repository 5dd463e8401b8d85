#include "pages/property_page.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTimerEvent>
#include <algorithm>

#include "pages/dialog_int.h"
#include "pages/label_fit.h"
#include "ui/bubble_tip.h"
#include "ui/dialog_units.h"
#include "ui/sorted_list.h"

namespace horalux {

namespace {

// The property of a static text that holds the text of the label it is named after.
constexpr const char* kNamedAfter = "namedAfter";

// An editable list's choices: the list shows "value — description", the edit field (and the
// completer, which matches the values) the value alone.
class ChoiceModel final : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void setChoices(std::vector<std::pair<QString, QString>> choices) {
        beginResetModel();
        choices_ = std::move(choices);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(choices_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) {
            return {};
        }
        const auto& [value, description] = choices_[static_cast<size_t>(index.row())];
        if (role == Qt::EditRole) {
            return value;
        }
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
            return description.isEmpty() ? value : value + QStringLiteral(" \u2014 ") + description;
        }
        return {};
    }

  private:
    std::vector<std::pair<QString, QString>> choices_;
};

// Draws an edit field's text narrower, then smaller (8 pixels at least), until it fits.
void FitEditText(QLineEdit& edit, const QFont& base) {
    constexpr int kStretches[] = {100, 93, 87, 80, 75};
    constexpr int kSmallestPixelSize = 8;
    const int room = edit.contentsRect().width() - 8;  // the frame's and the text's margins
    QFont font = base;
    const auto fits = [&] { return QFontMetrics(font).horizontalAdvance(edit.text()) <= room; };
    for (const int stretch : kStretches) {
        font.setStretch(stretch);
        if (fits()) {
            break;
        }
    }
    while (!fits() && font.pixelSize() > kSmallestPixelSize) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    if (edit.font() != font) {
        edit.setFont(font);
    }
    edit.setToolTip(edit.text());
}

}  // namespace

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
    const ToggleWatch::ProgramGuard filling = toggles_.ProgramActs();
    BuildTemplate();
    pendingLabel_ = nullptr;
    FitTexts();
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

QRect PropertyPage::TemplateRect(DlgRect rect) const {
    return dialogRect(rect.x, rect.y, rect.width, rect.height).translated(origin_);
}

void PropertyPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A sheet wider than the template (its row of tabs asks for more) shows the template in the
    // middle, not beside an empty stretch.
    const QPoint origin(std::max(0, (width() - minimumWidth()) / 2), 0);
    const QPoint shift = origin - origin_;
    if (shift.isNull()) {
        return;
    }
    origin_ = origin;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) {
            child->move(child->pos() + shift);
        }
    }
}

void PropertyPage::PlaceControl(int id, QWidget* control, DlgRect rect, bool takesLabel) {
    control->setParent(this);
    control->setGeometry(TemplateRect(rect));
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
    textControls_.push_back(label);
    pendingLabel_ = label;
    labels_.push_back(label);
    return label;
}

void PropertyPage::FitLabels() {
    for (QLabel* label : labels_) {
        if (label->wordWrap() || label->isHidden()) {
            continue;
        }
        std::vector<QRect> others;
        for (const QWidget* other : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != label && !other->isHidden() && !other->isWindow()) {
                others.push_back(other->geometry());
            }
        }
        label->setGeometry(FitLabel(label->geometry(), label->sizeHint().width(),
                                    (label->alignment() & Qt::AlignRight) != 0, others,
                                    QRect(origin_, minimumSize())));
    }
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
        // A styled panel: the plain sunken panel's light edges vanish on a light page.
        text->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    }
    const QPointer<QLabel> label = pendingLabel_;
    PlaceControl(id, text, rect, true);
    textControls_.push_back(text);
    // A static text takes no focus, so a screen reader finds no buddy for it: name it after
    // its label instead. (Its text is no value a screen reader reads: SetDlgItemText puts it in
    // the name too.)
    if (label != nullptr) {
        text->setProperty(kNamedAfter, label->text());
        text->setAccessibleName(label->text());
    }
    return text;
}

QPushButton* PropertyPage::PushButton(int id, const QString& text, DlgRect rect) {
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    PlaceControl(id, button, rect, false);
    textControls_.push_back(button);
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
    textControls_.push_back(radio);
    return radio;
}

QCheckBox* PropertyPage::CheckBox(int id, const QString& text, DlgRect rect) {
    auto* box = new QCheckBox(text, this);
    PlaceControl(id, box, rect, false);
    textControls_.push_back(box);
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
    const QRect geometry = TemplateRect(rect);
    PlaceControl(id, box, rect, true);
    box->setGeometry(geometry.x(), geometry.y(), geometry.width(),
                     std::min(geometry.height(), box->sizeHint().height()));
    return box;
}

QComboBox* PropertyPage::EditableList(int id, DlgRect rect) {
    auto* box = new QComboBox(this);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    auto* model = new ChoiceModel(box);
    box->setModel(model);
    auto* completer = new QCompleter(model, box);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionRole(Qt::EditRole);
    box->setCompleter(completer);
    const QRect geometry = TemplateRect(rect);
    const QPointer<QLabel> label = pendingLabel_;
    PlaceControl(id, box, rect, true);
    box->setGeometry(geometry.x(), geometry.y(), geometry.width(),
                     std::max(geometry.height(), box->sizeHint().height()));
    QLineEdit* edit = box->lineEdit();
    // A screen reader reads the field by its label, as it reads any edit.
    if (label != nullptr) {
        edit->setAccessibleName(label->text().remove(QLatin1Char('&')));
    }
    const QFont base = edit->font();
    connect(edit, &QLineEdit::textChanged, box, [edit, base] { FitEditText(*edit, base); });
    return box;
}

void PropertyPage::SetChoices(int id, const std::vector<std::pair<QString, QString>>& choices) {
    auto* box = Control<QComboBox>(id);
    auto* model = box == nullptr ? nullptr : dynamic_cast<ChoiceModel*>(box->model());
    if (model == nullptr) {
        return;
    }
    // Refilling the list must not change what the field holds.
    const QString text = box->currentText();
    model->setChoices(choices);
    box->setCurrentIndex(-1);
    box->setEditText(text);
    // The open list is as wide as its widest entry (within the screen), so a whole path reads.
    int widest = box->width();
    for (int row = 0; row < model->rowCount(); ++row) {
        widest = std::max(widest, box->fontMetrics().horizontalAdvance(
                                      model->data(model->index(row), Qt::DisplayRole).toString()) +
                                      4 * box->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    }
    box->view()->setMinimumWidth(widest);
}

namespace {

bool TextFits(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control); label && label->wordWrap()) {
        return label->heightForWidth(label->width()) <= label->height();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        // A push button's size hint has a minimum width of the style's; what counts is the text
        // with the style's margin on either side.
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin <=
               button->width();
    }
    return control.sizeHint().width() <= control.width();
}

void FitText(QWidget& control) {
    constexpr int kStretches[] = {93, 87, 80, 75};
    constexpr int kSmallestPixelSize = 8;
    QFont font = control.font();
    for (const int stretch : kStretches) {
        if (TextFits(control)) {
            return;
        }
        font.setStretch(stretch);
        control.setFont(font);
    }
    while (!TextFits(control) && font.pixelSize() > kSmallestPixelSize) {
        font.setPixelSize(font.pixelSize() - 1);
        control.setFont(font);
    }
}

}  // namespace

void PropertyPage::FitTexts() {
    FitLabels();
    for (QWidget* control : textControls_) {
        const auto* label = qobject_cast<QLabel*>(control);
        if (label == nullptr || !label->text().isEmpty()) {
            FitText(*control);
        }
    }
}

void PropertyPage::AddTip(int id, const QString& text) {
    QWidget* control = Control(id);
    if (control == nullptr) {
        return;
    }
    tip_.addTool(control, text);
    control->setAccessibleDescription(text);
}

std::function<void()> PropertyPage::AsProgram(std::function<void()> handler) {
    return [this, handler = std::move(handler)] {
        const ToggleWatch::ProgramGuard acting = toggles_.ProgramActs();
        handler();
    };
}

void PropertyPage::OnChange(int id, std::function<void()> handler) {
    if (auto* box = Control<QComboBox>(id); box != nullptr && box->isEditable()) {
        connect(box, &QComboBox::editTextChanged, this, AsProgram(std::move(handler)));
    } else if (auto* edit = Control<QLineEdit>(id)) {
        connect(edit, &QLineEdit::textChanged, this, AsProgram(std::move(handler)));
    }
}

void PropertyPage::OnClicked(int id, std::function<void()> handler) {
    auto* button = Control<QAbstractButton>(id);
    if (button == nullptr) {
        return;
    }
    if (button->isCheckable()) {
        toggles_.OnUserToggle(button, this, std::move(handler));
    } else {
        connect(button, &QAbstractButton::clicked, this, AsProgram(std::move(handler)));
    }
}

void PropertyPage::OnSelChange(int id, std::function<void()> handler) {
    if (auto* box = Control<QComboBox>(id)) {
        connect(box, &QComboBox::activated, this, AsProgram(std::move(handler)));
    }
}

int PropertyPage::AddString(int id, const QString& text) {
    auto* box = Control<QComboBox>(id);
    if (box == nullptr) {
        return -1;
    }
    const int index =
        box->property("sorted").toBool() ? SortedInsertIndex(ListEntries(id), text) : box->count();
    box->insertItem(index, text);
    return index;
}

int PropertyPage::FindString(int id, int startAfter, const QString& prefix) const {
    return FindStringPrefix(ListEntries(id), prefix, startAfter);
}

QStringList PropertyPage::ListEntries(int id) const {
    QStringList entries;
    if (const auto* box = Control<QComboBox>(id)) {
        for (int i = 0; i < box->count(); ++i) {
            entries.append(box->itemText(i));
        }
    }
    return entries;
}

QString PropertyPage::GetDlgItemText(int id) const {
    if (auto* edit = Control<QLineEdit>(id)) {
        return edit->text();
    }
    if (auto* box = Control<QComboBox>(id); box != nullptr && box->isEditable()) {
        return box->currentText();
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
    } else if (auto* box = Control<QComboBox>(id); box != nullptr && box->isEditable()) {
        box->setEditText(text);
    } else if (auto* label = Control<QLabel>(id)) {
        label->setText(text);
        const QString namedAfter = label->property(kNamedAfter).toString();
        const QString name = text.isEmpty() ? namedAfter : namedAfter + QLatin1Char(' ') + text;
        if (!namedAfter.isEmpty() && label->accessibleName() != name) {
            label->setAccessibleName(name);
        }
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
        const ToggleWatch::ProgramGuard acting = toggles_.ProgramActs();
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
    if (const auto* box = qobject_cast<const QComboBox*>(control);
        box != nullptr && box->view()->isVisible()) {
        return true;  // the list is open: it has the keyboard
    }
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

void PropertyPage::FireTimer(int id) {
    const ToggleWatch::ProgramGuard acting = toggles_.ProgramActs();
    OnTimer(id);
}

void PropertyPage::timerEvent(QTimerEvent* event) {
    for (auto& [id, timer] : timers_) {
        if (timer.timer.timerId() == event->timerId()) {
            FireTimer(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

}  // namespace horalux
