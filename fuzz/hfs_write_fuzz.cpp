// Opens a mutated medium for writing and applies a short script of changes
// through the command language (MD, MCOPY, RENAME, DELETE, ATTRIB, SWAP, CD),
// then CHECK. The input's last 16 bytes are the script, the rest the medium.
// A crash, a hang, a sanitizer report, or a write outside the volume's
// partition (the image's write log tells) is a finding.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/context.h"
#include "core/quiet_host.h"
#include "device/image_bus.h"
#include "device/sector_io.h"
#include "fuzz/fuzz_drive.h"
#include "hfs/catalog_records.h"
#include "volume/discovery.h"
#include "volume/partition_map.h"

namespace korvane {
namespace {

constexpr std::size_t kScriptBytes = 16;

// Says yes to every question and OK to every dialog, so that the script's
// changes go as far as they can.
class AgreeingHost : public QuietHost {
public:
    bool ask_ok_cancel(const std::string&) override { return true; }
    bool ask_yes_no(const std::string&) override { return true; }
    Choice ask_yes_no_cancel(const std::string&) override { return Choice::Yes; }
    int run_dialog(Dialog&) override { return 1; }
};

// The PC folder MCOPY copies from: a plain file and a MacBinary file.
std::string make_pc_folder() {
    const std::string folder = fuzz::scratch_path("korvane-write-fuzz-pc-");
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/plain.txt", std::ios::binary) << std::string(3000, 'p');
    std::string mac_binary(128, '\0');
    mac_binary[1] = 4;
    mac_binary.replace(2, 4, "Both");
    mac_binary[86] = 1;  // a data fork of 256 bytes
    mac_binary[90] = 1;  // a resource fork of 256 bytes
    mac_binary += std::string(512, 'm');
    std::ofstream(folder + "/both.bin", std::ios::binary) << mac_binary;
    return folder;
}

// Discovery as the program runs it, taking the first partition of a map,
// and refusing what the program refuses before it copies a catalog.
bool open_volume(Context& ctx, std::size_t imageSize) {
    install_transfer_routine(ctx, 512);
    const PartitionMapReading map = read_partition_map(ctx);
    const std::int32_t found = read_volume_header(ctx, map.result > 0 ? map.volume_start : 0);
    if (found <= 0 || extent_descriptor(ctx.mdb.catalog_extents(), 0).block_count == 0) return false;
    if (ctx.mdb.catalog_file_size() > 2 * imageSize || ctx.mdb.extents_file_size() > 2 * imageSize) return false;
    ctx.state.volume_start = found;
    open_found_volume(ctx, found);
    return true;
}

// A name for the script: one of a few new names, or an entry of the listing.
std::string name_for(const Context& ctx, std::uint8_t choice) {
    const auto& entries = ctx.state.entries;
    if (choice % 2 == 0 || entries.empty()) return "n" + std::to_string(choice % 5);
    return std::string(entries[choice / 2 % entries.size()].name());
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string script_line(const Context& ctx, std::uint8_t op) {
    const std::string name = quoted(name_for(ctx, op >> 3));
    switch (op & 7) {
        case 0:
            return "MD " + name;
        case 1:
            return (op & 8) != 0 ? "MCOPY both.bin /B" : "MCOPY plain.txt /D";
        case 2:
            return "RENAME " + name + " " + quoted(name_for(ctx, op >> 2));
        case 3:
            return "DELETE " + name;
        case 4:
            return "ATTRIB " + name + " \"type=TEXT,creator=ttxt,modified=1999-12-31 23:59\"";
        case 5:
            return "SWAP " + name;
        case 6:
            return (op & 8) != 0 ? "CD \\" : "CD " + name;
        default:
            return "CHECK";
    }
}

// Every write of the log lies in [first, first + count) of the volume's
// range: its partition, or the whole medium; sector 0 is the write guard's
// probe, which puts back what it read.
void expect_writes_inside(const std::string& log, std::uint64_t first, std::uint64_t count) {
    std::ifstream in(log);
    std::uint64_t sector = 0, sectors = 0;
    while (in >> sector >> sectors) {
        if (sector == 0 && sectors == 1) continue;
        if (sector < first || sector + sectors > first + count) std::abort();
    }
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    static const std::string image = fuzz::scratch_path("korvane-write-fuzz-image-");
    static const std::string log = fuzz::scratch_path("korvane-write-fuzz-log-");
    static const std::string pcFolder = make_pc_folder();
    static const bool bounded = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64u << 20, 64u << 20};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0 && chdir(pcFolder.c_str()) == 0;
    }();
    if (!bounded || size < 3 * 512 + kScriptBytes) return 0;
    const std::size_t imageSize = size - kScriptBytes;
    if (!fuzz::write_image(image, data, imageSize)) return 0;
    std::filesystem::remove(log);

    AgreeingHost host;
    Context ctx(host);
    if (!fuzz::attach_as_drive(ctx, image + ",writelog=" + log)) return 0;
    if (!open_volume(ctx, imageSize)) return 0;
    const std::uint64_t first = ctx.geometry.partitionSectors != 0 ? ctx.geometry.partitionStart : 0;
    const std::uint64_t count = ctx.geometry.partitionSectors != 0 ? ctx.geometry.partitionSectors : imageSize / 512;

    CommandHandlers handlers;
    connect_command_handlers(handlers);
    for (std::size_t i = imageSize; i < size; ++i) run_command_line(ctx, handlers, script_line(ctx, data[i]));
    run_command_line(ctx, handlers, "CHECK");
    expect_writes_inside(log, first, count);
    return 0;
}
