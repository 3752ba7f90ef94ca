#pragma once
// Copying PC files and PC directory trees into the current Macintosh folder.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "transfer/transfer_context.h"

namespace korvane {

// copy_pc_matching's result when no entry of the PC directory matches.
inline constexpr int kNoPcEntry = -1;

// Copies the entries of the current PC directory whose names match pattern
// (shell wildcards over the names as the file system spells them, UTF-8,
// letters of either case; a backslash takes the next character literally)
// into the current Macintosh folder, in the copy mode of the options,
// and writes the volume back. 0 when the copy went through, non-zero when it
// stopped (kNoPcEntry when nothing matched).
int copy_pc_matching(TransferContext& ctx, std::string_view pattern);

// A file that Korvane itself puts on a volume (the Finder's files of a new
// volume): one fork holding a whole PC file.
struct MacFileFromPc {
    std::string mac_name;  // Macintosh character set, not taken yet
    std::array<std::uint8_t, 8> type_creator{};
    std::uint16_t finder_flags = 0;
    bool resource_fork = false;
    std::uint32_t length = 0;  // bytes of the PC file
    std::uint32_t date = 0;    // created and modified
};

// Makes the file in the current Macintosh folder by the same steps as a
// copied file, inside a modification the caller has started (and later
// writes back); the folder's entry count is the caller's. False when it
// could not be made (reported).
bool make_mac_file_from_pc(TransferContext& ctx, int fd, const MacFileFromPc& made);

}  // namespace korvane
