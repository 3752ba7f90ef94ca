#pragma once
// Texts of the copies to the PC that go beyond the message table, the filling
// of "%s" placeholders, and the one way a copy reports a failure.

#include <string>
#include <string_view>

#include "core/core_context.h"

namespace korvane {

inline constexpr std::string_view kIncompleteCopy =
        "File %s is incomplete: part of it could not be read from the medium.";
inline constexpr std::string_view kFolderSkipped = "Folder %s cannot be created as a PC directory; it was not copied.";

inline constexpr std::string_view kListedEntryMissing = "%s is no longer on the volume; the copy stopped there.";

// Why a file's copy ended early; each is followed by what became of the file.
inline constexpr std::string_view kCopyStoppedReason = "The copy was stopped.";
inline constexpr std::string_view kDestinationFullReason =
        "Not enough space on the volume: the PC destination is full.";
inline constexpr std::string_view kWriteFailedReason = "The PC destination could not be written.";
inline constexpr std::string_view kFileNotCopied = "File %s was not copied.";
inline constexpr std::string_view kFileIncomplete = "File %s is incomplete.";

// The template with its first "%s" replaced by first and the second by second.
std::string format_text(std::string_view text, std::string_view first, std::string_view second = {});

// Shows the notice and records for the run's exit status that a command failed.
void report_copy_failure(CoreContext& ctx, const std::string& text);

}  // namespace korvane
