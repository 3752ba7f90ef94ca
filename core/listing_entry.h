#pragma once
// One listed file or folder: a 92-byte record holding the selection mark and
// the preformatted columns that the listing paints. Filled by the catalog
// enumeration (hfs/current_directory.cpp); the view paints the columns as
// stored and keeps the selection mark.
//
//   0       selected (1 / 0)
//   1       record type: 1 folder, 2 file
//   2..34   name, Macintosh character set, NUL-terminated
//   35..91  display text, blanks with NULs at 43, 52, 61, 76 and 91:
//           35 size (8), 44 resource size (8), 53 signature or [valence] (8),
//           62 created (14), 77 modified (14)

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace korvane {

struct ListingEntry {
    static constexpr std::size_t kSize = 92;
    static constexpr std::size_t kSelectedOffset = 0;
    static constexpr std::size_t kRecordTypeOffset = 1;
    static constexpr std::size_t kNameOffset = 2;
    static constexpr std::size_t kNameField = 33;
    static constexpr std::size_t kDisplayOffset = 35;
    static constexpr std::size_t kDisplayLength = 56;  // bytes 35..90
    static constexpr std::size_t kSizeOffset = 35;
    static constexpr std::size_t kResourceOffset = 44;
    static constexpr std::size_t kSignatureOffset = 53;
    static constexpr std::size_t kCreatedOffset = 62;
    static constexpr std::size_t kModifiedOffset = 77;
    static constexpr std::uint8_t kFolder = 1;
    static constexpr std::uint8_t kFile = 2;

    std::array<std::uint8_t, kSize> bytes{};

    bool selected() const { return bytes[kSelectedOffset] != 0; }
    void set_selected(bool on) { bytes[kSelectedOffset] = on ? 1 : 0; }
    std::uint8_t record_type() const { return bytes[kRecordTypeOffset]; }
    void set_record_type(std::uint8_t type) { bytes[kRecordTypeOffset] = type; }
    bool is_folder() const { return bytes[kRecordTypeOffset] == kFolder; }

    // The name in the Macintosh character set (up to its NUL).
    std::string_view name() const {
        const char* start = reinterpret_cast<const char*>(bytes.data() + kNameOffset);
        return {start, strnlen(start, kNameField)};
    }

    std::string_view size_column() const { return column(kSizeOffset, 8); }
    std::string_view resource_column() const { return column(kResourceOffset, 8); }
    std::string_view signature_column() const { return column(kSignatureOffset, 8); }
    std::string_view created_column() const { return column(kCreatedOffset, 14); }
    std::string_view modified_column() const { return column(kModifiedOffset, 14); }
    // Bytes 35..90, NULs included (they separate the columns).
    std::string_view display_text() const { return column(kDisplayOffset, kDisplayLength); }

private:
    std::string_view column(std::size_t offset, std::size_t width) const {
        return {reinterpret_cast<const char*>(bytes.data() + offset), width};
    }
};

static_assert(sizeof(ListingEntry) == ListingEntry::kSize);

}  // namespace korvane
