// Going to the background the way the product's daemons do: the program that was started
// returns to its caller as soon as the daemon reports that it is ready (or why it is not),
// and the daemon runs detached from the caller's terminal, standard streams and descriptors.
// Every daemon stand-in ends on SIGTERM or SIGINT, when the directory it serves disappears
// (its sandbox was removed), and at the latest after kMaxLifetimeSeconds.
#ifndef STANDIN_DAEMON_H
#define STANDIN_DAEMON_H

#include <string>

namespace standin {

// No stand-in daemon outlives this, however it was left behind.
const int kMaxLifetimeSeconds = 6 * 3600;
// How long the started program waits for its daemon to report.
const int kReadySeconds = 10;

// Forks the daemon (a new session, working directory "/", standard streams on /dev/null,
// every other descriptor closed) and returns in it. The calling process waits for
// DaemonReady or DaemonFail and exits: 0 when the daemon is ready, 1 otherwise, after
// printing the daemon's reason to its standard error as "name: reason". It never returns.
// Returns false (in the calling process) only when the daemon cannot be forked.
bool Daemonize(const char* name);
// Tells the waiting caller that the daemon runs.
void DaemonReady();
// Tells the waiting caller why the daemon could not start, and ends the daemon with status 1.
[[noreturn]] void DaemonFail(const std::string& reason);

// Makes SIGTERM and SIGINT set the stop flag (and not kill the process); SIGPIPE and SIGHUP
// are ignored.
void CatchStopSignals();
// True once a stop signal arrived.
bool StopSignalled();

// The stop conditions every daemon stand-in watches: a stop signal, its watched path gone,
// its lifetime over.
class Watch {
public:
    explicit Watch(std::string watchedPath);
    // True when the daemon should end now.
    bool ShouldEnd() const;

private:
    std::string m_path;
    long m_started;
};

// Pauses for ms milliseconds (or until a signal arrives).
void PauseMs(int ms);

} // namespace standin

#endif
