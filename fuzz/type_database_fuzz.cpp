// Loads the input as VLCREAT.DAT from the current folder (a scratch folder
// of the run), then asks the table for the type of every extension the
// input's lines begin with and for the extension of every type it holds.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/quiet_host.h"
#include "transfer/transfer_context.h"
#include "transfer/type_database.h"
#include "transfer/type_table.h"

namespace {

bool enter_scratch_folder() {
    const char* dir = std::getenv("TMPDIR");
    const std::filesystem::path folder = std::filesystem::path(dir != nullptr && *dir != '\0' ? dir : "/tmp") /
                                         ("korvane-vlcreat-" + std::to_string(getpid()));
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return chdir(folder.c_str()) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    static const bool entered = enter_scratch_folder();
    if (!entered) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::ofstream("VLCREAT.DAT", std::ios::binary | std::ios::trunc)
            .write(text.data(), static_cast<std::streamsize>(size));
    QuietHost host;
    TransferContext ctx(host);
    load_type_database(ctx);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, std::min<std::size_t>(end - start, 8));
        const std::string type = type_for_extension(ctx.type_table, "name." + std::string(line));
        if (type.size() != 8) std::abort();
        extension_for_type(ctx.type_table, type);
        start = end + 1;
    }
    return 0;
}
