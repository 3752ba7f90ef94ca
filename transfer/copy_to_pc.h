#pragma once
// Copying files and folders of the open Macintosh volume to the PC: into the
// current PC directory, in the copy mode of option_flags (data fork, resource
// fork or MacBinary), or straight to the output port of output_options.

#include <cstdint>
#include <span>
#include <string_view>

#include "hfs/catalog_records.h"
#include "transfer/transfer_context.h"

namespace korvane {

inline constexpr int kCopyDone = 0;
inline constexpr int kCopyStop = 1;      // Esc confirmed, or the port cannot be opened
inline constexpr int kCopyNoEntry = -1;  // copy_matching: nothing matches
inline constexpr int kCopyNoSpace = -1;  // copy_file: the PC file system is full

// Copies the entries of the current Macintosh folder whose names match the
// pattern (Macintosh characters; '*' makes it a wildcard; without one only
// the first match is copied). Folders are skipped when option_flags has the
// files-only bit.
int copy_matching(TransferContext& ctx, std::string_view pattern);

// Copies the one entry of the current Macintosh folder that bears exactly
// this name (a selected entry: '*' in it is a character like any other).
// kCopyNoEntry when there is none.
int copy_entry_named(TransferContext& ctx, std::string_view name);

// Copies a folder (its catalog key and directory record) as a PC directory
// of the current PC directory, recursively.
int copy_folder(TransferContext& ctx, const CatalogKey& key, std::span<const std::uint8_t> record);

// Copies one file (its catalog key and file record). Every way it can fail
// is reported where it happens and marks the run as failed.
int copy_file(TransferContext& ctx, const CatalogKey& key, std::span<const std::uint8_t> record);

}  // namespace korvane
