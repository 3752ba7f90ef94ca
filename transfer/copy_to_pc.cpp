#include "transfer/copy_to_pc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <string>

#include "core/messages.h"
#include "core/notices.h"
#include "hfs/btree_node.h"
#include "hfs/catalog_search.h"
#include "hfs/folder_walk.h"
#include "hfs/fork_copy.h"
#include "hfs/name_order.h"
#include "transfer/copy_texts.h"
#include "transfer/dos_name.h"
#include "transfer/macbinary_header.h"
#include "transfer/pc_output.h"
#include "util/byte_order.h"
#include "util/drives.h"
#include "util/pc_files.h"

namespace korvane {
namespace {

// What a record visitor asks of the walk.
enum class Walk { Next, Stop, End };
using RecordVisitor = std::function<Walk(const CatalogKey&, std::span<const std::uint8_t>)>;

enum class EscapePoll { PerNode, PerRecord };

// A stop leaves entries uncopied: the run has failed to do what was asked.
bool escape_confirmed(TransferContext& ctx) {
    if (!ctx.host.escape_requested()) return false;
    ctx.outcome.failureReported = true;
    return true;
}

// Visits the entries of parentID from the found one on, in key order. The
// walk keeps the leaf it stands on in a copy of its own, so the copies of
// nested folders may read other nodes meanwhile, and it never meets a record
// twice. When it notices damage (or, having walked the whole folder from its
// first entry, finds other than expected_entries entries) it says so.
int walk_folder(TransferContext& ctx, const FoundEntry& start, std::uint32_t parentID, EscapePoll poll,
                std::optional<std::uint32_t> expected_entries, const RecordVisitor& visit) {
    FolderWalk walk(ctx, start, parentID);
    std::uint32_t leaves_polled = 0;
    while (const auto entry = walk.next()) {
        const bool poll_now = poll == EscapePoll::PerRecord || walk.leaves_entered() != leaves_polled;
        leaves_polled = walk.leaves_entered();
        if (poll_now && escape_confirmed(ctx)) return kCopyStop;
        const Walk next = visit(entry->key, entry->data);
        if (next == Walk::Stop) return kCopyStop;
        if (next == Walk::End) break;
    }
    if (walk.noticed_damage(expected_entries)) {
        show_notice(ctx, kCatalogDamaged);
        ctx.outcome.failureReported = true;
    }
    return kCopyDone;
}

std::uint8_t record_kind(std::span<const std::uint8_t> record) { return is_whole_record(record) ? record[0] : 0; }

// Copies one entry of a folder being walked: folders unless skipped, files
// after counting them; thread records and damaged records are passed over.
Walk copy_entry(TransferContext& ctx, const CatalogKey& key, std::span<const std::uint8_t> record, bool skip_folders) {
    switch (record_kind(record)) {
        case kDirectoryRecord:
            if (!skip_folders && copy_folder(ctx, key, record) == kCopyStop) return Walk::Stop;
            return Walk::Next;
        case kFileRecord:
            ++ctx.running_file_count;
            return copy_file(ctx, key, record) == kCopyStop ? Walk::Stop : Walk::Next;
        default:
            return Walk::Next;
    }
}

std::string_view without_leading_blanks(std::string_view name) {
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    return name;
}

// Makes (or reuses) the PC directory for a folder and enters it. An entry of
// that name that is not a real directory makes the folder unusable: nothing
// of it is copied.
bool enter_pc_directory(TransferContext& ctx, const std::string& pc_name, const std::string& shown, int& parent_fd) {
    mkdir(pc_name.c_str(), 0777);  // an existing directory is reused; the open below decides
    int dir_fd = open(pc_name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    parent_fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd >= 0 && parent_fd >= 0 && fchdir(dir_fd) == 0) {
        close(dir_fd);
        return true;
    }
    if (dir_fd >= 0) close(dir_fd);
    if (parent_fd >= 0) close(parent_fd);
    report_copy_failure(ctx, format_text(kFolderSkipped, shown));
    return false;
}

void leave_pc_directory(int parent_fd) {
    // The parent was held open, so the way back cannot go astray (not even
    // when the directory was renamed meanwhile); fchdir on it cannot fail.
    [[maybe_unused]] const int back = fchdir(parent_fd);
    close(parent_fd);
}

// A folder that holds itself or one of the folders around it (only a
// damaged catalog can say so) would be copied without end, and one that two
// folder records name would be copied twice.
bool folder_is_being_copied(const TransferContext& ctx, std::uint32_t dir_id) {
    if (dir_id == ctx.state.current_dir_id || dir_id == kRootDirectoryID || dir_id == kRootParentID) return true;
    const auto& active = ctx.folders_being_copied;
    return std::find(active.begin(), active.end(), dir_id) != active.end();
}

struct MacFolderPosition {
    std::uint32_t dir_id;
    std::uint32_t parent_id;
    std::string path;
};

ExtentRecordBytes extent_record(std::span<const std::uint8_t> record, std::size_t offset) {
    return ExtentRecordBytes(record.data() + offset, kExtentRecordSize);
}

// How the copy of one file's contents went.
struct ContentsCopy {
    bool read_whole = true;  // every byte came from the medium (unreadable sectors are zeros)
    int write_error = 0;     // errno of a failed write to the output
    bool stopped = false;    // Esc confirmed in the middle of the file

    bool going_on() const { return write_error == 0 && !stopped; }
    void add(const ForkCopyResult& result) {
        read_whole = read_whole && (result.complete || result.pcWriteFailed || result.stopped) &&
                     result.unreadableSectors == 0;
        if (result.pcWriteFailed) write_error = result.pcWriteError;
        stopped = stopped || result.stopped;
    }
    void write_failed() { write_error = errno != 0 ? errno : EIO; }
};

ForkCopyResult copy_fork(TransferContext& ctx, int fd, std::span<const std::uint8_t> record, bool resource) {
    std::uint32_t file_id = load_be32(record, filrec::fileNumber);
    std::uint32_t length = load_be32(record, resource ? filrec::resourceLogicalLength : filrec::dataLogicalLength);
    if (length == 0) return ForkCopyResult{.complete = true};
    return copy_fork_to_file(ctx, extent_record(record, resource ? filrec::resource_extents : filrec::data_extents), fd,
                             file_id, length, resource ? kResourceFork : kDataFork, EscapePolling::BetweenPieces);
}

MacBinaryFields macbinary_fields(const CatalogKey& key, std::span<const std::uint8_t> record) {
    MacBinaryFields fields;
    fields.name = key.name;
    std::copy_n(record.begin() + filrec::fileType, 4, fields.type.begin());
    std::copy_n(record.begin() + filrec::creator, 4, fields.creator.begin());
    fields.finder_flags = load_be16(record, filrec::finderFlags);
    fields.vertical = load_be16(record, filrec::finderFlags + 2);
    fields.horizontal = load_be16(record, filrec::finderFlags + 4);
    fields.data_length = load_be32(record, filrec::dataLogicalLength);
    fields.resource_length = load_be32(record, filrec::resourceLogicalLength);
    fields.created = load_be32(record, filrec::created);
    fields.modified = load_be32(record, filrec::modified);
    return fields;
}

// The header, the data fork, zeros up to the next multiple of 128, the
// resource fork and zeros again: MacBinary readers take the file in 128-byte
// pieces and refuse a last piece cut short. A data fork cut short is filled
// up with zeros so that the resource fork still starts where the header
// says it does.
ContentsCopy write_macbinary(TransferContext& ctx, int fd, const CatalogKey& key,
                             std::span<const std::uint8_t> record) {
    ContentsCopy copy;
    MacBinaryFields fields = macbinary_fields(key, record);
    auto header = make_macbinary_header(fields);
    if (!write_all(fd, header.data(), header.size())) {
        copy.write_failed();
        return copy;
    }
    ForkCopyResult data = copy_fork(ctx, fd, record, false);
    copy.add(data);
    if (!copy.going_on()) return copy;
    const std::uint64_t written = kMacBinaryHeaderSize + data.copied;
    const std::uint64_t resource_at = macbinary_resource_offset(fields.data_length);
    if (!write_zeros(fd, resource_at - written)) {
        copy.write_failed();
        return copy;
    }
    if (fields.resource_length == 0) return copy;
    ForkCopyResult resource = copy_fork(ctx, fd, record, true);
    copy.add(resource);
    if (copy.going_on() && !write_zeros(fd, (128 - resource.copied % 128) % 128)) copy.write_failed();
    return copy;
}

// Opens what the file is copied to: the port, or a PC file named by the
// naming mode. Nothing is opened when the file is skipped (already reported,
// or cancelled).
CopyOutput open_output(TransferContext& ctx, int port, std::string_view name, std::span<const std::uint8_t> record) {
    if (port != kPortFile) return CopyOutput{open_output_port(ctx, port), {}};
    if (naming_mode(ctx.state.output_options) == static_cast<int>(kNamingAsk)) return ask_dos_name(ctx, name);
    return make_dos_name(ctx, name, record);
}

// A copy that ended in the middle of a file is never left without a word: the
// partial PC file is removed (or, for a port or when it cannot be removed,
// reported as incomplete), with the reason. Returns copy_file's result.
int report_unfinished_file(TransferContext& ctx, const ContentsCopy& copy, const CopyOutput& output,
                           const std::string& shown) {
    std::string_view reason = kWriteFailedReason;
    if (copy.stopped) reason = kCopyStoppedReason;
    if (copy.write_error == ENOSPC || copy.write_error == EDQUOT) reason = kDestinationFullReason;
    const bool removed = !output.pc_name.empty() && remove_pc_file(output.pc_name) == 0;
    report_copy_failure(ctx,
                        std::string(reason) + " " + format_text(removed ? kFileNotCopied : kFileIncomplete, shown));
    if (copy.stopped) return kCopyStop;
    return reason == kDestinationFullReason ? kCopyNoSpace : kCopyDone;
}

// The entries of the current folder that a visitor picks, walked from the
// record found for lookup; a folder the copy is inside of is never entered
// again.
int copy_picked_entries(TransferContext& ctx, std::string_view lookup, const RecordVisitor& visit) {
    const std::uint32_t folder = ctx.state.current_dir_id;
    // Only a walk from the folder's first entry can be held against its count.
    const auto expected = lookup.starts_with('*') ? folder_valence(ctx, folder) : std::nullopt;
    auto found = find_entry(ctx, lookup, kAnyEntry, folder);
    if (!found) return kCopyNoEntry;
    ctx.folders_being_copied.assign(1, folder);
    return walk_folder(ctx, *found, folder, EscapePoll::PerNode, expected,
                       [&](const CatalogKey& key, std::span<const std::uint8_t> record) {
                           std::uint8_t kind = record_kind(record);
                           if (kind != kDirectoryRecord && kind != kFileRecord) return Walk::Next;
                           return visit(key, record);
                       });
}

bool files_only(const TransferContext& ctx) { return (ctx.state.option_flags & kFilesOnly) != 0; }

}  // namespace

int copy_matching(TransferContext& ctx, std::string_view pattern) {
    const bool wildcard = pattern.find('*') != std::string_view::npos;
    const bool skip_folders = files_only(ctx);
    return copy_picked_entries(ctx, pattern, [&](const CatalogKey& key, std::span<const std::uint8_t> record) {
        if (match_name(pattern, key.name) != 0) return Walk::Next;
        Walk next = copy_entry(ctx, key, record, skip_folders);
        return next == Walk::Next && !wildcard ? Walk::End : next;
    });
}

int copy_entry_named(TransferContext& ctx, std::string_view name) {
    // The lookup lands at or before the name in key order: on the name itself,
    // or on the first entry that shares what precedes a '*' in it.
    const std::size_t star = name.find('*');
    const std::string_view lookup = star == std::string_view::npos ? name : name.substr(0, star + 1);
    const bool skip_folders = files_only(ctx);
    int result = kCopyNoEntry;
    const int walked =
            copy_picked_entries(ctx, lookup, [&](const CatalogKey& key, std::span<const std::uint8_t> record) {
                const int order = compare_names(key.name, name);
                if (order < 0) return Walk::Next;
                if (order == 0)
                    result = copy_entry(ctx, key, record, skip_folders) == Walk::Stop ? kCopyStop : kCopyDone;
                return Walk::End;
            });
    return walked == kCopyStop ? kCopyStop : result;
}

int copy_folder(TransferContext& ctx, const CatalogKey& key, std::span<const std::uint8_t> record) {
    if (record_kind(record) != kDirectoryRecord) return kCopyDone;
    std::string_view name = without_leading_blanks(key.name);
    std::string shown = shown_mac_name(name);
    const std::uint32_t dir_id = load_be32(record, dirrec::dir_id);
    if (folder_is_being_copied(ctx, dir_id)) {
        report_copy_failure(ctx, format_text(kFolderSkipped, shown));
        return kCopyDone;
    }
    std::string pc_name = pc_folder_name(ctx, name);
    int parent_fd = -1;
    if (!enter_pc_directory(ctx, pc_name, shown, parent_fd)) return kCopyDone;
    if (ctx.log.is_open())
        ctx.log.write(format_text(message(Msg::kCopyingDirectory), shown, shown_pc_name(pc_name)) + "\r\n");

    MacFolderPosition saved{ctx.state.current_dir_id, ctx.state.current_parent_id, ctx.state.current_path};
    ctx.folders_being_copied.push_back(dir_id);
    ctx.state.current_parent_id = key.parentID;
    ctx.state.current_dir_id = dir_id;
    // The header's " Dir: " shows the folder being copied, as after entering it.
    ctx.state.current_path = std::string(name) + " ";
    ctx.state.current_path.resize(saved.path.size(), ' ');

    int result = kCopyDone;
    // An empty folder has nothing but its thread record: nothing to find.
    if (auto first = find_entry(ctx, "*", kAnyEntry, dir_id)) {
        result = walk_folder(ctx, *first, dir_id, EscapePoll::PerRecord, load_be16(record, dirrec::valence),
                             [&](const CatalogKey& child, std::span<const std::uint8_t> data) {
                                 return copy_entry(ctx, child, data, false);
                             });
    } else if (load_be16(record, dirrec::valence) != 0) {
        show_notice(ctx, kCatalogDamaged);  // the folder's record counts entries that cannot be found
        ctx.outcome.failureReported = true;
    }
    ctx.state.current_dir_id = saved.dir_id;
    ctx.state.current_parent_id = saved.parent_id;
    ctx.state.current_path = saved.path;
    leave_pc_directory(parent_fd);
    return result;
}

int copy_file(TransferContext& ctx, const CatalogKey& key, std::span<const std::uint8_t> record) {
    if (record_kind(record) != kFileRecord) return kCopyDone;
    const int port = output_port(ctx.state.output_options);
    const std::string shown = shown_mac_name(key.name);
    const std::uint32_t data_length = load_be32(record, filrec::dataLogicalLength);
    const std::uint32_t resource_length = load_be32(record, filrec::resourceLogicalLength);
    if (port == kPortFile && !has_free_space("", std::uint64_t{data_length} + resource_length)) {
        report_copy_failure(ctx, std::string(message(Msg::kNotEnoughSpace)) + " " + format_text(kFileNotCopied, shown));
        return kCopyNoSpace;
    }
    const std::uint16_t mode = ctx.state.option_flags & kCopyModeMask;
    if (mode == kCopyDataFork && data_length == 0) {
        show_notice(ctx, format_text(message(Msg::kNoDataFork), shown));
        return kCopyDone;
    }
    if (mode == kCopyResourceFork && resource_length == 0) {
        show_notice(ctx, format_text(message(Msg::kNoResourceFork), shown));
        return kCopyDone;
    }
    const CopyOutput output = open_output(ctx, port, key.name, record);
    if (!output.opened()) return port != kPortFile ? kCopyStop : kCopyDone;

    ContentsCopy copy;
    if (mode == kCopyMacBinary) {
        copy = write_macbinary(ctx, output.fd, key, record);
    } else {
        copy.add(copy_fork(ctx, output.fd, record, mode == kCopyResourceFork));
        if (port == kPortFile && copy.going_on()) set_pc_file_date(output.fd, load_be32(record, filrec::modified));
    }
    // Some file systems report a full disk only when the file is closed.
    if (close(output.fd) != 0 && copy.going_on()) copy.write_failed();
    if (!copy.going_on()) return report_unfinished_file(ctx, copy, output, shown);
    if (!copy.read_whole) report_copy_failure(ctx, format_text(kIncompleteCopy, shown));
    return kCopyDone;
}

}  // namespace korvane
