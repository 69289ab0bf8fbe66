// Programs whose output the library reads, started with fork and exec: no shell ever sees
// the path, so nothing in it can run as a command.
#include "sys/process/runprogram.h"

#include "sys/check/overlay.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

int ReadProgramOutput(const char* program, std::string& out) {
    const char* argv[] = {program, nullptr};
    return ReadProgramOutput(argv, out);
}

int ReadProgramOutput(const char* const* argv, std::string& out) {
    out.clear();
    int pipeFds[2];
    const char* program = argv ? argv[0] : nullptr;
    if (program) {
        // What it prints is read, nothing is changed: the running system answers.
        std::string shown;
        for (const char* const* arg = argv; *arg; ++arg)
            shown += (shown.empty() ? "" : " ") + std::string(*arg);
        NoteProbe(shown);
    }
    if (!program || !*program || pipe2(pipeFds, O_CLOEXEC) != 0)
        return 0;
    // Reported by the child through a second pipe when the exec fails.
    int execFds[2];
    if (pipe2(execFds, O_CLOEXEC) != 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return 0;
    }
    pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {pipeFds[0], pipeFds[1], execFds[0], execFds[1]})
            close(fd);
        return 0;
    }
    if (pid == 0) {
        int null = open("/dev/null", O_RDONLY);
        if (null >= 0)
            dup2(null, STDIN_FILENO);
        dup2(pipeFds[1], STDOUT_FILENO);
        execvp(program, const_cast<char* const*>(argv));
        int error = errno;
        ssize_t ignored = write(execFds[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    close(pipeFds[1]);
    close(execFds[1]);
    char buffer[4096];
    for (;;) {
        ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    int error = 0;
    bool execFailed = read(execFds[0], &error, sizeof error) == sizeof error;
    close(execFds[0]);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return execFailed ? 0 : 1;
}

} // namespace platform
