#pragma once
// Formatting the selected drive's medium as one empty HFS volume: the
// medium's size (READ CAPACITY, or the capacity dialog), the zeroed start
// of the medium, the structures of volume/format_layout.h, the opening of
// the new volume and the Finder's desktop files, written through the same
// engine as every copied file.
//
// The whole format is one change of the medium's undo journal, the desktop
// files' write-back included: the old contents of every sector it writes
// go to the journal before the first write. A format that cannot complete
// stops there, says so and puts back what it wrote; without a journal (or
// when putting back fails) it leaves no volume open on the half-written
// medium.

#include <cstdint>
#include <string_view>

#include "transfer/transfer_context.h"
#include "volume/copied_drivers.h"
#include "volume/format_layout.h"

namespace korvane {

// Up to six READ CAPACITY attempts (each after a bus device reset when the
// reset option is on); then "Drive not ready or no floppy disk." and the
// capacity dialog. Returns C, or 0 when neither gave a size. Sets the
// device's sector size from the drive's answer.
std::uint32_t identify_medium(TransferContext& ctx);

// Writes the whole layout for the medium of params with the volume name
// (Windows character set; empty means "Untitled"), opens the new volume and
// creates the desktop files. The driver partitions are the copied ones when
// drivers is given (params.hfsStart then follows them), else one empty one.
// False, reported, when it could not complete: the volume that was there is
// open again when the journal put it back, else no volume is open.
bool write_volume(TransferContext& ctx, const FormatParameters& params, FormatStyle style, std::string_view pc_name,
                  const CopiedDrivers* drivers = nullptr);

}  // namespace korvane
