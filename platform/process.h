// Starting a program by its command line, the way the transport starts the server program:
// the first word is looked up on PATH, the others become its arguments. The program runs
// detached (its own session, standard streams on /dev/null, reparented away from the caller),
// so the caller never has to reap it.
#pragma once

#include <cstdint>

namespace zunt::platform {

// Starts the command line. show is the window show mode of the request (ignored: programs
// here have no visible main window). 0 on success, or the errno of the failure (ENOENT when
// the program is not found on PATH, E2BIG for a command line of more than 15 words or 1023
// bytes). *pid receives the started program's process id when not null.
int start_program(const char* command_line, uint32_t show, uint32_t* pid) noexcept;

// True while process pid runs (a process that has ended but was not yet reaped does not).
bool program_running(uint32_t pid) noexcept;

}  // namespace zunt::platform
