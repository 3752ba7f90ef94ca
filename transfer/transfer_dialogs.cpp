#include "transfer/transfer_dialogs.h"

#include "core/messages.h"
#include "transfer/output_port.h"

namespace korvane {

DestinationDialog::DestinationDialog(TransferContext& context, bool opened_by_copy)
    : ctx_(context), opened_by_copy_(opened_by_copy) {
    open_browser(ctx_, browser_);
}

std::string DestinationDialog::default_button_text() const {
    return std::string(string_resource(opened_by_copy_ ? StringId::kCopyInCurrentDirectory : StringId::kOk));
}

int DestinationDialog::open_directory(std::string_view entry) { return change_pc_dir(ctx_, browser_, entry); }

int DestinationDialog::open_drive(std::string_view mount_point) { return change_pc_dir(ctx_, browser_, mount_point); }

int DestinationDialog::go_to_root() { return go_to_drive_root(ctx_, browser_); }

int DestinationDialog::go_to_parent() { return change_pc_dir(ctx_, browser_, ".."); }

int DestinationDialog::create_directory(std::string_view name) {
    return create_pc_directory(ctx_, browser_, name.substr(0, kMaxNewDirectoryName));
}

NamingOptionsDialog::NamingOptionsDialog(TransferContext& context)
    : ctx_(context), remembered_(naming_mode(context.state.output_options)) {}

int NamingOptionsDialog::mode() const { return naming_mode(ctx_.state.output_options); }

void NamingOptionsDialog::choose(int mode) {
    ctx_.state.output_options = with_naming_mode(ctx_.state.output_options, mode);
}

void NamingOptionsDialog::cancel() { choose(remembered_); }

int OutputPortsDialog::port() const { return output_port(ctx_.state.output_options); }

void OutputPortsDialog::choose(int port) {
    ctx_.state.output_options = with_output_port(ctx_.state.output_options, port);
}

}  // namespace korvane
