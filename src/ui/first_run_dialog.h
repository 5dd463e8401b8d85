#pragma once

#include <QDialog>

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace horalux {

class HelpManual;

// The first-run configuration dialog (resource 143, "Horalux Configuration"): a welcome text and
// one question, whether the PC clock follows a GPS receiver or a network time server. The caller
// presets the choice and runs it modally; exec() returns QDialog::Accepted for OK, with choice()
// read back from the radio buttons, or QDialog::Rejected for Escape, with choice() unchanged.
class FirstRunDialog final : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kChoiceGps = 0;
    static constexpr int kChoiceNetwork = 1;
    static constexpr const char* kCaption = "Horalux Configuration";
    static constexpr const char* kWelcomeText =
        "Welcome to the Horalux configuration. Horalux has the ability to synchronize the PC "
        "clock to a GPS receiver connected to your computer or to a network time server. You can "
        "also modify these parameters using the Horalux Property dialog. Please select the "
        "synchronization option: ";

    // `help` opens the dialog's help page; without one, Help does nothing.
    explicit FirstRunDialog(HelpManual* help = nullptr, QWidget* parent = nullptr);

    // 0 = GPS, 1 = network time server; any other value (-1 at construction) selects neither.
    void setChoice(int choice);
    int choice() const { return choice_; }

    void accept() override;

    // The controls, for tests and the end-to-end harness (object names in brackets): the welcome
    // text ("welcomeText"), the two choices ("gpsChoice", "networkChoice"), "help" and "ok".
    QPlainTextEdit* welcomeText() const { return welcome_; }
    QRadioButton* gpsButton() const { return gps_; }
    QRadioButton* networkButton() const { return network_; }
    QPushButton* helpButton() const { return helpButton_; }
    QPushButton* okButton() const { return ok_; }

  private:
    void showChoice();
    void openHelp();

    HelpManual* help_;
    int choice_ = -1;
    QLabel* picture_;
    QPlainTextEdit* welcome_;
    QButtonGroup* group_;
    QRadioButton* gps_;
    QRadioButton* network_;
    QPushButton* helpButton_;
    QPushButton* ok_;
};

}  // namespace horalux
