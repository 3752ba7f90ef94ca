#pragma once
// Ground of the tests of interrupted write-backs: one volume made by
// hfsutils that every modifying command of the table can work on, the
// commands themselves, korvane-cmd run on a fresh copy with an image option
// that fails or kills write command k, and what the medium holds afterwards
// as CHECK, hfsutils and a byte comparison see it.

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/image_reading.h"

namespace korvane::e2e {

// A modifying command as a user types it, on the volume of base_volume().
struct WriteOperation {
    const char* name;
    const char* line;  // one line of the command language
    // A format replaces the volume: cut short by a drive that stops
    // writing, it cannot put back what it wrote and leaves a sound new
    // volume that is not yet the whole one, or no volume at all.
    bool replacesVolume = false;
};

inline const std::vector<WriteOperation>& write_operations() {
    static const std::vector<WriteOperation> operations = {
            {"make folder", "MD \"New folder\""},
            {"delete a tree of folders", "DELETE Tree"},
            // The new name lands in the first leaf, which has no room for it.
            {"rename with a split leaf", "RENAME zz \"A renamed file, long name .....\""},
            {"copy 50 files in", "MCOPY *"},
            {"attribute edit", "ATTRIB Memo \"type=PICT,creator=ttxt,created=1996-05-04 12:00\""},
            {"fork swap", "SWAP Resources"},
            {"volume label", "LABEL \"New label\""},
            {"format", "FORMAT \"Fresh volume\"", true},
    };
    return operations;
}

// The volume and the PC folder that the operations work on, made once.
struct BaseVolume {
    ScratchDir dir;
    std::string image;
    std::string pcDir;
};

inline const BaseVolume& base_volume() {
    static const std::unique_ptr<BaseVolume> base = [] {
        auto made = std::make_unique<BaseVolume>();
        HfsutilsVolume volume(made->dir, "base.img", 1600, "Base");
        // Sixty names of 31 characters leave the first leaf without room
        // for another: hfsutils fills it with the root's records and two files.
        std::vector<std::pair<std::string, std::string>> files;
        for (int i = 0; i < 60; ++i) {
            char name[48];
            std::snprintf(name, sizeof name, "Long file name number %02d ......", i);
            files.emplace_back(name, "file " + std::to_string(i));
        }
        volume.add_files(":", files);
        volume.add_text_file(":Memo", "A note.");
        volume.add_forked_file(":", "Resources", "APPL", "KRVN", "data fork bytes", std::string(1500, 'r'));
        volume.add_folder(":Tree");
        volume.add_folder(":Tree:A");
        volume.add_folder(":Tree:A:A1");
        volume.add_folder(":Tree:B");
        volume.addFile(":Tree:A:A1:deep", std::string(3000, 'd'));
        volume.addFile(":Tree:B:leaf", "leaf");
        volume.addFile(":zz", "zz");
        volume.unmount();
        made->image = volume.image();
        made->pcDir = made->dir / "pc";
        std::filesystem::create_directory(made->pcDir);
        for (int i = 1; i <= 50; ++i) {
            char name[24];
            std::snprintf(name, sizeof name, "pc%03d.txt", i);
            std::ofstream(made->pcDir + "/" + name, std::ios::binary) << std::string(std::size_t(i) * 97, 'a' + i % 26);
        }
        return made;
    }();
    return *base;
}

inline CmdRun run_operation(const ScratchDir& dir, const std::string& imageArgument, const WriteOperation& op) {
    return run_korvane_cmd(dir.path(), {"--yes", "--pc-dir", base_volume().pcDir, imageArgument, "-c", op.line});
}

// Korvane's CHECK from the command line: its exit status (0 sound, 3 damage
// named) and its lines.
inline CmdRun check_from_command_line(const ScratchDir& dir, const std::string& image) {
    return run_korvane_cmd(dir.path(), {image, "-c", "CHECK"});
}

// The base volume before and after an operation that ran without faults,
// and how many write commands it made.
struct OperationBaseline {
    std::string before;  // image files
    std::string after;
    std::string beforeBytes;
    std::string afterBytes;
    std::string beforeListing;
    std::string afterListing;
    std::size_t writes = 0;
};

inline OperationBaseline measure_operation(const ScratchDir& dir, const WriteOperation& op) {
    OperationBaseline baseline;
    // hfsutils reads copies: the base volume stays as hformat left it.
    baseline.before = dir / "before.img";
    baseline.after = dir / "after.img";
    copy_image(base_volume().image, baseline.before);
    copy_image(base_volume().image, baseline.after);
    const std::string log = dir / "writes.log";
    const CmdRun run = run_operation(dir, baseline.after + ",writelog=" + log, op);
    EXPECT_EQ(run.status, 0) << op.name << ": " << run.err;
    EXPECT_EQ(check_from_command_line(dir, baseline.after).status, 0) << op.name;
    baseline.writes = count_lines(read_all(log));
    baseline.beforeBytes = file_bytes(baseline.before);
    baseline.afterBytes = file_bytes(baseline.after);
    baseline.beforeListing = hfsutils_listing(dir, baseline.before);
    baseline.afterListing = hfsutils_listing(dir, baseline.after);
    EXPECT_NE(baseline.afterListing, "") << op.name;
    EXPECT_NE(baseline.beforeListing, baseline.afterListing) << op.name;
    return baseline;
}

}  // namespace korvane::e2e
