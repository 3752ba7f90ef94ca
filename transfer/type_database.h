#pragma once
// Loading VLCREAT.DAT, the optional type database in the current directory,
// into the type table: once per run of the program.

#include "transfer/transfer_context.h"

namespace korvane {

// Reads VLCREAT.DAT the first time it is called in a run; later calls do
// nothing. A missing file leaves the built-in table; a line that finds no
// free row beeps and is ignored.
void load_type_database(TransferContext& ctx);

}  // namespace korvane
