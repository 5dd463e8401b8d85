#pragma once

namespace horalux {

// What the desktop clock asks of the program around it (the main frame implements it).
class ClockWindowHost {
  public:
    virtual ~ClockWindowHost() = default;

    // "Set PC Clock Now" (also a double-click on the clock): choose the server for this update
    // and start one clock update; returns at once.
    virtual void setPcClockNow() = 0;
    // "Properties": create the properties window if needed, show it and bring it forward.
    virtual void openProperties() = 0;
    // "Help Topics...": open the help manual's contents.
    virtual void showHelp() = 0;
    // Whether the clock's menu ends with "&Exit": where no tray icon offers it, the desktop clock
    // is the one way left to end the program.
    virtual bool offersExit() const { return false; }
    // "&Exit": end the program, as the tray menu's "&Exit" does.
    virtual void exitProgram() {}
};

}  // namespace horalux
