#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace horalux {

class DelayMeasurementThread;

// "Receiver Delay": follows a measurement of the receiver's delay (DelayMeasurement) while it
// runs on its own thread, then shows its result in "Measured delay:". "Use This Delay" hands the
// median on (delayChosen) and closes, when it may be stored (DecideDelayToStore; else it says
// why and stores nothing); "Cancel" closes and stores nothing. Where the measurement could not
// start (no lock, no server) or failed, the dialog says why.
class ReceiverDelayDialog final : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 200;
    static const char* const kNotLockedText;
    static const char* const kNoServerText;

    struct Start {
        DelayMeasurementThread* measurement = nullptr;  // none: it could not start
        std::string server;
        std::string problem;  // why it could not start
    };

    // The measurement must outlive the dialog.
    ReceiverDelayDialog(const Start& start, QWidget* parent = nullptr);

    // What the dialog shows (for tests and screen readers alike).
    QString statusText() const;
    QString measuredText() const;
    QPushButton* useButton() const { return use_; }
    QPushButton* cancelButton() const { return cancel_; }

    // One look at the measurement, as the refresh timer takes it.
    void Refresh();
    void OnUseThisDelay();

  Q_SIGNALS:
    void delayChosen(int delayMs);

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    DelayMeasurementThread* measurement_;
    std::string server_;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLineEdit* measured_ = nullptr;
    QPushButton* use_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QBasicTimer refresh_;
};

}  // namespace horalux
