#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace horalux {

class MessageService;

// What the server list manager decides: the list kept sorted, adding (at most 25 servers, a
// question when the name is already there as a prefix of an entry), removing and what the
// selection becomes. The dialog shows the list and passes the user's actions on.
class ServerListManagerLogic {
  public:
    static constexpr int kMaxServers = 25;
    static constexpr const char* kFullText =
        "Maximum number of servers has been reached. Remove a server before adding a new server.";
    static constexpr const char* kExistsQuestion =
        "This new time server exists in the list. Would you like to add it?";

    // The list filled with `names` (each sorted in), the first entry selected.
    explicit ServerListManagerLogic(const std::vector<std::string>& names = {});

    const QStringList& entries() const { return entries_; }
    // The selected entry's index; -1 when none is.
    int selected() const { return selected_; }
    // The user selects an entry (-1 or an index outside the list: none).
    void select(int index);

    // Whether "Add" can take this text: something besides blanks.
    static bool CanAdd(const QString& typed);
    // "Add": the typed name without the blanks around it goes in at its sorted place and is
    // selected. With 25 servers already the user is told so and nothing is added; when an entry
    // begins with the name (ignoring case) the user is asked, and No adds nothing. True when the
    // name was added (the dialog then clears the field).
    bool Add(const QString& typed, MessageService& messages);
    // "Remove": the selected entry goes; the entry that takes its place is selected, or, when it
    // was the last one, the one before it. Nothing happens while no entry is selected.
    void Remove();

    // The entries in list order, as "OK" hands them back.
    std::vector<std::string> names() const;

  private:
    QStringList entries_;
    int selected_ = -1;
};

}  // namespace horalux
