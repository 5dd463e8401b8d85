#include "pages/receiver_delay_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>
#include <cmath>

#include "sync/delay_measurement.h"

namespace horalux {

const char* const ReceiverDelayDialog::kNotLockedText =
    "The receiver is not locked to GPS time, so its delay cannot be measured. Nothing was "
    "stored.";
const char* const ReceiverDelayDialog::kNoServerText =
    "No network time server is chosen (Network Time page), so the receiver's delay cannot be "
    "measured. Nothing was stored.";

ReceiverDelayDialog::ReceiverDelayDialog(const Start& start, QWidget* parent)
    : QDialog(parent), measurement_(start.measurement), server_(start.server) {
    setWindowTitle(QStringLiteral("Receiver Delay"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* about = new QLabel(
        QStringLiteral("Compares when the receiver's time sentence arrives with the time of %1, "
                       "to find the fix-up delay the clock needs.")
            .arg(QString::fromStdString(server_)),
        this);
    about->setWordWrap(true);
    layout->addWidget(about);
    progress_ = new QProgressBar(this);
    progress_->setAccessibleName(QStringLiteral("Progress"));
    layout->addWidget(progress_);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setMinimumWidth(420);
    layout->addWidget(status_);

    auto* form = new QFormLayout();
    measured_ = new QLineEdit(this);
    measured_->setReadOnly(true);
    auto* label = new QLabel(QStringLiteral("Measured delay:"), this);
    label->setBuddy(measured_);
    form->addRow(label, measured_);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    use_ = buttons->addButton(QStringLiteral("Use This Delay"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    use_->setEnabled(false);
    connect(use_, &QPushButton::clicked, this, [this] { OnUseThisDelay(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);

    if (measurement_ == nullptr) {
        progress_->setRange(0, 1);
        progress_->setValue(0);
        status_->setText(QString::fromStdString(start.problem));
        return;
    }
    Refresh();
    refresh_.start(kRefreshMs, this);
}

QString ReceiverDelayDialog::statusText() const {
    return status_->text();
}

QString ReceiverDelayDialog::measuredText() const {
    return measured_->text();
}

void ReceiverDelayDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() == refresh_.timerId()) {
        Refresh();
    } else {
        QDialog::timerEvent(event);
    }
}

void ReceiverDelayDialog::Refresh() {
    if (measurement_ == nullptr) {
        return;
    }
    const DelayProgress p = measurement_->progress();
    progress_->setRange(0, static_cast<int>(std::lround(p.totalSeconds)));
    progress_->setValue(static_cast<int>(p.elapsedSeconds));
    const std::optional<DelayResult> result = measurement_->result();
    if (!result) {
        const auto count = [](int n, const char* one, const char* many) {
            return QString::number(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
        };
        status_->setText(QStringLiteral("Measuring: %1 s of %2 s, %3, %4 from %5.")
                             .arg(static_cast<int>(p.elapsedSeconds))
                             .arg(static_cast<int>(std::lround(p.totalSeconds)))
                             .arg(count(p.sentences, "time sentence", "time sentences"))
                             .arg(count(p.sntpAnswers, "answer", "answers"))
                             .arg(QString::fromStdString(server_)));
        return;
    }
    refresh_.stop();
    progress_->setValue(progress_->maximum());
    if (result->outcome == DelayOutcome::Measured) {
        measured_->setText(QString::fromStdString(result->text));
        // The whole text in view, from its start.
        measured_->setMinimumWidth(measured_->fontMetrics().horizontalAdvance(measured_->text()) +
                                   4 * measured_->fontMetrics().averageCharWidth());
        measured_->setCursorPosition(0);
        adjustSize();
        status_->setText(QStringLiteral("Done. \"Use This Delay\" makes %1 ms the fix-up delay.")
                             .arg(result->figures.medianMs));
        use_->setEnabled(true);
        use_->setDefault(true);
    } else {
        status_->setText(QString::fromStdString(result->text));
    }
}

void ReceiverDelayDialog::OnUseThisDelay() {
    const std::optional<DelayResult> result =
        measurement_ == nullptr ? std::nullopt : measurement_->result();
    if (!result) {
        return;
    }
    const DelayToStore decision = DecideDelayToStore(*result);
    if (!decision.value) {
        status_->setText(QString::fromStdString(decision.message));
        use_->setEnabled(false);
        return;
    }
    Q_EMIT delayChosen(*decision.value);
    accept();
}

}  // namespace horalux
