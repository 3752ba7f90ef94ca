#pragma once
// "File Attributes" (DLG_ATTR) and "For spelunking fans..." (DLG_ATT2): the
// dialogs through which the user reads and edits a file's name, type,
// creator and dates, and inspects its file number and extents. The engine
// fills them, a front end shows them and hands the edited fields back, and
// the engine checks and writes them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dialog.h"
#include "hfs/file_attributes.h"

namespace korvane {

// A date as the dialog edits it. year is the whole year; the window's year
// field shows it less 1900 (year_field / year_of_field).
struct DateFields {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    bool operator==(const DateFields&) const = default;
};

// The year field of the window holds the year less 1900; below 80 it means
// the years from 2000 (5 is 2005, 96 is 1996).
int year_field(int year);
int year_of_field(int field);

DateFields date_fields_of(std::uint32_t macDate);
// The Macintosh date of the fields (seconds 0); nothing for a day that does
// not exist or a date a Macintosh date cannot hold (before 1970 here, after
// early 2040).
std::optional<std::uint32_t> mac_date_of(const DateFields& fields);
// "YYYY-MM-DD HH:MM", and back.
std::string date_text(const DateFields& fields);
std::optional<DateFields> parse_date_text(std::string_view text);

class SpelunkingDialog : public Dialog {
public:
    std::string_view name() const override { return "DLG_ATT2"; }
    static constexpr const char* kTitle = "For spelunking fans...";
    // All in the Windows character set, as shown.
    std::string file_name;
    std::string file_number;
    std::string data_extents;  // "start/count, start/count, start/count" in sectors
    std::string resource_extents;
};

// Ends with kDialogOk for "Write", kDialogCancel for "Quit", Cancel or Close.
// The front end writes the edited fields back into the same object and may
// show `advanced` (DLG_ATT2) for "Advanced".
class AttributesDialog : public Dialog {
public:
    std::string_view name() const override { return "DLG_ATTR"; }
    static constexpr const char* kTitle = "File Attributes";
    static constexpr std::size_t kMaxNameLength = 31;
    // Texts in the Windows character set.
    std::string file_name;
    std::string creator;
    std::string file_type;
    DateFields created;
    DateFields modified;
    std::uint32_t data_length = 0;
    std::uint32_t resource_length = 0;
    SpelunkingDialog advanced;

    // The dialog's fields as lines "Label: value", as korvane-cmd prints them.
    std::vector<std::string> lines() const;
};

// The dialogs filled from a file's record.
AttributesDialog attributes_dialog_for(HfsContext& ctx, const FileRecordCopy& file);

// The attributes as edited: nothing, reported (the run is marked as failed),
// when a field cannot be stored. A date is stored only when its fields
// changed, so that a date with seconds, or one the fields cannot show, stays
// as it is.
std::optional<FileAttributes> edited_attributes(HfsContext& ctx, const AttributesDialog& dialog,
                                                const FileRecordCopy& file);

// Runs "File Attributes" on the file named exactly mac_name in the current
// folder and, on "Write", asks before writing to a write-protected medium,
// then writes the change. True when the volume changed.
bool edit_attributes(HfsContext& ctx, std::string_view mac_name);
// The same on a record already read; the attributes written, or nothing
// when the volume did not change.
std::optional<FileAttributes> edit_file_attributes(HfsContext& ctx, const FileRecordCopy& file);

}  // namespace korvane
