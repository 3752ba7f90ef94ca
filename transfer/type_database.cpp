#include "transfer/type_database.h"

#include <sys/stat.h>

#include <fstream>
#include <string>

namespace korvane {

namespace {
constexpr const char* kDatabaseFile = "VLCREAT.DAT";
}

void load_type_database(TransferContext& ctx) {
    if (ctx.type_database_loaded) return;
    ctx.type_database_loaded = true;
    struct stat info {};
    if (stat(kDatabaseFile, &info) != 0 || !S_ISREG(info.st_mode)) return;
    std::ifstream file(kDatabaseFile, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!apply_type_database_line(ctx.type_table, line)) ctx.host.beep();
    }
}

}  // namespace korvane
