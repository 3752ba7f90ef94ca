#pragma once
// Opening and closing the transfer log: the /L option, the date lines written
// at start and exit, and the "Log File Management" dialog (DLG_FLOG).

#include <ctime>
#include <string>
#include <string_view>

#include "core/core_context.h"
#include "core/dialog.h"

namespace korvane {

// /L: the text after the option letter. A first character that is not a
// letter is skipped (/L:name, /L=name); an empty rest keeps log_file_name.
// An existing file is continued at its end, a missing one is created. A file
// that cannot be opened leaves no log and reports nothing.
bool open_log_from_option(CoreContext& ctx, std::string_view option_text);

// The name /L would use for option_text, given the current name.
std::string log_name_from_option(std::string_view option_text, const std::string& current_name);

// ">" (opening) or "<" (closing) and the date as "%d/%d/%d - %2d:%02d:%02d\n".
std::string format_log_date(bool closing, const std::tm& local_time);
// Writes the date line of the PC's local clock now, when a log is open.
void write_log_date(CoreContext& ctx, bool closing);
void write_log_date(CoreContext& ctx, bool closing, const std::tm& local_time);

// At exit: the closing date line, then the log is closed.
void close_log_at_exit(CoreContext& ctx);

// DLG_FLOG, "Log File Management". The front end shows file_field and enables
// the buttons as the accessors say; its buttons call the press_ functions.
// OK, Cancel and Close leave the log as the buttons left it.
class LogFileDialog : public Dialog {
public:
    explicit LogFileDialog(CoreContext& ctx);
    std::string_view name() const override { return "DLG_FLOG"; }

    // The File field, filled from log_file_name on opening.
    std::string file_field;

    bool create_enabled() const { return !ctx_.log.is_open(); }
    bool open_enabled() const { return !ctx_.log.is_open(); }
    bool close_enabled() const { return ctx_.log.is_open(); }

    // Create: the field's name becomes log_file_name; that file is created or
    // emptied. Open: the same, appending. A file that cannot be opened ends
    // the program with "Error opening file:" and the name.
    void press_create();
    void press_open();
    void press_close();

private:
    void open_with(LogOpenMode mode);
    CoreContext& ctx_;
};

// Command "Log File": runs DLG_FLOG through the host; true when a log is open
// afterwards (the menu item "&Log File" is checked then).
bool run_log_file_dialog(CoreContext& ctx);

}  // namespace korvane
