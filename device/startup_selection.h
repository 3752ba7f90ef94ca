#pragma once
// What start-up asks of the device layer: the transport's first contact, the
// drive named with /A or chosen in the device dialog, and the transfer routine.

#include <cstdint>

#include "device/device_context.h"

namespace korvane {

// Asks the transport for its adapters; ends the program with
// "Error initializing the ASPI manager." when it has none. Returns the count.
std::uint8_t initTransport(DeviceContext& ctx);

// Whether (adapter, target) answers INQUIRY (status 1 or 4) as a
// direct-access or optical-memory drive. Shows nothing.
bool driveAnswersAsDisk(DeviceContext& ctx, std::uint8_t adapter, std::uint8_t target);

// Tests the drive named on the command line: it must answer INQUIRY (status 1
// or 4) and be a direct-access or optical-memory drive; otherwise "Drive not
// ready or no floppy disk." and no drive is selected. Installs transfer512.
void applyStartupSelection(DeviceContext& ctx, std::uint8_t adapter, std::uint8_t target);

// Start-up's drive choice: the device dialog when /A gave neither adapter
// nor target, else the /A test.
void selectStartupDrive(DeviceContext& ctx);

}  // namespace korvane
