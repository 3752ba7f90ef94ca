#include "transfer/copy_to_mac_dialog.h"

#include <sys/stat.h>

#include <algorithm>

#include "transfer/dos_name.h"

namespace korvane {
namespace {

constexpr std::string_view kWildcardCharacters = "*?[\\";

std::string without_brackets(const std::string& entry) { return entry.substr(1, entry.size() - 2); }

std::uint64_t file_size(const std::string& name) {
    struct stat info {};
    return stat(name.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

}  // namespace

std::string exact_name_pattern(std::string_view name) {
    std::string pattern;
    for (char c : name) {
        if (kWildcardCharacters.find(c) != std::string_view::npos) pattern += '\\';
        pattern += c;
    }
    return pattern;
}

CopyToMacDialog::CopyToMacDialog(TransferContext& context, Copier copier) : ctx_(context), copier_(std::move(copier)) {
    browser_.mask = "*.*";
    open_browser(ctx_, browser_);
    total_ = browser_.files_size;
}

std::string CopyToMacDialog::shown_path() const { return shown_pc_name(browser_.shown_path); }

std::vector<std::string> CopyToMacDialog::shown_files() const {
    std::vector<std::string> shown;
    for (const std::string& file : browser_.files) shown.push_back(shown_pc_name(file));
    return shown;
}

std::vector<std::string> CopyToMacDialog::shown_directories() const {
    std::vector<std::string> shown;
    for (const std::string& entry : browser_.directories)
        shown.push_back("[" + shown_pc_name(without_brackets(entry)) + "]");
    return shown;
}

std::string CopyToMacDialog::total_text() const { return total_ ? std::to_string(*total_) : std::string(); }

int CopyToMacDialog::set_mask(std::string_view typed) {
    // PC file systems here tell the case of names apart: the mask keeps the case typed.
    const std::string mask(typed.substr(0, kMaxMaskLength));
    if (mask == browser_.mask) return -1;
    browser_.mask = mask;
    fill_lists(browser_);
    selected_.clear();
    total_ = browser_.files_size;
    return 0;
}

void CopyToMacDialog::select_files(std::vector<std::size_t> rows) {
    std::erase_if(rows, [this](std::size_t row) { return row >= browser_.files.size(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    selected_ = std::move(rows);
    if (selected_.empty()) {
        total_ = browser_.files_size;
        return;
    }
    std::uint64_t total = 0;
    for (std::size_t row : selected_) total += file_size(browser_.files[row]);
    total_ = total;
}

int CopyToMacDialog::stepped(int result) {
    if (result == 0) {
        selected_.clear();
        total_.reset();
    }
    return result;
}

int CopyToMacDialog::open_directory(std::size_t row) {
    if (row >= browser_.directories.size()) return -1;
    return stepped(change_pc_dir(ctx_, browser_, browser_.directories[row]));
}

int CopyToMacDialog::open_drive(std::string_view mount_point) {
    return stepped(change_pc_dir(ctx_, browser_, mount_point));
}

int CopyToMacDialog::go_to_root() { return stepped(go_to_drive_root(ctx_, browser_)); }

int CopyToMacDialog::go_to_parent() { return stepped(change_pc_dir(ctx_, browser_, "..")); }

bool CopyToMacDialog::copy_selection() {
    if (selected_.empty()) return false;
    ctx_.host.busy_tick();
    // Each file copied leaves the selection; a stop or an abort keeps the rest selected.
    while (!selected_.empty()) {
        if (ctx_.host.escape_requested()) break;
        const std::string& file = browser_.files[selected_.front()];
        if (copier_(ctx_, exact_name_pattern(file)) != 0) break;
        selected_.erase(selected_.begin());
    }
    return true;
}

bool CopyToMacDialog::copy_all_files() {
    if (browser_.files.empty()) return false;
    ctx_.host.busy_tick();
    copier_(ctx_, files_pattern(browser_.mask));
    return true;
}

bool CopyToMacDialog::copy_directory(std::size_t row) {
    if (row >= browser_.directories.size()) return false;
    const std::string directory = without_brackets(browser_.directories[row]);
    if (directory.front() == '.') return false;  // "[..]" and hidden directories are not copied
    ctx_.host.busy_tick();
    copier_(ctx_, exact_name_pattern(directory));
    return true;
}

}  // namespace korvane
