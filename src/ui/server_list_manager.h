#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "ui/server_list_manager_logic.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace horalux {

class MessageService;

// The server list manager (dialog 148, "Network server list manager"): the user adds and removes
// network time servers. The caller hands it the stored list (setServers), runs it modally and,
// after OK (QDialog::Accepted), reads the entries back from servers() in the list's sorted order;
// after Cancel servers() is what it was given. It never touches the settings store.
//
// Enter adds the typed server while the address field has the focus, and presses OK elsewhere.
class ServerListManager final : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Network server list manager";
    static constexpr int kAddressId = 1077;
    static constexpr int kAddId = 1074;
    static constexpr int kListId = 1036;
    static constexpr int kRemoveId = 1075;

    explicit ServerListManager(MessageService& messages, QWidget* parent = nullptr);

    void setServers(const std::vector<std::string>& names);
    const std::vector<std::string>& servers() const { return servers_; }

    void accept() override;

    // The controls (object names "control<id>", "ok", "cancel").
    QLineEdit* addressEdit() const { return address_; }
    QPushButton* addButton() const { return add_; }
    QListWidget* serverList() const { return list_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    const ServerListManagerLogic& logic() const { return logic_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onAdd();
    void onRemove();
    // Shows the logic's entries and selection in the list box.
    void showList();

    MessageService& messages_;
    ServerListManagerLogic logic_;
    std::vector<std::string> servers_;
    QLineEdit* address_;
    QPushButton* add_;
    QListWidget* list_;
    QPushButton* remove_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace horalux
