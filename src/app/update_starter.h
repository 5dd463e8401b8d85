#pragma once

#include <functional>
#include <string>

#include "app/runtime_settings.h"

namespace horalux {

// Starts one clock update the way every starter does: ask the server list for the server to use,
// make it the current server name, then start the worker. The server is chosen whatever the
// reference, so a switch to network time finds a current name.
class UpdateStarter {
  public:
    using ChooseServer = std::function<std::string()>;
    using StartSync = std::function<void()>;

    UpdateStarter(RuntimeSettings& runtime, ChooseServer chooseServer, StartSync startSync);

    void Start();

  private:
    RuntimeSettings& runtime_;
    ChooseServer chooseServer_;
    StartSync startSync_;
};

}  // namespace horalux
