#include "standin_shell.h"

#include <cstdio>
#include <sstream>
#include <sys/wait.h>

#include "sandbox_fixture.h"

ShellResult RunShell(const std::string& command) {
    ShellResult r;
    char errPath[] = "/tmp/vxstandin-err-XXXXXX";
    int fd = mkstemp(errPath);
    if (fd < 0)
        return r;
    close(fd);
    std::string full = "(" + command + ") 2>" + errPath + " </dev/null";
    FILE* p = popen(full.c_str(), "r");
    if (p) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
            r.out.append(buffer, n);
        int status = pclose(p);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    r.err = ReadWholeFile(errPath);
    unlink(errPath);
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line))
        r.lines.push_back(line);
    return r;
}

std::vector<std::string> WordsOf(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}
