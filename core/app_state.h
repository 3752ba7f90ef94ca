#pragma once
// The shared application state: options, the selected drive, the open volume,
// the current directory, the listing and the status texts. Every subsystem
// reads and writes these fields directly; the record lives in the context.

#include <cstdint>
#include <string>
#include <vector>

#include "core/listing_entry.h"

namespace korvane {

inline constexpr std::uint8_t kNoDrive = 0xFF;

// option_flags bits
inline constexpr std::uint16_t kCopyDataFork = 0x0001;
inline constexpr std::uint16_t kCopyResourceFork = 0x0002;
inline constexpr std::uint16_t kCopyMacBinary = 0x0004;
inline constexpr std::uint16_t kCopyModeMask = 0x0007;
inline constexpr std::uint16_t kFilesOnly = 0x0100;
inline constexpr std::uint16_t kListingExtended = 0x0200;
inline constexpr std::uint16_t kListingSignature = 0x0800;

// output_options: naming mode in bits 0-2, output port in bits 8-10.
inline constexpr std::uint32_t kNamingLong = 0;
inline constexpr std::uint32_t kNamingShort = 1;
inline constexpr std::uint32_t kNamingAsk = 2;
inline constexpr std::uint32_t kNamingMask = 0x0007;
inline constexpr std::uint32_t kPortMask = 0x0700;
inline constexpr int kPortShift = 8;

inline constexpr std::size_t kStatusTextMax = 139;
inline constexpr std::uint16_t kListingPageEntries = 36;

struct AppState {
    std::uint8_t host_adapter = kNoDrive;
    std::uint8_t target_id = kNoDrive;
    std::uint8_t access_method = 1;
    bool reset_each_access = false;
    bool volume_locked = false;
    std::uint16_t option_flags = kCopyDataFork;
    std::uint32_t output_options = kNamingLong;
    bool long_names_available = true;

    // The PC's current directory at start, restored at exit.
    std::string saved_pc_dir;
    std::string help_file_path;

    // The transfer log: the name used by /L and the log dialog (any length or path).
    std::string log_file_name = "korvane.log";

    std::int32_t volume_start = 0;  // > 0 open, 0 none, < 0 MS-DOS medium
    std::uint32_t current_dir_id = 0;
    std::uint32_t current_parent_id = 0;
    std::string current_path = std::string(39, ' ');

    std::vector<ListingEntry> entries;  // size() is entry_count
    std::uint16_t entry_capacity = kListingPageEntries;
    std::uint16_t first_shown = 0;
    std::uint16_t end_shown = 0;

    std::string status_text;
    std::string status_right_text;

    // Whether "Brute force search" is offered (discovery found no volume).
    bool brute_force_enabled = false;

    std::uint16_t entry_count() const { return static_cast<std::uint16_t>(entries.size()); }
};

}  // namespace korvane
