#include "app/switches.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <map>

#include "device/image_description.h"
#include "transfer/output_port.h"

namespace korvane {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Options of korvane-cmd that take a value; the window refuses them all.
enum class ConsoleOption { Line, Yes, No, Partition, PcDir, Scan, Port, Verbose, DriverFrom };

const std::map<std::string_view, ConsoleOption>& console_options() {
    static const std::map<std::string_view, ConsoleOption> table = {
            {"-c", ConsoleOption::Line},
            {"--yes", ConsoleOption::Yes},
            {"--no", ConsoleOption::No},
            {"--partition", ConsoleOption::Partition},
            {"--pc-dir", ConsoleOption::PcDir},
            {"--scan", ConsoleOption::Scan},
            {"--port", ConsoleOption::Port},
            {"-v", ConsoleOption::Verbose},
            {"--driver-from", ConsoleOption::DriverFrom},
    };
    return table;
}

bool takes_value(ConsoleOption option) {
    return option == ConsoleOption::Line || option == ConsoleOption::Partition || option == ConsoleOption::PcDir ||
           option == ConsoleOption::Port || option == ConsoleOption::DriverFrom;
}

// Applies a korvane-cmd option; returns an error text or "".
std::string apply_console_option(ConsoleOption option, const std::string& value, ConsoleOptions& console) {
    switch (option) {
        case ConsoleOption::Line:
            console.lines.push_back(value);
            break;
        case ConsoleOption::Yes:
            console.answers = AnswerMode::AlwaysYes;
            break;
        case ConsoleOption::No:
            console.answers = AnswerMode::AlwaysNo;
            break;
        case ConsoleOption::Scan:
            console.scan = true;
            break;
        case ConsoleOption::Port:
            if (!port_from_name(value)) return "--port needs FILE, LPT1-LPT3 or COM1-COM4, not \"" + value + "\"";
            console.port = value;
            break;
        case ConsoleOption::Verbose:
            console.verbose = true;
            break;
        // Made absolute now: --pc-dir changes the current directory later.
        case ConsoleOption::DriverFrom:
            console.driver_from = std::filesystem::absolute(value).string();
            break;
        case ConsoleOption::PcDir: {
            struct stat info {};
            if (stat(value.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return "--pc-dir: not a directory: " + value;
            console.pc_dir = value;
            break;
        }
        case ConsoleOption::Partition: {
            int row = -1;
            auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), row);
            if (error != std::errc() || end != value.data() + value.size() || row < 0) {
                return "--partition needs a row number, not \"" + value + "\"";
            }
            console.partition_row = row;
            break;
        }
    }
    return {};
}

}  // namespace

static std::string absolute_path(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::error_code error;
    const std::filesystem::path made = std::filesystem::absolute(path, error);
    return error ? path : made.string();
}

bool looks_like_absolute_path(std::string_view token) {
    if (token.size() < 2 || token[0] != '/') return false;
    const std::string_view first_component = token.substr(
            1, token.find('/', 1) == std::string_view::npos ? std::string_view::npos : token.find('/', 1) - 1);
    struct stat info {};
    return lstat(("/" + std::string(first_component)).c_str(), &info) == 0;
}

bool apply_switch(std::string_view token, StartupSwitches& switches) {
    if (token.size() < 2 || (token[0] != '/' && token[0] != '-')) return false;
    if (token[0] == '/' && looks_like_absolute_path(token)) return false;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(token[1])));
    const std::string_view rest = token.substr(2);
    switch (letter) {
        case 'A':
            // Only the token's own characters count: /A0 sets the adapter alone.
            if (!rest.empty() && is_digit(rest[0])) {
                switches.host_adapter = static_cast<std::uint8_t>(rest[0] - '0');
                if (rest.size() > 1 && is_digit(rest[1])) switches.target_id = static_cast<std::uint8_t>(rest[1] - '0');
            }
            break;
        case 'L':
            switches.log_option = std::string(rest);
            break;
        case 'R':
            switches.reset_each_access = true;
            break;
        default:
            break;  // other letters have never meant anything
    }
    return true;
}

ParsedLaunch parse_launch_arguments(const std::vector<std::string>& args, FrontEnd front_end) {
    ParsedLaunch parsed;
    LaunchArguments& launch = parsed.arguments;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value_of = [&](std::string& value) {
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        if (arg == "--bus") {
            std::string dir;
            if (!value_of(dir)) return {launch, "--bus needs a folder"};
            launch.bus_dirs.push_back(absolute_path(dir));
            continue;
        }
        if (arg == "--no-journal") {
            launch.no_journal = true;
            continue;
        }
        auto console = console_options().find(arg);
        if (console != console_options().end()) {
            if (front_end == FrontEnd::Window) return {launch, arg + " is an option of korvane-cmd only"};
            std::string value;
            if (takes_value(console->second) && !value_of(value)) return {launch, arg + " needs a value"};
            std::string error = apply_console_option(console->second, value, launch.console);
            if (!error.empty()) return {launch, error};
            continue;
        }
        if (arg.starts_with("--")) return {launch, "unknown option " + arg};
        if (arg.empty() || apply_switch(arg, launch.switches)) continue;
        const std::string problem = check_image_argument(arg);
        if (!problem.empty()) return {launch, arg + ": " + problem};
        // Made absolute now: --pc-dir changes the current directory later.
        launch.images.push_back(absolute_path(arg));
    }
    const bool yes = std::find(args.begin(), args.end(), "--yes") != args.end();
    const bool no = std::find(args.begin(), args.end(), "--no") != args.end();
    if (yes && no) return {launch, "--yes and --no exclude each other"};
    return parsed;
}

}  // namespace korvane
