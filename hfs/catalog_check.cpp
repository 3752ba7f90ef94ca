#include "hfs/catalog_check.h"

#include <algorithm>
#include <map>

#include "hfs/btree_check.h"
#include "hfs/catalog_records.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

struct CatalogEntry {
    std::uint32_t parentID = 0;  // of the key
    std::string name;            // of the key
    std::uint8_t kind = 0;
    std::uint32_t id = 0;       // dir_id or fileNumber; a thread's own parent ID field
    std::uint16_t valence = 0;  // folders only
    std::string thread_name;    // threads only
};

std::string entry_name(const CatalogEntry& entry) {
    return std::string(entry.kind == kDirectoryRecord ? "folder " : "file ") + quoted_name(entry.name) + " (ID " +
           std::to_string(entry.id) + ")";
}

ForkInfo fork_of(const CatalogEntry& file, std::span<const std::uint8_t> data, std::uint8_t forkType) {
    const bool dataFork = forkType == kDataFork;
    ForkInfo fork;
    fork.fileID = file.id;
    fork.forkType = forkType;
    fork.description = std::string(dataFork ? "the data fork of " : "the resource fork of ") + entry_name(file);
    fork.logicalLength = load_be32(data, dataFork ? filrec::dataLogicalLength : filrec::resourceLogicalLength);
    fork.physicalLength = load_be32(data, dataFork ? filrec::dataPhysicalLength : filrec::resourcePhysicalLength);
    const std::size_t extents = dataFork ? filrec::data_extents : filrec::resource_extents;
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(extents), kExtentRecordSize, fork.firstExtents.begin());
    return fork;
}

class CatalogChecker {
public:
    CatalogChecker(const MdbImage& mdb, CheckReport& report) : mdb_(mdb), report_(report) {}

    void take(const LeafRecord& record) {
        const auto& data = record.data;
        if (!is_whole_record(data)) {
            report_.add("Catalog node " + std::to_string(record.node) + ": the record of " +
                        quoted_name(record.key.name) + " in folder " + std::to_string(record.key.id) +
                        " is damaged or of an unknown kind.");
            return;
        }
        CatalogEntry entry;
        entry.parentID = record.key.id;
        entry.name = record.key.name;
        entry.kind = data[0];
        switch (entry.kind) {
            case kDirectoryRecord:
                entry.id = load_be32(data, dirrec::dir_id);
                entry.valence = load_be16(data, dirrec::valence);
                break;
            case kFileRecord:
                entry.id = load_be32(data, filrec::fileNumber);
                forks_.push_back(fork_of(entry, data, kDataFork));
                forks_.push_back(fork_of(entry, data, kResourceFork));
                break;
            default:
                entry.id = load_be32(data, thdrec::parentID);
                entry.thread_name = std::string(thread_name(data));
                break;
        }
        entries_.push_back(std::move(entry));
    }

    std::vector<ForkInfo> finish() {
        index_entries();
        for (const CatalogEntry& entry : entries_) {
            if (entry.kind == kDirectoryRecord || entry.kind == kFileRecord) {
                check_place(entry);
            } else {
                check_thread(entry);
            }
            if (entry.kind == kDirectoryRecord) check_folder(entry);
        }
        if (!byID_.contains(kRootDirectoryID)) report_.add("The catalog has no record for the root folder.");
        check_volume_name();
        check_volume_counts();
        return std::move(forks_);
    }

private:
    void index_entries() {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const CatalogEntry& entry = entries_[i];
            if (entry.kind == kDirectoryThreadRecord || entry.kind == kFileThreadRecord) {
                threads_.emplace(entry.parentID, i);
                continue;
            }
            ++children_[entry.parentID];
            const auto [existing, added] = byID_.emplace(entry.id, i);
            if (!added) {
                report_.add(capitalised(entry_name(entries_[existing->second])) + " and " + entry_name(entry) +
                            " have the same ID.");
            }
            if (entry.id >= mdb_.next_catalog_id()) {
                report_.add(capitalised(entry_name(entry)) +
                            " has an ID that is not below the next free ID (drNxtCNID " +
                            std::to_string(mdb_.next_catalog_id()) + ").");
            }
        }
    }

    const CatalogEntry* folder(std::uint32_t id) const {
        const auto found = byID_.find(id);
        if (found == byID_.end() || entries_[found->second].kind != kDirectoryRecord) return nullptr;
        return &entries_[found->second];
    }

    // Every entry lies in an existing folder; only the root lies in the root's parent.
    void check_place(const CatalogEntry& entry) {
        const bool isRoot = entry.kind == kDirectoryRecord && entry.id == kRootDirectoryID;
        if (isRoot || entry.parentID == kRootParentID) {
            if (isRoot != (entry.parentID == kRootParentID)) {
                report_.add(capitalised(entry_name(entry)) + " lies in folder " + std::to_string(entry.parentID) +
                            (isRoot ? ", but the root folder belongs in folder 1." : ", outside the root folder."));
            }
            return;
        }
        if (folder(entry.parentID) == nullptr) {
            report_.add(capitalised(entry_name(entry)) + " lies in folder " + std::to_string(entry.parentID) +
                        ", which does not exist.");
        }
        if (entry.name.empty()) report_.add(capitalised(entry_name(entry)) + " has no name.");
    }

    void check_folder(const CatalogEntry& entry) {
        const auto thread = threads_.find(entry.id);
        if (thread == threads_.end() || entries_[thread->second].kind != kDirectoryThreadRecord) {
            report_.add(capitalised(entry_name(entry)) + " has no thread record.");
        }
        const auto held = children_.find(entry.id);
        const std::uint32_t count = held == children_.end() ? 0 : held->second;
        if (entry.valence != count) {
            report_.add(capitalised(entry_name(entry)) + " counts " + std::to_string(entry.valence) +
                        " entries (valence) but holds " + std::to_string(count) + ".");
        }
    }

    // A thread names the entry it belongs to: its key holds the entry's ID,
    // its data the entry's folder and name.
    void check_thread(const CatalogEntry& thread) {
        const bool folderThread = thread.kind == kDirectoryThreadRecord;
        const std::string what = std::string("The thread record of ") + (folderThread ? "folder" : "file") + " ID " +
                                 std::to_string(thread.parentID);
        if (!thread.name.empty()) report_.add(what + " has a name in its key.");
        const auto found = byID_.find(thread.parentID);
        const std::uint8_t kind = folderThread ? kDirectoryRecord : kFileRecord;
        if (found == byID_.end() || entries_[found->second].kind != kind) {
            report_.add(what + " belongs to no " + (folderThread ? "folder." : "file."));
            return;
        }
        const CatalogEntry& entry = entries_[found->second];
        if (entry.parentID != thread.id || entry.name != thread.thread_name) {
            report_.add(what + " names " + quoted_name(thread.thread_name) + " in folder " + std::to_string(thread.id) +
                        ", but the catalog has it as " + quoted_name(entry.name) + " in folder " +
                        std::to_string(entry.parentID) + ".");
        }
    }

    // The root folder carries the volume's name: a header and a catalog that
    // disagree are what a renaming stopped half-way leaves.
    void check_volume_name() {
        const CatalogEntry* root = folder(kRootDirectoryID);
        if (root == nullptr || root->name == mdb_.volume_name()) return;
        report_.add("The volume header names the volume " + quoted_name(mdb_.volume_name()) +
                    ", the catalog's root folder " + quoted_name(root->name) + ".");
    }

    void check_volume_counts() {
        std::uint32_t rootFiles = 0, rootFolders = 0, files = 0, folders = 0;
        for (const CatalogEntry& entry : entries_) {
            const bool inRoot = entry.parentID == kRootDirectoryID;
            if (entry.kind == kFileRecord) {
                ++files;
                rootFiles += inRoot ? 1 : 0;
            } else if (entry.kind == kDirectoryRecord && entry.id != kRootDirectoryID) {
                ++folders;
                rootFolders += inRoot ? 1 : 0;
            }
        }
        expect_count("files in the root folder (drNmFls)", mdb_.files_in_root(), rootFiles);
        expect_count("folders in the root folder (drNmRtDirs)", mdb_.directories_in_root(), rootFolders);
        expect_count("files on the volume (drFilCnt)", mdb_.file_count(), files);
        expect_count("folders on the volume (drDirCnt)", mdb_.directory_count(), folders);
    }

    void expect_count(const std::string& what, std::uint32_t stored, std::uint32_t counted) {
        if (stored == counted) return;
        report_.add("The volume header counts " + std::to_string(stored) + " " + what + ", the catalog holds " +
                    std::to_string(counted) + ".");
    }

    const MdbImage& mdb_;
    CheckReport& report_;
    std::vector<CatalogEntry> entries_;
    std::vector<ForkInfo> forks_;
    std::map<std::uint32_t, std::size_t> byID_;        // folders and files by ID
    std::map<std::uint32_t, std::size_t> threads_;     // threads by the ID in their key
    std::map<std::uint32_t, std::uint32_t> children_;  // entries per folder ID
};

}  // namespace

std::vector<ForkInfo> check_catalog(const HfsContext& ctx, CheckReport& report) {
    CatalogChecker checker(ctx.mdb, report);
    check_b_tree(ctx.catalogTree, TreeKind::Catalog, report,
                 [&checker](const LeafRecord& record) { checker.take(record); });
    return checker.finish();
}

}  // namespace korvane
