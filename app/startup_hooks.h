#pragma once
// The places where start-up and shutdown call into the device and volume
// layers. Each hook is a std::function on the Context: the layer that owns the
// step fills it in connect_startup_hooks (app/startup_hooks.cpp), and tests
// may replace any hook before calling init_application. An empty hook means
// "this layer does nothing at this step yet".

#include <functional>
#include <string>
#include <vector>

#include "app/switches.h"

namespace korvane {

struct Context;

struct StartupHooks {
    // Device layer: allocate the volume work area and the listing array.
    std::function<void(Context&)> allocate_work_area;
    // Device layer: build the transport from the images, --bus folders and
    // the machine's SCSI devices. Returns the number of host adapters; 0 is
    // fatal: "Error initializing the ASPI manager." (exit code 1).
    std::function<int(Context&, const LaunchArguments&)> init_transport;
    // Device layer: no drive on the command line, run the device selection
    // dialog (it may select a drive by setting host_adapter and target_id).
    std::function<void(Context&)> select_device;
    // Device layer: test the drive given with /A; true when it is accepted.
    // Start-up shows "Drive not ready or no floppy disk." on false.
    std::function<bool(Context&)> test_startup_drive;
    // Device layer: install the sector transfer routine (access_method 1).
    std::function<void(Context&)> install_transfer_routine;
    // Device layer: one line per bus list entry for --scan (adapter, kind,
    // target, vendor, product, revision, tab-separated).
    std::function<std::vector<std::string>(Context&)> bus_scan_lines;
    // Volume layer: volume discovery on the selected drive. > 0 a Macintosh
    // volume was opened, 0 none (target_id reset), < 0 an MS-DOS medium.
    std::function<int(Context&)> discover_volume;
    // Device layer: free the volume work area at shutdown.
    std::function<void(Context&)> release_work_area;
    // HFS layer: close the working files at shutdown (they are then deleted
    // with the other working files).
    std::function<void(Context&)> close_working_files;
};

// Fills every empty hook with the implementation of the layer that owns it.
void connect_startup_hooks(StartupHooks& hooks);

// What start-up keeps of the launch for later steps and for the front ends.
struct StartupRecord {
    StartupHooks hooks;
    LaunchArguments launch;
};

}  // namespace korvane
