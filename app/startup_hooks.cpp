#include "app/startup_hooks.h"

#include "app/browse_commands.h"
#include "app/device_commands.h"

namespace korvane {

// Each layer connects its own hooks here, one line per hook, as it lands:
//   if (!hooks.init_transport) hooks.init_transport = init_image_bus_transport;
// Hooks left empty are skipped by start-up and shutdown.
void connect_startup_hooks(StartupHooks& hooks) {
    connect_device_hooks(hooks);
    connect_volume_hooks(hooks);
}

}  // namespace korvane
