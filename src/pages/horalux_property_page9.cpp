#include "pages/horalux_property_page9.h"

#include <QComboBox>

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "app/update_starter.h"
#include "clock/clock_color_dialog.h"
#include "clock/segment_clock_display.h"
#include "platform/settings_store.h"
#include "sync/sync_flags.h"

namespace horalux {

CHoraluxPropertyPage9::CHoraluxPropertyPage9(const PageServices& services, BubbleTip& tip)
    : PropertyPage(services, tip, QStringLiteral("Time")) {}

void CHoraluxPropertyPage9::BuildTemplate() {
    display_ = Place(kDisplay, new SegmentClockDisplay(services().clock), {7, 7, 336, 77});
    Label(QStringLiteral("UTC Time"), {7, 86, 33, 8});
    Label(QStringLiteral("Display Color:"), {169, 86, 44, 8});
    QComboBox* list = DropDownList(kColorList, {219, 84, 80, 87}, false);
    for (const ClockColorPreset& preset : kClockColorPresets) {
        list->addItem(QString::fromLatin1(preset.name));
    }
    PushButton(kUpdateNow, QStringLiteral("Update PC Clock Now"), {7, 108, 84, 14});
}

void CHoraluxPropertyPage9::OnInitDialog() {
    AddTip(kColorList, QStringLiteral("Sets the clock display color"));
    AddTip(kUpdateNow, QStringLiteral("Sets the PC clock using the selected timing reference"));
    AddTip(kDisplay, QStringLiteral("Digital clock shows the system time in UTC"));

    const ClockColors colors = ReadClockColors(services().runtime);
    SegmentClockState& state = display_->state();
    state.lit = colors.lit;
    state.unlit = colors.unlit;
    display_->EnableTimer(1, kDisplayPeriodMs);
    state.thickness = kDisplayThickness;
    state.localTime = 0;

    auto* list = Control<QComboBox>(kColorList);
    if (!SelectScheme(services().store.read(keys::ClockColor))) {
        list->setCurrentIndex(-1);
    }
    // A choice of the user's, by mouse or keyboard; the page's own selections do not count.
    connect(list, &QComboBox::activated, this, &CHoraluxPropertyPage9::OnColorSelected);
    OnClicked(kUpdateNow, [this] { services().starter.Start(); });

    SetTimer(kFastTimer, 100);
    SetTimer(kSchemeTimer, 1000);
}

bool CHoraluxPropertyPage9::SelectScheme(int32_t scheme) {
    const ClockColorPreset* preset = PresetForCommand(scheme);
    if (preset == nullptr) {
        return false;
    }
    Control<QComboBox>(kColorList)->setCurrentIndex(preset->listPosition);
    return true;
}

void CHoraluxPropertyPage9::OnColorSelected(int position) {
    RuntimeSettings& runtime = services().runtime;
    SettingsStore& store = services().store;
    if (const ClockColorPreset* preset = PresetForListPosition(position)) {
        if (preset->fixed) {
            WriteClockColors(runtime, preset->colors);
            store.write(keys::ClockColor, preset->command);
        } else if (const auto custom = chooseCustomColors(ReadClockColors(runtime))) {
            WriteClockColors(runtime, *custom);
            store.write(keys::ClockColor, preset->command);
        }
    }
    // Whatever came of it, the pair in use is stored and shown.
    const ClockColors colors = ReadClockColors(runtime);
    StoreClockColors(store, colors);
    display_->state().lit = colors.lit;
    display_->state().unlit = colors.unlit;
    display_->invalidate(true);
}

std::optional<ClockColors> CHoraluxPropertyPage9::chooseCustomColors(const ClockColors& initial) {
    if (chooser_) {
        return chooser_(initial);
    }
    ClockColorDialog dialog(services().clock, window());
    dialog.setColors(initial);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.colors();
}

void CHoraluxPropertyPage9::OnTimer(int id) {
    const ClockColors colors = ReadClockColors(services().runtime);
    display_->state().lit = colors.lit;
    display_->state().unlit = colors.unlit;
    const SyncFlags& flags = services().flags;
    EnableControl(kUpdateNow, flags.syncBusy.load() != 1 && flags.timeLocked.load() == 1);
    if (id == kSchemeTimer && !HasFocus(kColorList)) {
        SelectScheme(services().store.read(keys::ClockColor));
    }
}

}  // namespace horalux
