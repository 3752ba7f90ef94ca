#include "hfs/attribute_dialogs.h"

#include <charconv>
#include <cstdio>

#include "core/messages.h"
#include "core/notices.h"
#include "device/sector_io.h"
#include "hfs/mac_date.h"
#include "util/char_tables.h"

namespace korvane {
namespace {

constexpr int kYearPivot = 80;

constexpr const char* kNameUnconvertible = "The name holds a character that has no Macintosh equivalent.";
constexpr const char* kBadCreated = "The creation date is not a valid date.";
constexpr const char* kBadModified = "The modification date is not a valid date.";

// A Windows text as Macintosh bytes; nothing when a character has no equivalent.
std::optional<std::string> mac_text(std::string_view windows) {
    std::string mac = translated(windows, ansi_to_mac);
    if (mac.size() != windows.size()) return std::nullopt;
    return mac;
}

std::string extents_text(HfsContext& ctx, const FileRecordCopy& file, std::size_t offset) {
    const ExtentRecordBytes record(file.data.data() + offset, kExtentRecordSize);
    const unsigned long perBlock = ctx.geometry.sectorsPerBlock;
    std::string text;
    for (int i = 0; i < 3; ++i) {
        const ExtentDescriptor extent = extent_descriptor(record, i);
        if (i > 0) text += ", ";
        text += std::to_string(extent.startBlock * perBlock) + "/" + std::to_string(extent.block_count * perBlock);
    }
    return text;
}

bool refuse(HfsContext& ctx, const std::string& text) {
    show_notice(ctx, text);
    ctx.outcome.failureReported = true;
    return false;
}

// The stored date: unchanged fields keep the date as it was, seconds and all.
bool edited_date(HfsContext& ctx, const DateFields& fields, std::uint32_t& date, const char* invalid) {
    if (fields == date_fields_of(date)) return true;
    const auto changed = mac_date_of(fields);
    if (!changed) return refuse(ctx, invalid);
    date = *changed;
    return true;
}

// A type or creator left as shown stays as stored, even where the Windows
// character set has no equivalent for one of its characters.
bool edited_signature(HfsContext& ctx, std::string_view text, std::array<std::uint8_t, 4>& bytes, const char* what) {
    if (text == translated(signature_text(bytes), mac_to_ansi)) return true;
    const auto mac = mac_text(text);
    if (!mac) return refuse(ctx, std::string("The ") + what + " holds a character that has no Macintosh equivalent.");
    const auto signature = signature_of(*mac);
    if (!signature) return refuse(ctx, std::string("The ") + what + " has at most 4 characters.");
    bytes = *signature;
    return true;
}

int number(std::string_view text) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

}  // namespace

int year_field(int year) { return year - 1900; }
int year_of_field(int field) { return field < kYearPivot ? 2000 + field : 1900 + field; }

DateFields date_fields_of(std::uint32_t macDate) {
    const MacDateFields f = mac_date_to_calendar(macDate);
    return {f.year, f.month, f.day, f.hour, f.minute};
}

std::optional<std::uint32_t> mac_date_of(const DateFields& fields) {
    if (fields.hour < 0 || fields.hour > 23 || fields.minute < 0 || fields.minute > 59) return std::nullopt;
    const std::uint32_t date = fields_to_mac_date(fields.year, fields.month, fields.day, fields.hour, fields.minute);
    // The conversion saturates and accepts 31 February: only a date that
    // comes back as typed is the date typed.
    if (date_fields_of(date) != fields) return std::nullopt;
    return date;
}

std::string date_text(const DateFields& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", f.year, f.month, f.day, f.hour, f.minute);
    return text;
}

std::optional<DateFields> parse_date_text(std::string_view text) {
    // YYYY-MM-DD HH:MM, each part its exact number of digits.
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':')
        return std::nullopt;
    DateFields f{number(text.substr(0, 4)), number(text.substr(5, 2)), number(text.substr(8, 2)),
                 number(text.substr(11, 2)), number(text.substr(14, 2))};
    if (f.year < 0 || f.month < 0 || f.day < 0 || f.hour < 0 || f.minute < 0) return std::nullopt;
    return f;
}

std::vector<std::string> AttributesDialog::lines() const {
    return {"Filename: " + file_name,
            "Creator: " + creator,
            "Filetype: " + file_type,
            "Created: " + date_text(created),
            "Modified: " + date_text(modified),
            "Data fork length: " + std::to_string(data_length),
            "Resource fork length: " + std::to_string(resource_length)};
}

AttributesDialog attributes_dialog_for(HfsContext& ctx, const FileRecordCopy& file) {
    const FileAttributes attributes = attributes_of(file);
    AttributesDialog dialog;
    dialog.file_name = translated(file.name, mac_to_ansi);
    dialog.creator = translated(signature_text(attributes.creator), mac_to_ansi);
    dialog.file_type = translated(signature_text(attributes.type), mac_to_ansi);
    dialog.created = date_fields_of(attributes.created);
    dialog.modified = date_fields_of(attributes.modified);
    dialog.data_length = file.field32(filrec::dataLogicalLength);
    dialog.resource_length = file.field32(filrec::resourceLogicalLength);
    dialog.advanced.file_name = dialog.file_name;
    dialog.advanced.file_number = std::to_string(file.field32(filrec::fileNumber));
    dialog.advanced.data_extents = extents_text(ctx, file, filrec::data_extents);
    dialog.advanced.resource_extents = extents_text(ctx, file, filrec::resource_extents);
    return dialog;
}

std::optional<FileAttributes> edited_attributes(HfsContext& ctx, const AttributesDialog& dialog,
                                                const FileRecordCopy& file) {
    FileAttributes attributes = attributes_of(file);
    // A name left as shown stays as stored, even where the Windows character
    // set has no equivalent for one of its characters.
    if (dialog.file_name != translated(file.name, mac_to_ansi)) {
        // ':' has no Macintosh equivalent in the table: say what is wrong with it first.
        if (const char* problem = file_name_problem(dialog.file_name)) return refuse(ctx, problem), std::nullopt;
        const auto name = mac_text(dialog.file_name);
        if (!name) return refuse(ctx, kNameUnconvertible), std::nullopt;
        attributes.name = *name;
    }
    if (!edited_signature(ctx, dialog.file_type, attributes.type, "file type") ||
        !edited_signature(ctx, dialog.creator, attributes.creator, "creator") ||
        !edited_date(ctx, dialog.created, attributes.created, kBadCreated) ||
        !edited_date(ctx, dialog.modified, attributes.modified, kBadModified))
        return std::nullopt;
    return attributes;
}

std::optional<FileAttributes> edit_file_attributes(HfsContext& ctx, const FileRecordCopy& file) {
    AttributesDialog dialog = attributes_dialog_for(ctx, file);
    if (ctx.host.run_dialog(dialog) != kDialogOk) return std::nullopt;
    if (ctx.state.target_id != kNoDrive && probe_write_protect(ctx, ctx.state.target_id) == kWriteProtected &&
        !ctx.host.ask_ok_cancel(std::string(message(Msg::kWriteProtected))))
        return std::nullopt;
    const auto attributes = edited_attributes(ctx, dialog, file);
    if (!attributes || !write_file_attributes(ctx, file, *attributes)) return std::nullopt;
    return attributes;
}

bool edit_attributes(HfsContext& ctx, std::string_view mac_name) {
    const auto file = read_file_record(ctx, ctx.state.current_dir_id, mac_name);
    return file && edit_file_attributes(ctx, *file);
}

}  // namespace korvane
