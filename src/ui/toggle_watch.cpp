#include "ui/toggle_watch.h"

#include <QAbstractButton>
#include <QRadioButton>
#include <QThread>
#include <memory>

namespace horalux {

namespace {

int LoopLevel() {
    return QThread::currentThread()->loopLevel();
}

}  // namespace

ToggleWatch::ProgramGuard::ProgramGuard(ToggleWatch& watch)
    : watch_(watch), saved_(watch.actingLoopLevel_) {
    watch_.actingLoopLevel_ = LoopLevel();
}

ToggleWatch::ProgramGuard::~ProgramGuard() {
    watch_.actingLoopLevel_ = saved_;
}

bool ToggleWatch::programActing() const {
    return actingLoopLevel_ == LoopLevel();
}

void ToggleWatch::OnUserToggle(QAbstractButton* button, QObject* context,
                               std::function<void()> handler) {
    const auto run = std::make_shared<std::function<void()>>([this, handler = std::move(handler)] {
        if (programActing()) {
            return;
        }
        const ProgramGuard guard(*this);
        handler();
    });
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    QObject::connect(button, &QAbstractButton::toggled, context, [run, radio](bool checked) {
        if (checked || !radio) {
            (*run)();
        }
    });
    // A click on a radio button that is already checked changes nothing, yet chooses it again.
    // Every click begins with a press (a screen reader's toggle has neither).
    const auto checkedAtPress = std::make_shared<bool>(false);
    QObject::connect(button, &QAbstractButton::pressed, context,
                     [button, checkedAtPress] { *checkedAtPress = button->isChecked(); });
    QObject::connect(button, &QAbstractButton::clicked, context,
                     [run, radio, checkedAtPress](bool checked) {
                         if (radio && checked && *checkedAtPress) {
                             (*run)();
                         }
                     });
}

}  // namespace horalux
