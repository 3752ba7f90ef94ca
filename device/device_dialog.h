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

    const std::string& driver_name() const { return driverName_; }
    const std::array<DeviceRow, kMaxTargets>& rows() const { return rows_; }
    std::uint8_t adapter() const { return adapter_; }
    std::uint8_t chosen_target() const { return chosen_; }  // kNoDrive when none
    bool next_host_enabled() const { return nextEnabled_; }
    bool preceding_host_enabled() const { return precedingEnabled_; }
    const BusScan& scan() const { return scan_; }

    // A radio button: only an enabled row can be chosen.
    void choose_target(std::uint8_t target);
    void next_host();
    void preceding_host();
    // OK: false (after "Please select a drive on the SCSI bus.") while no drive is chosen.
    bool confirm();
    void help();

private:
    void show(int adapter, int direction);
    void fill(std::uint8_t adapter);
    int drive_count(int adapter) const;

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
int select_device_dialog(DeviceContext& ctx);

// Whether (adapter, target) answers INQUIRY (status 1 or 4) as a
// direct-access or optical-memory drive: the test of the drive named with /A.
// Shows nothing.
bool drive_answers_as_disk(DeviceContext& ctx, std::uint8_t adapter, std::uint8_t target);

// READ CAPACITY of the selected drive, up to ten attempts; on success the
// capacity, the sector size and the transfer routine follow the answer.
bool read_selected_capacity(DeviceContext& ctx);

}  // namespace korvane
