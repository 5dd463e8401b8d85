#pragma once

#include <QBasicTimer>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "pages/page_services.h"
#include "ui/toggle_watch.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace horalux {

class BubbleTip;

// A control's rectangle in a dialog template: x, y, width, height in dialog units.
struct DlgRect {
    int x;
    int y;
    int width;
    int height;
};

// One tab of the properties sheet, built from its dialog template.
//
// A page's window comes into being the first time its tab is shown: then BuildTemplate() places
// the template's controls, each at its dialog-unit rectangle and in the template's order (which
// is also the keyboard's tab order), and OnInitDialog() runs the page's initialisation (bubble
// tips, values, timers). Both run once; afterwards the page is only hidden and shown again, and
// its timers keep running while it is hidden.
//
// Controls are found by their identifiers (Control<QLineEdit>(1003)); their object names are
// "control<id>". A label becomes the buddy of the field that follows it in the template (an
// edit, a list, a static text), which is the name a screen reader gives that field; any other
// control in between ends the label's claim. A control's bubble tip is also its accessible
// description.
//
// Settings are stored as the user changes them, through the handlers the page registers
// (OnChange, OnClicked, OnSelChange). A radio button's or check box's handler (OnClicked) runs on
// each change of its state that the user makes, whether by the mouse, the keyboard or a screen
// reader's action: once per change (a switch within a radio group runs the handler of the button
// that gained the check, once), and also when the user clicks a radio button that is already
// checked. It never runs for a state the page sets itself: while the page fills itself
// (OnInitDialog), in its timers, in its handlers and through CheckDlgButton anywhere, the program
// is acting (ToggleWatch). So a page fills its buttons with CheckDlgButton, registers their
// handlers with OnClicked, and each store happens once per change of the user's. Push buttons
// run their handlers on their clicks. Code of the page's own that runs outside these (a slot it
// connects itself) sets a button through CheckDlgButton.
class PropertyPage : public QWidget {
    Q_OBJECT
  public:
    // `templateSize` in dialog units (350 x 130 for most pages).
    PropertyPage(const PageServices& services, BubbleTip& tip, QString caption,
                 QSize templateSize = QSize(350, 130), QWidget* parent = nullptr);
    ~PropertyPage() override;

    // The tab's caption.
    const QString& caption() const { return caption_; }

    // Builds the template and runs the initialisation, the first time only. Showing the page
    // does it; tests call it directly.
    void Create();
    bool created() const { return created_; }

    // The control with this identifier; null when there is none (or the page is not created).
    QWidget* Control(int id) const;
    template <class W>
    W* Control(int id) const {
        return qobject_cast<W*>(Control(id));
    }

    // Whether one of the page's timers is running, and its period.
    bool TimerRunning(int id) const;
    int TimerPeriod(int id) const;
    // Runs a timer's handler as its tick would.
    void FireTimer(int id);

  protected:
    // The template's controls, in order.
    virtual void BuildTemplate() = 0;
    // The dialog initialisation.
    virtual void OnInitDialog() = 0;
    // A tick of timer `id` (SetTimer).
    virtual void OnTimer(int id) { (void)id; }

    // --- The template: each call places one control at its rectangle. -----------------------
    QLabel* Label(const QString& text, DlgRect rect, Qt::Alignment alignment = Qt::AlignLeft);
    QLineEdit* Edit(int id, DlgRect rect);
    QLineEdit* ReadOnlyEdit(int id, DlgRect rect);
    // A static text the program writes (a status line); `sunken` draws it in a sunken frame. A
    // screen reader names it after the label before it, followed by what it says ("Network
    // Status: Nominal").
    QLabel* StaticText(int id, DlgRect rect, bool sunken = false);
    QPushButton* PushButton(int id, const QString& text, DlgRect rect);
    // Radio buttons are exclusive within their group; `startsGroup` begins a new one.
    QRadioButton* RadioButton(int id, const QString& text, DlgRect rect, bool startsGroup = false);
    QCheckBox* CheckBox(int id, const QString& text, DlgRect rect);
    QGroupBox* GroupBox(const QString& text, DlgRect rect);
    // A frame without contents (identifier 0 when the template gives none).
    QFrame* Frame(int id, DlgRect rect);
    // A drop-down list without an edit field. `sorted` is kept as the box's property "sorted":
    // entries of a sorted list go in at their alphabetical place.
    QComboBox* DropDownList(int id, DlgRect rect, bool sorted);
    // A drop-down list with an edit field: a value is typed, or picked from the list
    // (SetChoices), which shows each value with a description beside it; the field takes the
    // value alone. Typing offers the values that contain what is typed; what is typed stays what
    // is used. A text too long for the field is drawn narrower (and smaller, 8 pixels at least)
    // rather than cut off, and the field's tooltip shows it whole.
    QComboBox* EditableList(int id, DlgRect rect);
    // Any other control (a graph, a light, a sky plot, a clock display), owned by the page. A
    // control that takes the keyboard focus is the buddy of a preceding label, like a field.
    template <class W>
    W* Place(int id, W* control, DlgRect rect) {
        PlaceControl(id, control, rect, control->focusPolicy() != Qt::NoFocus);
        return control;
    }

    // --- Behaviour. ----------------------------------------------------------------------------
    // Registers a control's bubble tip with the sheet (and makes it the control's description).
    void AddTip(int id, const QString& text);
    // Runs `handler` on every change of an edit's text, typed or set by the program, keystroke
    // by keystroke: the way the pages store their settings.
    void OnChange(int id, std::function<void()> handler);
    // Runs `handler` when a push button is clicked, and on each change of a radio button or check
    // box that the user makes (above).
    void OnClicked(int id, std::function<void()> handler);
    // Runs `handler` when the user picks an entry of a drop-down list (with the mouse, the
    // keyboard or the wheel); a selection the program makes does not run it.
    void OnSelChange(int id, std::function<void()> handler);

    // A drop-down list's entries. AddString puts an entry at its alphabetical place in a sorted
    // list (ignoring case), at the end of any other, and returns its index; FindString is the
    // list's prefix search (FindStringPrefix: after `startAfter`, wrapping round, ignoring case).
    int AddString(int id, const QString& text);
    int FindString(int id, int startAfter, const QString& prefix) const;
    QStringList ListEntries(int id) const;
    // An editable list's choices: each a value and its description (may be empty).
    void SetChoices(int id, const std::vector<std::pair<QString, QString>>& choices);

    // The field's text read as a number (DialogInt), and a number written into it.
    int32_t GetDlgItemInt(int id) const;
    void SetDlgItemInt(int id, int32_t value);
    QString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const QString& text);
    bool IsDlgButtonChecked(int id) const;
    // Sets a radio button's or check box's state as the program: its handler does not run.
    void CheckDlgButton(int id, bool checked);
    void EnableControl(int id, bool enabled);
    // Whether the control (or a part of it, a drop-down list's open list too) has the keyboard
    // focus.
    bool HasFocus(int id) const;

    // Starts (or restarts) timer `id` with a period in milliseconds; KillTimer stops it.
    void SetTimer(int id, int periodMs);
    void KillTimer(int id);

    const PageServices& services() const { return services_; }
    BubbleTip& bubbleTip() const { return tip_; }

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    // Where a template rectangle lies on the page: the template is centred horizontally when the
    // page is wider than it.
    QRect TemplateRect(DlgRect rect) const;

  private:
    void PlaceControl(int id, QWidget* control, DlgRect rect, bool takesLabel);
    // The template's rectangles were made for a narrower font than most desktops have. Once the
    // template is placed, texts that would be cut off are fitted: a one-line label first widens
    // into the free space beside it (FitLabels); then each label and button whose text still does
    // not fit gets a narrower font (a condensed width first, then a smaller size, 8 pixels at
    // least). Every other control, and every control placed with Place(), keeps its font.
    void FitTexts();
    void FitLabels();

    // Runs `handler` as the program acting.
    std::function<void()> AsProgram(std::function<void()> handler);

    PageServices services_;
    BubbleTip& tip_;
    ToggleWatch toggles_;
    QString caption_;
    bool created_ = false;
    QPointer<QLabel> pendingLabel_;  // the label waiting for its field
    QPoint origin_;                  // where the template's (0, 0) lies on the page
    QButtonGroup* radioGroup_ = nullptr;
    std::map<int, QWidget*> controls_;
    std::vector<QLabel*> labels_;  // placed by Label(), owned by the page
    // The labels, static texts and buttons of the template, whose texts are fitted; controls
    // placed with Place() size their texts themselves.
    std::vector<QWidget*> textControls_;
    struct Timer {
        QBasicTimer timer;
        int periodMs = 0;
    };
    std::map<int, Timer> timers_;
};

}  // namespace horalux
