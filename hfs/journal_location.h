#pragma once
// Where the undo journal of a medium lies, and whether there is one: next
// to an image file ("IMAGE.korvane-journal"); for a device, in the user's
// state folder ($XDG_STATE_HOME/korvane, else ~/.local/state/korvane),
// named after the device's path.

#include <cstdint>
#include <string>

namespace korvane {

struct HfsContext;

inline constexpr const char* kJournalSuffix = ".korvane-journal";
// The journal keeps its newest changes within this many bytes (and always
// the newest change, however large); see UndoJournal::trim_to.
inline constexpr std::uint64_t kDefaultJournalLimit = 64ull << 20;

struct JournalSettings {
    bool enabled = true;  // --no-journal turns it off
    std::uint64_t limit = kDefaultJournalLimit;
};

// The journal of the medium at medium_path (an image file or a device).
std::string journal_path_for(const std::string& medium_path);

// The journal of the selected drive's medium; "" when journals are off or
// the medium's place is not known.
std::string selected_drive_journal(HfsContext& ctx);

// Makes the folder that holds a journal when it is missing (the state folder).
bool make_journal_folder(const std::string& journalPath);

}  // namespace korvane
