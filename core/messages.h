#pragma once
// The message table (numbered texts shown by every subsystem) and the string
// table (menu help lines 100-142, dialog strings 2101 and 2113).

#include <string_view>

namespace korvane {

// The text of a message number; empty for a number the table does not hold.
std::string_view message(int number);

// The text of a string-table entry; empty when the entry does not exist
// (command 141, for instance, has no help line).
std::string_view string_resource(int number);

// Fixed texts outside the numbered table.
inline constexpr std::string_view kPleaseWait = "Please wait";
inline constexpr std::string_view kErrorOpeningFile = "Error opening file:";
inline constexpr std::string_view kZeroAllocation = "Allocation request for zero bytes. Aborting.";
inline constexpr std::string_view kNoMemory = "Not enough memory. Aborting.";

}  // namespace korvane
