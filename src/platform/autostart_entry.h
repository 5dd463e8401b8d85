#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace horalux {

// The user's XDG autostart entry for the program: FOLDER/ID.desktop, where FOLDER is
// $XDG_CONFIG_HOME/autostart (~/.config/autostart). Desktop sessions start the program it names
// when the user logs in, unless the entry is marked Hidden=true or X-GNOME-Autostart-enabled=false
// (what desktops' own start-up settings write to turn an entry off without deleting it).
//
// Files are written whole through a temporary file and a rename, so a crash never leaves half
// an entry.
class AutostartEntry {
  public:
    enum class State {
        Absent,    // no entry: the program does not start at log-in
        Enabled,   // the session starts it
        Disabled,  // an entry that the session skips
    };

    // What the entry says of the program: its desktop id (the file's name), name and comment.
    struct Identity {
        std::string appId;
        std::string name;
        std::string comment;
    };

    // `executable`: the program to start (an absolute path); `folder`: by default
    // defaultFolder().
    AutostartEntry(Identity identity, std::string executable, QString folder = {});

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart.
    static QString defaultFolder();

    QString path() const;
    State state() const;
    bool enabled() const { return state() == State::Enabled; }

    // Writes an enabled entry that starts this program, replacing whatever was there. False, with
    // the reason in `error`, when it cannot be written.
    bool enable(QString* error = nullptr);
    // Removes the entry; true when none is left.
    bool disable(QString* error = nullptr);
    // An entry whose program no longer exists (the program was moved or reinstalled elsewhere)
    // is rewritten to start this one, enabled or not as it was. True when it was rewritten.
    bool refresh(QString* error = nullptr);

    // The program an entry's Exec line starts, or nothing when the entry names none.
    std::optional<std::string> program() const;

    // The entry's text, starting `executable`, enabled or marked Hidden.
    static std::string Contents(const Identity& identity, std::string_view executable,
                                bool enabled);
    // A program path as the first word of an Exec value (quoted where the desktop entry format
    // requires it) and back: the program named by an Exec value.
    static std::string ExecValue(std::string_view program);
    static std::optional<std::string> ProgramOfExec(std::string_view execValue);

  private:
    bool write(bool enabled, QString* error) const;

    Identity identity_;
    std::string executable_;
    QString folder_;
};

}  // namespace horalux
