#include "ui/server_list_manager_logic.h"

#include "platform/message_service.h"
#include "ui/sorted_list.h"

namespace horalux {

ServerListManagerLogic::ServerListManagerLogic(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        const QString entry = QString::fromStdString(name);
        entries_.insert(SortedInsertIndex(entries_, entry), entry);
    }
    selected_ = entries_.isEmpty() ? -1 : 0;
}

void ServerListManagerLogic::select(int index) {
    selected_ = index >= 0 && index < entries_.size() ? index : -1;
}

bool ServerListManagerLogic::CanAdd(const QString& typed) {
    return !typed.trimmed().isEmpty();
}

bool ServerListManagerLogic::Add(const QString& typed, MessageService& messages) {
    const QString name = typed.trimmed();
    if (name.isEmpty()) {
        return false;
    }
    if (entries_.size() >= kMaxServers) {
        messages.messageBox(kFullText, "", kIconStop);
        return false;
    }
    if (FindStringPrefix(entries_, name, 0) >= 0 &&
        !messages.askYesNo(kExistsQuestion, "", kIconExclamation)) {
        return false;
    }
    const int index = SortedInsertIndex(entries_, name);
    entries_.insert(index, name);
    selected_ = index;
    return true;
}

void ServerListManagerLogic::Remove() {
    if (selected_ < 0) {
        return;
    }
    entries_.removeAt(selected_);
    if (selected_ >= entries_.size()) {
        selected_ = selected_ > 0 ? selected_ - 1 : -1;
    }
}

std::vector<std::string> ServerListManagerLogic::names() const {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(entries_.size()));
    for (const QString& entry : entries_) {
        names.push_back(entry.toStdString());
    }
    return names;
}

}  // namespace horalux
