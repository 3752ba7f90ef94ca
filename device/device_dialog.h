#pragma once
// The "Device selection" dialog (DLG_DEV): the engine's side. It holds the
// bus scan and what the dialog shows; each front end draws it and calls the
// actions below, then ends with kDialogOk (after confirm() said yes) or
// kDialogCancel.

#include <array>
#include <cstdint>
#include <string>

#include "core/app_state.h"
#include "core/dialog.h"
#include "device/bus_scan.h"
#include "device/device_context.h"

namespace korvane {

inline constexpr int kNoDriveFound = 255;

struct DeviceRow {
    bool enabled = false;
    std::string vendor;    // "Typ"
    std::string product;   // "Model"
    std::string revision;  // "Release"
};

class DeviceDialog : public Dialog {
public:
    DeviceDialog(DeviceContext& ctx, BusScan scan);
    std::string_view name() const override { return "DLG_DEV"; }

    const std::string& driverName() const { return driverName_; }
    const std::array<DeviceRow, kMaxTargets>& rows() const { return rows_; }
    std::uint8_t adapter() const { return adapter_; }
    std::uint8_t chosenTarget() const { return chosen_; }  // kNoDrive when none
    bool nextHostEnabled() const { return nextEnabled_; }
    bool precedingHostEnabled() const { return precedingEnabled_; }
    const BusScan& scan() const { return scan_; }

    // A radio button: only an enabled row can be chosen.
    void chooseTarget(std::uint8_t target);
    void nextHost();
    void precedingHost();
    // OK: false (after "Please select a drive on the SCSI bus.") while no drive is chosen.
    bool confirm();
    void help();

private:
    void show(int adapter, int direction);
    void fill(std::uint8_t adapter);
    int driveCount(int adapter) const;

    DeviceContext& ctx_;
    BusScan scan_;
    std::string driverName_;
    std::array<DeviceRow, kMaxTargets> rows_;
    std::uint8_t adapter_ = 0;
    std::uint8_t chosen_ = kNoDrive;
    bool nextEnabled_ = false;
    bool precedingEnabled_ = false;
};

// Scans the bus and runs the dialog. 1: a drive was chosen and its capacity
// read (sector size and transfer routine set); 0: cancelled (no drive
// selected); kNoDriveFound when the bus holds no usable drive. A drive that
// fails READ CAPACITY ten times ends the program.
int selectDeviceDialog(DeviceContext& ctx);

// Whether (adapter, target) answers INQUIRY (status 1 or 4) as a
// direct-access or optical-memory drive: the test of the drive named with /A.
// Shows nothing.
bool driveAnswersAsDisk(DeviceContext& ctx, std::uint8_t adapter, std::uint8_t target);

// READ CAPACITY of the selected drive, up to ten attempts; on success the
// capacity, the sector size and the transfer routine follow the answer.
bool readSelectedCapacity(DeviceContext& ctx);

}  // namespace korvane
