// The console forms of the device dialogs. With one drive on the bus it is
// taken as the dialog would pre-check it; otherwise a terminal is asked for
// the target. --partition N answers the partition dialog; --yes / --no
// answer "Drive to be used".

#include <iostream>
#include <string>

#include "cli/console_dialogs.h"
#include "cli/console_host.h"
#include "device/device_dialog.h"
#include "device/partition_dialog.h"
#include "device/same_drive_dialog.h"

namespace korvane {
namespace {

void list_drives(ConsoleHost& host, const DeviceDialog& devices) {
    for (const DeviceListEntry& entry : devices.scan().entries) {
        if (entry.is_header()) continue;
        host.err() << "  " << int{entry.adapter} << ',' << int{entry.target} << "  " << entry.vendor << ' '
                   << entry.product << ' ' << entry.revision << '\n';
    }
}

// "A,T" or "T" (on the adapter shown).
bool parse_choice(const std::string& line, int& adapter, int& target) {
    std::size_t comma = line.find(',');
    try {
        if (comma == std::string::npos) {
            target = std::stoi(line);
        } else {
            adapter = std::stoi(line.substr(0, comma));
            target = std::stoi(line.substr(comma + 1));
        }
    } catch (const std::exception&) {
        return false;
    }
    return adapter >= 0 && target >= 0 && target < kMaxTargets;
}

int answer_device_dialog(ConsoleHost& host, Dialog& dialog) {
    auto& devices = static_cast<DeviceDialog&>(dialog);
    if (devices.chosen_target() != kNoDrive) return kDialogOk;  // the only drive of the adapter shown
    if (!host.interactive()) return kDialogCancel;
    host.err() << "Device selection (adapter,target):\n";
    list_drives(host, devices);
    std::string line;
    while (host.ask_line("Drive (empty line cancels): ", line) && !line.empty()) {
        int adapter = devices.adapter();
        int target = kNoDrive;
        if (parse_choice(line, adapter, target)) {
            while (devices.adapter() < adapter && devices.next_host_enabled()) devices.next_host();
            while (devices.adapter() > adapter && devices.preceding_host_enabled()) devices.preceding_host();
            if (devices.adapter() == adapter) devices.choose_target(static_cast<std::uint8_t>(target));
            if (devices.adapter() == adapter && devices.chosen_target() == target) return kDialogOk;
        }
        devices.confirm();  // "Please select a drive on the SCSI bus."
    }
    return kDialogCancel;
}

int answer_partition_dialog(ConsoleHost& host, Dialog& dialog) {
    auto& partitions = static_cast<PartitionDialog&>(dialog);
    if (const auto& row = host.options().partition_row) {
        partitions.choose_row(*row);
        return partitions.confirm() ? partitions.chosen_row() : kPartitionCancelled;
    }
    if (!host.interactive()) return kPartitionCancelled;
    host.err() << "Select Partition:\n";
    for (std::size_t i = 0; i < partitions.rows().size(); ++i) {
        const PartitionRow& row = partitions.rows()[i];
        host.err() << "  " << i << "  " << row.name << '\t' << row.start << '\t' << row.size << '\n';
    }
    std::string line;
    while (host.ask_line("Partition (empty line cancels): ", line) && !line.empty()) {
        try {
            partitions.choose_row(std::stoi(line));
        } catch (const std::exception&) {
        }
        if (partitions.confirm()) return partitions.chosen_row();
    }
    return kPartitionCancelled;
}

int answer_same_drive(ConsoleHost& host, Dialog&) {
    switch (host.options().answers) {
        case AnswerMode::AlwaysYes:
            return kUseSameDrive;
        case AnswerMode::AlwaysNo:
            return kSameDriveCancel;
        case AnswerMode::AskTerminal:
            break;
    }
    char choice =
            host.ask(std::string(SameDriveDialog::kTitle) + ": u = Use the same drive, c = Cancel, r = Rescan the bus",
                     "ucr", 'c');
    return choice == 'u' ? kUseSameDrive : choice == 'r' ? kRescanBus : kSameDriveCancel;
}

const RegisterConsoleDialog kDeviceDialog("DLG_DEV", answer_device_dialog);
const RegisterConsoleDialog kPartitionDialog("DLG_PART", answer_partition_dialog);
const RegisterConsoleDialog kSameDriveDialog("DLG_SAME", answer_same_drive);

}  // namespace
}  // namespace korvane
