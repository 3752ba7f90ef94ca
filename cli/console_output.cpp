#include "cli/console_output.h"

#include <ostream>

#include "app/dir_command.h"
#include "app/dump_command.h"
#include "util/pc_names.h"

namespace korvane {
namespace {

constexpr const char* kCommandSummary =
        "COPY [name]          copy from the Macintosh volume to the PC (/D data, /R resources, /B MacBinary, /F files "
        "only)\n"
        "CD name | CD .. | CD \\  enter a folder, go to the parent, go to the root\n"
        "DIR [pattern]        list the current folder (/S short, /E extended, /A with type and creator)\n"
        "LOG                  select the drive\n"
        "FORMAT [name] [/V]   format the medium (/V: a bare volume without partition map); needs --yes\n"
        "                     or a terminal to confirm\n"
        "RENAME old new       rename a file or folder\n"
        "LABEL name           rename the volume\n"
        "DELETE name, ERASE   delete a file or folder\n"
        "MCOPY                copy from the PC to the Macintosh volume\n"
        "MD name              make a folder\n"
        "ATTRIB name          show a file's name, type, creator, dates and fork lengths\n"
        "ATTRIB name \"field=value,...\"  change them: name, type, creator, created, modified\n"
        "                     (dates as YYYY-MM-DD HH:MM), e.g. \"type=TEXT,creator=ttxt\"\n"
        "OPTIONS              file naming options\n"
        "VERIFY               verify the drive\n"
        "LOCK, UNLOCK         prevent or allow medium removal\n"
        "MODE R+ | MODE R-    reset the drive before every transfer, or not\n"
        "INFO                 volume information\n"
        "SWAP name            swap the data and resource forks of a file\n"
        "CHECK                check the volume and list its problems (changes nothing)\n"
        "DUMP name [/R] [/H]  a file's data fork as offsets, hexadecimal and characters\n"
        "                     (/R the resource fork, /H hexadecimal offsets)\n"
        "RESCUE               find the files of a damaged volume and write them to the PC directory\n"
        "HELP, ?              this list\n"
        "QUIT                 end korvane-cmd\n"
        "Keywords may be abbreviated: C is COPY, D is DIR, RE is RENAME.\n"
        "Exit status of korvane-cmd: 0 every command did what it was asked, 1 a fatal error,\n"
        "2 a bad command line (a bad image option included), 3 a CHECK found damage,\n"
        "4 a command failed (a file not copied or incomplete, a folder not created, no volume,\n"
        "nothing matched, a command unknown or not available). 1 wins over 3, 3 over 4.\n";

}  // namespace

void add_console_command_handlers(CommandHandlers& handlers, std::ostream& out) {
    handlers.add(CommandCode::Help, [&out](Context&, const ParsedCommand&) { out << kCommandSummary; });
    handlers.add(CommandCode::Dump, [&out](Context& ctx, const ParsedCommand& command) {
        print_dump_command(ctx, command, [&out](const std::string& line) {
            out << pc_name_to_utf8(shown_dump_line(line), PcCharset::Windows) << '\n';
        });
    });
    // The session ends after the line; nothing else to do.
    handlers.add(CommandCode::Quit, [](Context&, const ParsedCommand&) {});
}

void print_command_output(const Context& ctx, const ParsedCommand& command, std::ostream& out) {
    if (command.code != CommandCode::Dir) return;
    for (const std::string& line : listing_text_lines(ctx)) out << line << '\n';
}

}  // namespace korvane
