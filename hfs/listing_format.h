#pragma once
// The preformatted columns of a listed directory or file.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/listing_entry.h"

namespace korvane {

// A length right-aligned in a 7-character field; above 9,999,999 shown in
// kilobytes with "k" (or megabytes with "M") in the last position.
std::string format_length(std::uint32_t length);

// "MM/DD/YY HH:MM" of a Macintosh date (host order).
std::string format_mac_date(std::uint32_t date);

// The entry for a directory (data[0] = 1) or file (data[0] = 2) record whose
// data is whole (is_whole_record).
ListingEntry make_listing_entry(std::string_view name, std::span<const std::uint8_t> data);

}  // namespace korvane
