#include "ui/properties_window_holder.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <exception>

namespace horalux {

PropertiesWindowHolder::PropertiesWindowHolder(SettingsStore& store, PageFactory addPages,
                                               QWidget* parent)
    : store_(store), addPages_(std::move(addPages)), parent_(parent) {}

PropertiesWindowHolder::~PropertiesWindowHolder() {
    delete frame_.data();
}

CHoraluxPropertyFrame* PropertiesWindowHolder::open() {
    if (frame_ == nullptr) {
        auto* frame = new CHoraluxPropertyFrame(store_, parent_);
        try {
            if (addPages_) {
                addPages_(*frame->sheet());
            }
        } catch (const std::exception&) {
            delete frame;
            return nullptr;
        }
        frame->ensurePolished();
        frame->layout()->activate();
        const QScreen* screen =
            parent_ != nullptr ? parent_->screen() : QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            const QRect area = screen->availableGeometry();
            frame->move(area.center() - QPoint(frame->width() / 2, frame->height() / 2));
        }
        frame_ = frame;
    }
    if (!frame_->isVisible()) {
        frame_->show();
    }
    if (frame_->isMinimized()) {
        frame_->showNormal();
    }
    frame_->raise();
    frame_->activateWindow();
    return frame_;
}

}  // namespace horalux
