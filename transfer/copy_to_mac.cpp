#include "transfer/copy_to_mac.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/notices.h"
#include "hfs/btree_node.h"
#include "hfs/catalog_search.h"
#include "hfs/folder_edit.h"
#include "hfs/leaf_insert.h"
#include "hfs/mac_date.h"
#include "hfs/node_edit.h"
#include "hfs/tree_keys.h"
#include "hfs/write_back.h"
#include "transfer/copy_texts.h"
#include "transfer/dos_name.h"
#include "transfer/mac_fork_writer.h"
#include "transfer/mac_name.h"
#include "transfer/macbinary_header.h"
#include "transfer/type_database.h"
#include "util/byte_order.h"
#include "util/char_tables.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

// The longest fork HFS can describe: its lengths are signed 32-bit numbers.
constexpr std::uint64_t kLargestFork = 0x7FFFFFFF;
// Longer PC names are shortened on the status line.
constexpr std::size_t kShownNameMax = 25;

constexpr std::string_view kPcFileUnreadable = "The PC file %s cannot be read; it was not copied.";
constexpr std::string_view kPcFileTooLarge =
        "The PC file %s is larger than a Macintosh fork can hold (2 GB); it was not copied.";
constexpr std::string_view kFolderNotReplaced =
        "%s is a folder on the Macintosh volume and a file cannot replace it; the file was not copied.";
constexpr std::string_view kReplacedFileKept = "The file it was to replace is kept.";
constexpr std::string_view kFileInTheWay =
        "%s is a file on the Macintosh volume; the PC directory of that name was not copied.";
constexpr const char* kMediumNotWritten = "The Macintosh volume could not be written: nothing was changed.";

// How one entry's copy ended.
enum class CopyEnd {
    Copied,
    Skipped,  // reported; the copy goes on
    Failed,   // reported; stops a copy at the top level, skipped inside a folder
    Stopped,  // Esc, or a change that dropped every change: the whole copy ends
};

struct PcEntry {
    std::string name;   // the real name, for every file-system call
    std::string shown;  // the name in the Windows character set
    bool directory = false;
};

// What the new Macintosh file gets, besides its forks' blocks.
struct NewFile {
    std::string mac_name;
    std::array<std::uint8_t, 8> type_creator{};
    std::uint16_t finder_flags = 0;
    std::uint32_t created = 0;
    std::uint32_t modified = 0;
    MacFork data{kDataFork};
    MacFork resource{kResourceFork};
};

CopyEnd reported(TransferContext& ctx, CopyEnd end, const std::string& text) {
    report_copy_failure(ctx, text);
    return end;
}

// A failure of the engine has dropped every change of the command already.
CopyEnd engine_failed(TransferContext& ctx) {
    ctx.outcome.failureReported = true;
    return CopyEnd::Stopped;
}

bool files_only(const TransferContext& ctx) { return (ctx.state.option_flags & kFilesOnly) != 0; }

// The entries of a PC directory whose names match pattern, by name.
std::vector<PcEntry> pc_entries(int dir_fd, std::string_view pattern) {
    std::vector<PcEntry> entries;
    const int listed_fd = dup(dir_fd);
    DIR* dir = listed_fd >= 0 ? fdopendir(listed_fd) : nullptr;
    if (dir == nullptr) {
        if (listed_fd >= 0) close(listed_fd);
        return entries;
    }
    const std::string mask = pattern == "*.*" ? "*" : std::string(pattern);
    while (const dirent* found = readdir(dir)) {
        const std::string name = found->d_name;
        if (name == "." || name == "..") continue;
        PcEntry entry{name, shown_pc_name(name)};
        if (fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
        struct stat info {};
        entry.directory = fstatat(dir_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const PcEntry& a, const PcEntry& b) { return a.name < b.name; });
    return entries;
}

// The kind (kDirectoryRecord, kFileRecord) of the entry named mac_name in
// folder dir_id, with its record's identifier; kind 0 when there is none.
struct MacEntry {
    std::uint8_t kind = 0;
    std::uint32_t id = 0;
};
MacEntry mac_entry(HfsContext& ctx, std::uint32_t dir_id, std::string_view mac_name) {
    TreeFile& tree = ctx.catalogTree;
    if (!find_record(tree, catalog_key(dir_id, mac_name))) return {};
    const auto record = node_record(tree.node, tree.recordIndex);
    const auto key = parse_catalog_key(record);
    if (!key) return {};
    const auto data = catalog_record_data(record, *key);
    if (!is_whole_record(data)) return {};
    if (data[0] == kDirectoryRecord) return {kDirectoryRecord, load_be32(data, dirrec::dir_id)};
    if (data[0] == kFileRecord) return {kFileRecord, load_be32(data, filrec::fileNumber)};
    return {data[0], 0};
}

// ':' separates the parts of a Macintosh path and cannot be in a name.
std::string without_colons(std::string name) {
    std::replace(name.begin(), name.end(), ':', '_');
    return name;
}

// --- the name under which a file goes ---------------------------------------------

struct Placement {
    std::string mac_name;
    bool replace = false;  // the existing file of that name goes once the new one is written
};

std::optional<Placement> free_numbered_name(TransferContext& ctx, const std::string& name) {
    const std::uint32_t dir = ctx.state.current_dir_id;
    for (std::uint32_t number = ctx.running_file_count; number < ctx.running_file_count + 100000u; ++number) {
        std::string candidate = with_clash_suffix(name, number);
        if (mac_entry(ctx, dir, candidate).kind == 0) return Placement{candidate, false};
    }
    return std::nullopt;
}

// The replace question when the name is taken. Yes replaces a file (never
// a folder); No takes the first free numbered name and deletes nothing.
std::optional<Placement> place_file(TransferContext& ctx, const std::string& mac_name, const std::string& shown,
                                    CopyEnd& end) {
    const MacEntry existing = mac_entry(ctx, ctx.state.current_dir_id, mac_name);
    if (existing.kind == 0) return Placement{mac_name, false};
    const std::string question = "The file " + shown + std::string(message(Msg::kAlreadyExistsReplace));
    switch (ctx.host.ask_yes_no_cancel(question)) {
        case Choice::Yes:
            if (existing.kind == kFileRecord) return Placement{mac_name, true};
            end = reported(ctx, CopyEnd::Skipped, format_text(kFolderNotReplaced, shown_mac_name(mac_name)));
            return std::nullopt;
        case Choice::No:
            if (auto placement = free_numbered_name(ctx, mac_name)) return placement;
            end = reported(ctx, CopyEnd::Skipped, format_text(kFileNotCopied, shown));
            return std::nullopt;
        case Choice::Cancel:
            break;
    }
    ctx.outcome.failureReported = true;
    end = CopyEnd::Failed;
    return std::nullopt;
}

// --- the new file -------------------------------------------------------------------

std::uint32_t mac_date_of(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    return fields_to_mac_date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
}

std::vector<std::uint8_t> file_record(const HfsContext& ctx, const NewFile& file, std::uint32_t file_id) {
    const std::uint32_t block_size = ctx.mdb.allocation_block_size();
    std::vector<std::uint8_t> record(kFileRecordSize, 0);
    std::uint8_t* r = record.data();
    r[0] = kFileRecord;
    std::copy(file.type_creator.begin(), file.type_creator.end(), r + filrec::fileType);
    store_be16(r + filrec::finderFlags, file.finder_flags);
    store_be32(r + filrec::fileNumber, file_id);
    store_be32(r + filrec::dataLogicalLength, file.data.length);
    store_be32(r + filrec::dataPhysicalLength, file.data.physical_length(block_size));
    store_be32(r + filrec::resourceLogicalLength, file.resource.length);
    store_be32(r + filrec::resourcePhysicalLength, file.resource.physical_length(block_size));
    store_be32(r + filrec::created, file.created);
    store_be32(r + filrec::modified, file.modified);
    const auto data_extents = file.data.first_extents();
    const auto resource_extents = file.resource.first_extents();
    std::copy(data_extents.begin(), data_extents.end(), r + filrec::data_extents);
    std::copy(resource_extents.begin(), resource_extents.end(), r + filrec::resource_extents);
    return record;
}

void release_blocks(TransferContext& ctx, NewFile& file) {
    release_fork_blocks(ctx, file.data);
    release_fork_blocks(ctx, file.resource);
}

void add_to_counts(TransferContext& ctx, std::uint32_t dir) {
    increment_be32(ctx.mdb.field(mdb::drNxtCNID));
    increment_be32(ctx.mdb.field(mdb::drFilCnt));
    if (dir == kRootDirectoryID) increment_be16(ctx.mdb.field(mdb::drNmFls));
    increment_be32(ctx.catalogTree.header.data() + header::leafRecords);
}

// Writes both forks, then (the old file going only now, so that a file that
// cannot be written never costs the one it was to replace) the catalog.
CopyEnd make_mac_file(TransferContext& ctx, int fd, NewFile& file, const Placement& placement,
                      const std::string& shown) {
    if (!reserve_fork_blocks(ctx, file.data) || !reserve_fork_blocks(ctx, file.resource)) {
        release_blocks(ctx, file);
        std::string text = std::string(message(Msg::kNotEnoughSpace)) + " " + format_text(kFileNotCopied, shown);
        if (placement.replace) text += " " + std::string(kReplacedFileKept);
        return reported(ctx, CopyEnd::Failed, text);
    }
    for (const MacFork* fork : {&file.data, &file.resource}) {
        const ForkWrite written = write_fork_contents(ctx, fd, *fork);
        if (written == ForkWrite::MediumWriteFailed) {
            refuse_change(ctx, kMediumNotWritten);
            return CopyEnd::Stopped;
        }
        if (written == ForkWrite::PcReadFailed) {
            release_blocks(ctx, file);
            return reported(ctx, CopyEnd::Skipped, format_text(kPcFileUnreadable, shown));
        }
    }
    const std::uint32_t dir = ctx.state.current_dir_id;
    if (placement.replace && delete_named_entry(ctx, placement.mac_name) != FolderEditEnd::Done)
        return engine_failed(ctx);
    const std::uint32_t file_id = ctx.mdb.next_catalog_id();
    const EditResult inserted =
            insert_leaf_record(ctx, catalog_key(dir, placement.mac_name), file_record(ctx, file, file_id));
    if (inserted != EditResult::Done) {
        if (inserted == EditResult::Failed) return engine_failed(ctx);
        release_blocks(ctx, file);
        return reported(ctx, CopyEnd::Skipped, format_text(kFileNotCopied, shown));
    }
    add_to_counts(ctx, dir);
    if (!record_overflow_runs(ctx, file.data, file_id) || !record_overflow_runs(ctx, file.resource, file_id))
        return engine_failed(ctx);
    // The free-block count is brought up to date once, by the write-back.
    return CopyEnd::Copied;
}

// The log line and the status text of a file being copied.
void record_copy_to_mac(TransferContext& ctx, const std::string& shown, const std::string& mac_name) {
    const std::string shown_mac = shown_mac_name(mac_name);
    if (ctx.log.is_open()) ctx.log.write(shown + "\t" + shown_mac + "\r\n");
    const std::string short_pc = shown.size() > kShownNameMax ? shown.substr(0, kShownNameMax - 2) + "..." : shown;
    const std::string status = format_text(message(Msg::kCopyOfFile), short_pc, shown_mac);
    set_status(ctx, status.c_str(), nullptr);
}

// Fills the file from a MacBinary PC file; false when it is not one.
bool read_macbinary(int fd, std::uint64_t size, NewFile& file) {
    std::array<std::uint8_t, kMacBinaryHeaderSize> bytes{};
    if (size < bytes.size() || pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        return false;
    const auto header = read_macbinary_header(bytes, size);
    if (!header) return false;
    file.mac_name = without_colons(header->name.substr(0, kMaxNameLength));
    std::copy(header->type.begin(), header->type.end(), file.type_creator.begin());
    std::copy(header->creator.begin(), header->creator.end(), file.type_creator.begin() + 4);
    file.finder_flags = header->finder_flags;
    file.created = header->created;
    file.modified = header->modified;
    file.data.offset = header->data_offset;
    file.data.length = header->data_length;
    file.resource.offset = header->resource_offset;
    file.resource.length = header->resource_length;
    return true;
}

// Fills the file from a PC file taken whole as one fork.
void read_plain(TransferContext& ctx, const PcEntry& entry, const struct stat& info, bool resource, NewFile& file) {
    file.mac_name = without_colons(make_mac_name(pc_name_from_utf8(entry.name, PcCharset::Dos).name));
    const std::string type_creator = type_for_extension(ctx.type_table, entry.shown);
    std::copy_n(type_creator.begin(), std::min<std::size_t>(8, type_creator.size()), file.type_creator.begin());
    file.created = mac_date_of(info.st_mtime);
    file.modified = file.created + 1;
    MacFork& fork = resource ? file.resource : file.data;
    fork.length = static_cast<std::uint32_t>(info.st_size);
}

CopyEnd copy_open_pc_file(TransferContext& ctx, int fd, const struct stat& info, const PcEntry& entry) {
    const std::uint16_t mode = ctx.state.option_flags & kCopyModeMask;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    NewFile file;
    if (mode == kCopyMacBinary) {
        if (!read_macbinary(fd, size, file)) {
            // The status line alone would leave the console user without a word.
            set_status(ctx, std::string(message(Msg::kNotMacBinary)).c_str(), entry.shown.c_str());
            return reported(ctx, CopyEnd::Failed,
                            std::string(message(Msg::kNotMacBinary)) + " " + format_text(kFileNotCopied, entry.shown));
        }
        if (file.data.length > kLargestFork || file.resource.length > kLargestFork)
            return reported(ctx, CopyEnd::Skipped, format_text(kPcFileTooLarge, entry.shown));
    } else {
        if (size > kLargestFork) return reported(ctx, CopyEnd::Skipped, format_text(kPcFileTooLarge, entry.shown));
        read_plain(ctx, entry, info, mode == kCopyResourceFork, file);
    }
    CopyEnd end = CopyEnd::Copied;
    const auto placement = place_file(ctx, file.mac_name, entry.shown, end);
    if (!placement) return end;
    record_copy_to_mac(ctx, entry.shown, placement->mac_name);
    return make_mac_file(ctx, fd, file, *placement, entry.shown);
}

CopyEnd copy_pc_file(TransferContext& ctx, int dir_fd, const PcEntry& entry) {
    // O_NONBLOCK: a FIFO must not hang the copy; it is refused below anyway.
    const int fd = openat(dir_fd, entry.name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0) close(fd);
        return reported(ctx, CopyEnd::Skipped, format_text(kPcFileUnreadable, entry.shown));
    }
    const CopyEnd end = copy_open_pc_file(ctx, fd, info, entry);
    close(fd);
    return end;
}

// --- folders ------------------------------------------------------------------------

CopyEnd copy_entries(TransferContext& ctx, int dir_fd, const std::vector<PcEntry>& entries, bool top_level);

// The Macintosh folder for a PC directory in the current one: made, or the
// existing one of that name. Nothing when a file has the name or the
// catalog change failed (end says which).
std::optional<std::uint32_t> folder_for(TransferContext& ctx, const PcEntry& entry, CopyEnd& end) {
    std::string typed = entry.shown.empty() ? std::string(message(Msg::kNewFolder)) : entry.shown;
    for (std::size_t i = 1; i < typed.size(); ++i) {
        if (typed[i] >= 'A' && typed[i] <= 'Z') typed[i] = static_cast<char>(typed[i] - 'A' + 'a');
    }
    std::string mac_name = without_colons(translated(typed, ansi_to_mac).substr(0, kMaxNameLength));
    if (mac_name.empty()) mac_name = message(Msg::kNewFolder);
    const std::uint32_t parent = ctx.state.current_dir_id;
    const MacEntry existing = mac_entry(ctx, parent, mac_name);
    if (existing.kind == kDirectoryRecord) {
        show_notice(ctx, std::string(message(Msg::kDirectoryExists)));
        return existing.id;
    }
    if (existing.kind != 0) {
        end = reported(ctx, CopyEnd::Skipped, format_text(kFileInTheWay, shown_mac_name(mac_name)));
        return std::nullopt;
    }
    if (ctx.log.is_open()) ctx.log.write("*md " + typed + "\r\n");
    const std::uint32_t id = ctx.mdb.next_catalog_id();
    if (!create_directory(ctx, mac_name, parent)) {
        end = engine_failed(ctx);
        return std::nullopt;
    }
    return id;
}

CopyEnd copy_pc_folder(TransferContext& ctx, int parent_fd, const PcEntry& entry) {
    const int dir_fd = openat(parent_fd, entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir_fd < 0) return reported(ctx, CopyEnd::Skipped, format_text(kPcFileUnreadable, entry.shown));
    CopyEnd end = CopyEnd::Copied;
    const std::uint32_t saved_dir = ctx.state.current_dir_id;
    const std::uint32_t saved_parent = ctx.state.current_parent_id;
    if (const auto folder = folder_for(ctx, entry, end)) {
        ctx.state.current_parent_id = saved_dir;
        ctx.state.current_dir_id = *folder;
        end = copy_entries(ctx, dir_fd, pc_entries(dir_fd, "*"), false);
        ctx.state.current_dir_id = saved_dir;
        ctx.state.current_parent_id = saved_parent;
    }
    close(dir_fd);
    return end;
}

bool escape_confirmed(TransferContext& ctx) {
    if (!ctx.host.escape_requested()) return false;
    ctx.outcome.failureReported = true;
    return true;
}

CopyEnd copy_each_entry(TransferContext& ctx, int dir_fd, const std::vector<PcEntry>& entries, bool top_level,
                        int& files_copied) {
    for (const PcEntry& entry : entries) {
        if (escape_confirmed(ctx)) return CopyEnd::Stopped;
        CopyEnd end = CopyEnd::Copied;
        if (entry.directory) {
            if (entry.name.starts_with('.') || (top_level && files_only(ctx))) continue;
            end = copy_pc_folder(ctx, dir_fd, entry);
        } else {
            ++ctx.running_file_count;
            end = copy_pc_file(ctx, dir_fd, entry);
            if (end == CopyEnd::Copied) ++files_copied;
        }
        if (end == CopyEnd::Stopped || (top_level && end == CopyEnd::Failed)) return end;
    }
    return CopyEnd::Copied;
}

// The folder's entry count grows once by the files copied into it (each
// change of a record costs a pass over the catalog's index).
CopyEnd copy_entries(TransferContext& ctx, int dir_fd, const std::vector<PcEntry>& entries, bool top_level) {
    int files_copied = 0;
    const CopyEnd end = copy_each_entry(ctx, dir_fd, entries, top_level, files_copied);
    if (files_copied > 0 && ctx.volume.modifying && !adjust_valence(ctx, ctx.state.current_dir_id, files_copied))
        return engine_failed(ctx);
    return end;
}

}  // namespace

bool make_mac_file_from_pc(TransferContext& ctx, int fd, const MacFileFromPc& made) {
    NewFile file;
    file.mac_name = made.mac_name;
    file.type_creator = made.type_creator;
    file.finder_flags = made.finder_flags;
    file.created = made.date;
    file.modified = made.date;
    (made.resource_fork ? file.resource : file.data).length = made.length;
    return make_mac_file(ctx, fd, file, Placement{made.mac_name, false}, shown_mac_name(made.mac_name)) ==
           CopyEnd::Copied;
}

int copy_pc_matching(TransferContext& ctx, std::string_view pattern) {
    const int dir_fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::vector<PcEntry> entries = dir_fd >= 0 ? pc_entries(dir_fd, pattern) : std::vector<PcEntry>{};
    if (entries.empty()) {
        if (dir_fd >= 0) close(dir_fd);
        return kNoPcEntry;
    }
    load_type_database(ctx);
    if (!start_modification(ctx)) {
        close(dir_fd);
        ctx.outcome.failureReported = true;
        return 1;
    }
    const CopyEnd end = copy_entries(ctx, dir_fd, entries, true);
    close(dir_fd);
    // What was copied before a stop stays copied; a failed change has dropped it all.
    if (ctx.volume.modifying && !write_back(ctx)) return 1;
    return end == CopyEnd::Copied || end == CopyEnd::Skipped ? 0 : 1;
}

}  // namespace korvane
