#include "app/update_starter.h"

namespace horalux {

UpdateStarter::UpdateStarter(RuntimeSettings& runtime, ChooseServer chooseServer,
                             StartSync startSync)
    : runtime_(runtime), chooseServer_(std::move(chooseServer)), startSync_(std::move(startSync)) {}

void UpdateStarter::Start() {
    runtime_.setCurrentServer(chooseServer_());
    startSync_();
}

}  // namespace horalux
