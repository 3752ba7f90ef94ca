#pragma once
// The process-wide records shared by every subsystem. The program creates one
// context at start and hands it down by reference; tests create as many as
// they like. Each layer extends it: DeviceContext (device/), HfsContext (hfs/),
// TransferContext (transfer/) and finally app::Context.

#include <set>
#include <string>

#include "core/app_state.h"
#include "core/host.h"
#include "core/transfer_log.h"

namespace korvane {

struct CoreContext {
    explicit CoreContext(Host& user_interface) : host(user_interface) {}
    CoreContext(const CoreContext&) = delete;
    CoreContext& operator=(const CoreContext&) = delete;
    virtual ~CoreContext() = default;

    Host& host;
    AppState state;
    TransferLog log;
    // Korvane's own temporary working files; removed at shutdown and also
    // when a fatal notice ends the process.
    std::set<std::string> working_files;
    // What the commands of this run reported, so that korvane-cmd can give a
    // script an exit status it can trust. Set where a command fails (a file
    // not copied or incomplete, a folder not created, no volume, nothing
    // matched) and where a consistency check finds damage; never cleared.
    struct RunOutcome {
        bool failureReported = false;
        bool damageFound = false;
    } outcome;
};

}  // namespace korvane
