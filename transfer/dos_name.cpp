#include "transfer/dos_name.h"

#include <algorithm>
#include <cerrno>

#include "core/messages.h"
#include "core/notices.h"
#include "transfer/copy_texts.h"
#include "transfer/pc_name_guard.h"
#include "transfer/pc_output.h"
#include "transfer/transfer_dialogs.h"
#include "transfer/type_database.h"
#include "util/char_tables.h"
#include "util/pc_names.h"
#include "util/strings.h"

namespace korvane {
namespace {

constexpr std::string_view kLongNameForbidden = "/\\|:<>*\"?";
constexpr std::string_view kShortNameKept =
        "()-0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ\\^_`abcdefghijklmnopqrstuvwxyz{}~";
constexpr std::size_t kShortStem = 8;
constexpr std::size_t kShortWhole = 12;
// Three base-32 digits number this many names.
constexpr std::uint32_t kNumberedNames = 32 * 32 * 32;

std::string_view strip_blanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Where the usable extension's '.' stands, or npos.
std::size_t usable_extension_dot(std::string_view name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return dot;
    std::size_t length = name.size() - dot - 1;
    if (length == 0 || length > 3 || strip_blanks(name.substr(dot + 1)).empty()) return std::string_view::npos;
    return dot;
}

// The short-name character of a Macintosh character, or 0 when it is dropped.
char short_name_char(char mac) {
    std::uint8_t mapped = mac_to_short_name[static_cast<std::uint8_t>(mac)];
    if (mapped == 0) return 0;
    if (mapped >= 0x80 || kShortNameKept.find(static_cast<char>(mapped)) != std::string_view::npos)
        return static_cast<char>(mapped);
    return 0;
}

// The extension of a short name also goes through the short-name characters,
// so that no character of a volume's name reaches the PC unconverted.
std::string short_extension(std::string_view extension) {
    std::string result;
    for (char c : extension)
        if (char kept = short_name_char(c)) result += kept;
    return result;
}

std::string type_creator_of(std::span<const std::uint8_t> record) {
    constexpr std::size_t kTypeOffset = 4;
    if (record.size() < kTypeOffset + 8) return "????????";
    return std::string(record.begin() + kTypeOffset, record.begin() + kTypeOffset + 8);
}

}  // namespace

std::optional<std::string> usable_extension(std::string_view name) {
    std::size_t dot = usable_extension_dot(name);
    if (dot == std::string_view::npos) return std::nullopt;
    return std::string(strip_blanks(name.substr(dot + 1)));
}

std::string long_dos_name(std::string_view mac_name, std::string_view type_extension) {
    std::string shown = translated(mac_name, mac_to_ansi);
    std::string name;
    for (char c : shown)
        if (kLongNameForbidden.find(c) == std::string_view::npos) name += c;
    if (!usable_extension(mac_name)) set_extension(name, type_extension);
    return name;
}

std::string short_dos_name(std::string_view mac_name, std::string_view type_extension) {
    const std::size_t dot = usable_extension_dot(mac_name);
    std::string name;
    bool dot_written = false;
    for (std::size_t i = 0; i < mac_name.size() && name.size() < kShortWhole; ++i) {
        if (i == dot) {
            if (!dot_written) name += '.';
            break;
        }
        char kept = short_name_char(mac_name[i]);
        if (kept == 0) continue;
        name += kept;
        if (!dot_written && name.size() == kShortStem) {
            name += '.';
            dot_written = true;
            if (dot != std::string_view::npos) break;
        }
    }
    std::string extension;
    if (dot != std::string_view::npos) extension = short_extension(strip_blanks(mac_name.substr(dot + 1)));
    set_extension(name, extension.empty() ? std::string(type_extension) : extension);
    return name;
}

std::string shown_mac_name(std::string_view mac_name) { return translated(mac_name, mac_to_ansi); }

std::string shown_pc_name(std::string_view pc_name) { return pc_name_from_utf8(pc_name, PcCharset::Windows).name; }

std::string pc_folder_name(const TransferContext& ctx, std::string_view mac_name) {
    std::string name;
    if (ctx.state.long_names_available) {
        name = safe_pc_component(pc_name_to_utf8(shown_mac_name(strip_blanks(mac_name)), PcCharset::Windows));
    } else {
        for (char c : mac_name) {
            std::string upper(1, static_cast<char>(mac_to_short_name[static_cast<std::uint8_t>(c)]));
            to_upper_latin(upper);
            char kept = upper[0];
            if ((kept >= 'A' && kept <= 'Z') || (kept >= '0' && kept <= '9')) name += kept;
            if (name.size() == kShortStem) break;
        }
    }
    return name.empty() ? "_" : name;
}

std::string pc_file_name(TransferContext& ctx, std::string_view mac_name, std::string_view type_creator) {
    load_type_database(ctx);
    std::string_view name = strip_blanks(mac_name);
    std::string type_extension = extension_for_type(ctx.type_table, type_creator);
    const bool long_name = ctx.state.long_names_available && naming_mode(ctx.state.output_options) != 1;
    std::string pc_name = long_name ? pc_name_to_utf8(long_dos_name(name, type_extension), PcCharset::Windows)
                                    : pc_name_to_utf8(short_dos_name(name, type_extension), PcCharset::Dos);
    pc_name = safe_pc_component(pc_name);
    return pc_name.empty() ? "_" : pc_name;
}

CopyOutput make_dos_name(TransferContext& ctx, std::string_view mac_name, std::span<const std::uint8_t> file_record) {
    CopyOutput output{-1, pc_file_name(ctx, mac_name, type_creator_of(file_record))};
    // Whatever stands under the name is kept, and so is every file an earlier
    // copy numbered: the number is raised until the name is free.
    std::uint16_t number = ctx.running_file_count;
    for (std::uint32_t tries = 0; tries <= kNumberedNames; ++tries) {
        output.fd = create_new_pc_file(output.pc_name);
        if (output.fd >= 0 || errno != EEXIST) break;
        set_numbered_extension(output.pc_name, number++);
    }
    if (!output.opened()) {
        report_copy_failure(ctx, std::string(kErrorOpeningFile) + output.pc_name);
        return output;
    }
    record_copy(ctx, shown_mac_name(strip_blanks(mac_name)), output.pc_name);
    return output;
}

CopyOutput ask_dos_name(TransferContext& ctx, std::string_view mac_name) {
    DosNameDialog dialog;
    dialog.title = std::string(message(Msg::kDosFileNameTitle));
    dialog.old_name = shown_mac_name(mac_name);
    dialog.new_name = dialog.old_name;
    if (ctx.host.run_dialog(dialog) != kDialogOk) return {};
    // Only the name and extension of what was typed count: the file always
    // goes into the current directory.
    std::string typed = dialog.new_name.substr(0, DosNameDialog::kMaxNameLength);
    std::size_t slash = typed.find_last_of('/');
    if (slash != std::string::npos) typed.erase(0, slash + 1);
    CopyOutput output{-1, safe_pc_component(pc_name_to_utf8(typed, PcCharset::Windows))};
    if (output.pc_name.empty()) return {};
    output.fd = create_new_pc_file(output.pc_name);
    if (!output.opened()) {
        const bool taken = errno == EEXIST;
        report_copy_failure(ctx,
                            taken ? shown_pc_name(output.pc_name) + std::string(message(Msg::kAlreadyExistsAborting))
                                  : std::string(kErrorOpeningFile) + output.pc_name);
        return output;
    }
    record_copy(ctx, dialog.old_name, output.pc_name);
    return output;
}

void record_copy(TransferContext& ctx, std::string_view shown, std::string_view pc_name) {
    const std::string shown_pc = shown_pc_name(pc_name);
    if (ctx.log.is_open()) ctx.log.write(std::string(shown) + "\t" + shown_pc + "\r\n");
    std::string status = format_text(message(Msg::kCopyOfFile), shown, shown_pc);
    set_status(ctx, status.c_str(), nullptr);
}

}  // namespace korvane
