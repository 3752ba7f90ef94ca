// korvane-cmd: Korvane's console front end.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/console_session.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return korvane::run_console_session(args, {std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0});
}
