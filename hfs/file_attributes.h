#pragma once
// A file's own attributes as the catalog holds them (name, type, creator,
// creation and modification dates) and their change as one modification:
// the record edited, the key renamed when the name changed, written back
// to the medium, or nothing changed at all.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hfs/catalog_records.h"
#include "hfs/hfs_context.h"

namespace korvane {

// A copy of one file's catalog record, found by its exact name.
struct FileRecordCopy {
    std::uint32_t parentID = 0;
    std::string name;  // Macintosh character set
    std::array<std::uint8_t, kFileRecordSize> data{};

    std::uint32_t field32(std::size_t offset) const;
};

// The file record named exactly name (never a pattern) in parentID; nothing
// when there is none or the entry is a folder or damaged.
std::optional<FileRecordCopy> read_file_record(HfsContext& ctx, std::uint32_t parentID, std::string_view name);

// What the user may change. Type and creator are four bytes each, a shorter
// text padded with zero bytes; dates are Macintosh dates in host order.
struct FileAttributes {
    std::string name;  // Macintosh character set
    std::array<std::uint8_t, 4> type{};
    std::array<std::uint8_t, 4> creator{};
    std::uint32_t created = 0;
    std::uint32_t modified = 0;
};

FileAttributes attributes_of(const FileRecordCopy& file);

// Four bytes from a text of at most four characters, zero-padded.
std::optional<std::array<std::uint8_t, 4>> signature_of(std::string_view text);
// The four bytes as a text, trailing zero bytes dropped.
std::string signature_text(const std::array<std::uint8_t, 4>& bytes);

// Why a Macintosh file name cannot be used (empty, longer than 31
// characters, holding ':'); nullptr when it can.
const char* file_name_problem(std::string_view mac_name);

// Stores the attributes in the file's record and, when the name changed,
// moves the record to its new key (refused when another entry of the folder
// has that name), then writes the volume back. Every refusal and failure is
// reported (the run is marked as failed) and leaves the medium as it was.
bool write_file_attributes(HfsContext& ctx, const FileRecordCopy& file, const FileAttributes& changed);

}  // namespace korvane
