#pragma once
// Korvane's working files in the temporary directory ($TMPDIR, else /tmp).
// They live in core/, not util/, because the context records them and a
// failure to create one is a fatal notice.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/core_context.h"

namespace korvane {

// The temporary directory: $TMPDIR when set and not empty, else /tmp.
std::string temp_directory();

// Creates a new, unique, empty working file named after the first three
// characters of prefix ("CAT", "EXT", "Des"), fills path, records it among the
// context's working files (removed at exit, also after a fatal notice) and
// returns its descriptor, open for reading and writing. When the temporary
// directory lacks size_needed bytes: "Not enough free space for temporary
// files." ends the program.
int create_temp_file(CoreContext& ctx, std::string& path, std::string_view prefix, std::uint64_t size_needed);

// Removes a working file and forgets it.
void remove_working_file(CoreContext& ctx, const std::string& path);

}  // namespace korvane
