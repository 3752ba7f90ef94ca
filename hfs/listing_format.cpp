#include "hfs/listing_format.h"

#include <cstdio>
#include <cstring>

#include "hfs/catalog_records.h"
#include "hfs/mac_date.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

inline constexpr std::uint32_t kLargestShownLength = 9999999;
inline constexpr std::size_t kDataLengthEnd = 41;      // last digit
inline constexpr std::size_t kResourceLengthEnd = 50;  // last digit
inline constexpr std::size_t kLengthPlaces = 7;        // places up to the last digit
inline constexpr std::size_t kValenceEnd = 60;         // the closing bracket
inline constexpr std::size_t kDirMarkOffset = 37;
inline constexpr std::size_t kColumnEnds[] = {43, 52, 61, 76, 91};

// Writes text so that its last character lands at byte last.
void place_ending_at(ListingEntry& entry, std::size_t last, const std::string& text) {
    const std::size_t start = last + 1 - text.size();
    std::memcpy(entry.bytes.data() + start, text.data(), text.size());
}

// A length ends at lastDigit, except one of eight characters (the largest
// kilobyte figures): that takes the whole column, up to the place before the
// column's separator, as a place further left belongs to the name.
void place_length(ListingEntry& entry, std::size_t lastDigit, std::uint32_t length) {
    const std::string text = format_length(length);
    place_ending_at(entry, text.size() > kLengthPlaces ? lastDigit + 1 : lastDigit, text);
}

void place(ListingEntry& entry, std::size_t offset, std::string_view text) {
    std::memcpy(entry.bytes.data() + offset, text.data(), text.size());
}

void blank_display_text(ListingEntry& entry) {
    std::memset(entry.bytes.data() + ListingEntry::kDisplayOffset, ' ',
                ListingEntry::kSize - ListingEntry::kDisplayOffset);
    for (std::size_t end : kColumnEnds) entry.bytes[end] = 0;
}

}  // namespace

std::string format_length(std::uint32_t length) {
    if (length <= kLargestShownLength) return std::to_string(length);
    std::uint32_t shown = length / 1024;
    char unit = 'k';
    if (shown > kLargestShownLength) {
        shown /= 1024;
        unit = 'M';
    }
    return std::to_string(shown) + unit;
}

std::string format_mac_date(std::uint32_t date) {
    const MacDateFields f = mac_date_to_fields(date);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d", f.month, f.day, f.year % 100, f.hour, f.minute);
    return text;
}

ListingEntry make_listing_entry(std::string_view name, std::span<const std::uint8_t> data) {
    ListingEntry entry;
    entry.bytes[1] = data[0];
    std::memcpy(entry.bytes.data() + ListingEntry::kNameOffset, name.data(), std::min(name.size(), kMaxNameLength));
    blank_display_text(entry);
    const std::uint8_t* p = data.data();
    if (data[0] == kDirectoryRecord) {
        place(entry, kDirMarkOffset, "<DIR>");
        place_ending_at(entry, kValenceEnd, "[" + std::to_string(load_be16(p + dirrec::valence)) + "]");
        place(entry, ListingEntry::kCreatedOffset, format_mac_date(load_be32(p + dirrec::created)));
        place(entry, ListingEntry::kModifiedOffset, format_mac_date(load_be32(p + dirrec::modified)));
    } else {
        place_length(entry, kDataLengthEnd, load_be32(p + filrec::dataLogicalLength));
        place_length(entry, kResourceLengthEnd, load_be32(p + filrec::resourceLogicalLength));
        place(entry, ListingEntry::kSignatureOffset,
              std::string_view(reinterpret_cast<const char*>(p + filrec::fileType), 8));
        place(entry, ListingEntry::kCreatedOffset, format_mac_date(load_be32(p + filrec::created)));
        place(entry, ListingEntry::kModifiedOffset, format_mac_date(load_be32(p + filrec::modified)));
    }
    return entry;
}

}  // namespace korvane
