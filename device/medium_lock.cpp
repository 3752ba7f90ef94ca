#include "device/medium_lock.h"

#include <algorithm>

#include "device/transport.h"

namespace korvane {

bool set_medium_lock(Transport& transport, MediumLocks& locks, DriveAddress drive, bool lock) {
    if (transport.prevent_removal(drive.adapter, drive.target, lock) != kStatusDone) return false;
    std::erase(locks.locked, drive);
    if (lock) locks.locked.push_back(drive);
    return true;
}

void release_medium_locks(Transport& transport, MediumLocks& locks) {
    // A copy: each successful unlock takes its drive out of the list.
    const std::vector<DriveAddress> locked = locks.locked;
    for (const DriveAddress& drive : locked) set_medium_lock(transport, locks, drive, false);
}

}  // namespace korvane
