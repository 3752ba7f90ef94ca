#pragma once
// The file-transfer records on top of the HFS context: what copies in both
// directions share for the whole run.

#include <cstdint>
#include <vector>

#include "hfs/hfs_context.h"
#include "transfer/output_port.h"
#include "transfer/type_table.h"

namespace korvane {

struct TransferContext : HfsContext {
    using HfsContext::HfsContext;

    // The extension <-> type and creator table; VLCREAT.DAT changes it once.
    TypeTable type_table = builtin_type_table();
    bool type_database_loaded = false;
    // Files handled by copies in either direction since start-up; it numbers
    // names that clash. Never reset.
    std::uint16_t running_file_count = 0;
    // The devices behind LPT1-LPT3 and COM1-COM4.
    PortDevices port_devices = default_port_devices();
    // The folders a copy to the PC is inside of or has copied, in the order
    // it entered them; a damaged catalog whose folder holds one of them must
    // not send the copy round for ever, nor copy a folder twice.
    std::vector<std::uint32_t> folders_being_copied;
};

}  // namespace korvane
