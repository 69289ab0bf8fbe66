#include "run_program.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReadAll(int fd) {
    std::string all;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        all.append(buffer, static_cast<size_t>(n));
    return all;
}

// In a child: replaces it by the program.
void ExecProgram(const std::string& path, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
}

} // namespace

int StartProgram(const std::string& name, const std::vector<std::string>& args) {
    std::string path = std::string(VX_BIN_DIR) + "/" + name;
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        ExecProgram(path, args);
    }
    return pid;
}

// Runs path with the arguments, standard input empty, and captures its output.
static ProgramResult Run(const std::string& path, const std::vector<std::string>& args,
                         const char* stdoutPath) {
    ProgramResult result;
    // Output goes to files: a pipe could fill up while the other one is being drained.
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        int target = stdoutPath ? open(stdoutPath, O_WRONLY) : fileno(out);
        dup2(target, 1);
        dup2(fileno(err), 2);
        ExecProgram(path, args);
    }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    lseek(fileno(out), 0, SEEK_SET);
    lseek(fileno(err), 0, SEEK_SET);
    result.out = ReadAll(fileno(out));
    result.err = ReadAll(fileno(err));
    fclose(out);
    fclose(err);
    return result;
}

ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args,
                         const char* stdoutPath) {
    return Run(std::string(VX_BIN_DIR) + "/" + name, args, stdoutPath);
}

ProgramResult RunShell(const std::string& command) {
    return Run("/bin/sh", {"-c", command}, nullptr);
}
