// The one way the library runs a program: a description of the run and one function that
// forks, execs, collects or discards what the program prints, waits for it within a deadline,
// kills its process group when the deadline passes, and, in a check run, records a command
// instead of running it.
#ifndef VX_SYS_PROCESS_SPAWN_H
#define VX_SYS_PROCESS_SPAWN_H

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// What happens to what the program prints on standard output (standard error stays the
// caller's, standard input is always /dev/null).
enum class SpawnOutput { Discard, Capture };

// Whether a check run lets it run: a command that may change the system is only recorded
// there; a probe only reads and runs in every run, noted among the probes.
enum class SpawnKind { Command, Probe };

struct SpawnRequest {
    // Either argv (the program and its arguments; run as program when that is set, else
    // argv[0] looked up in PATH when it has no "/") or shell, a text run by "/bin/sh -c".
    std::vector<std::string> argv;
    std::string program;
    std::string shell;
    // With a user, shell is run as "su - USER -c TEXT" by the rooted /bin/su, where TEXT is
    // "cd DIRECTORY;" (with a directory) followed by shell: the login shell decides the
    // directory. Without a user, only the child changes to directory before the exec.
    std::string user;
    std::string directory;
    SpawnOutput output = SpawnOutput::Discard;
    size_t outputCap = 0; // bytes kept when captured; more is a failure
    int deadlineSeconds = 0;
    SpawnKind kind = SpawnKind::Command;
    // What the change notes say of the run; empty: the command as a shell line shows it
    // ("su - USER -c 'TEXT'", "cd DIRECTORY && TEXT", or the arguments joined by blanks).
    std::string note;
};

// How a run ended.
enum class SpawnEnd {
    Recorded,     // a check run noted the command instead of running it
    Exited,       // ran and ended within the deadline; status holds its wait status
    NotStarted,   // no process could be made (pipe, fork)
    NotExecuted,  // the child could not change directory or exec the program
    TimedOut,     // killed with its process group at the deadline
    TooMuchOutput // printed more than the cap; killed with its process group
};

struct SpawnResult {
    SpawnEnd end = SpawnEnd::NotStarted;
    int status = 0;     // wait status, when Exited
    std::string output; // what it printed, when captured and Exited
    // 1 when it ran, ended within its deadline and exited with status 0, or when a check run
    // recorded it (a check judges no command's outcome); else 0.
    int Succeeded() const;
};

// Runs request. Each end but Exited and Recorded sets the reason naming the program (or the
// directory it could not enter); at the deadline the process group gets TERM, a short grace,
// then KILL, and the reason says "timed out after N s".
SpawnResult RunSpawn(const SpawnRequest& request);

// text as one word of a shell line, whatever it holds: in single quotes, each "'" written as
// "'\''".
std::string ShellQuote(const std::string& text);

} // namespace platform

#endif
