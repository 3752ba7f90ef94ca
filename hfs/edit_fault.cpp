#include "hfs/edit_fault.h"

#include "core/messages.h"

namespace korvane {

const char* edit_fault_text(EditFault fault) {
    switch (fault) {
        case EditFault::Damaged:
            return "The catalog or extents tree is damaged: nothing was changed.";
        case EditFault::NoCatalogRoom:
            return message(Msg::kCatalogNotExtended).data();
        case EditFault::NoExtentsRoom:
            return "The extents file is full: nothing was changed.";
        case EditFault::None:
        case EditFault::Refused:
            break;
    }
    return "";
}

}  // namespace korvane
