#pragma once
// Locking a removable medium in its drive (PREVENT ALLOW MEDIUM REMOVAL) and
// remembering which drives this run has locked, so that each lock is undone
// on the drive that took it, even after another drive has been selected, and
// so that no medium stays locked after Korvane ends.

#include <cstdint>
#include <vector>

namespace korvane {

class Transport;

// A drive on the bus: host adapter and target.
struct DriveAddress {
    std::uint8_t adapter = 0;
    std::uint8_t target = 0;
    friend bool operator==(const DriveAddress&, const DriveAddress&) = default;
};

// The drives whose medium this run has locked and not yet unlocked.
struct MediumLocks {
    std::vector<DriveAddress> locked;
    // The drive locked by the menu's "Lock volume": its "Unlock volume" goes there.
    DriveAddress menu_lock;
};

// What the user reads when a drive refuses the command.
inline constexpr const char* kLockFailed = "The drive refused to lock its medium.";
inline constexpr const char* kUnlockFailed = "The drive refused to unlock its medium.";

// Sends PREVENT (lock) or ALLOW (unlock) MEDIUM REMOVAL to the drive and, when
// the drive takes it, records the change. False when the drive refused it.
bool set_medium_lock(Transport& transport, MediumLocks& locks, DriveAddress drive, bool lock);

// Unlocks every medium this run locked (at exit, also after a fatal error).
// A drive that refuses is left as it is: nothing more can be done then.
void release_medium_locks(Transport& transport, MediumLocks& locks);

}  // namespace korvane
