#include "sandbox_fixture.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <ftw.h>
#include <grp.h>
#include <netinet/in.h>
#include <random>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>

std::string Text(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> WordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return text;
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

bool WriteWholeFile(const std::string& path, const std::string& text, mode_t mode) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    if (fd < 0)
        return false;
    bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = fchmod(fd, mode) == 0 && ok;
    return close(fd) == 0 && ok;
}

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string ModeAndOwner(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return "missing";
    char text[32];
    snprintf(text, sizeof text, "%s%o %u", S_ISLNK(st.st_mode) ? "link " : "",
             static_cast<unsigned>(st.st_mode & 07777), static_cast<unsigned>(st.st_uid));
    return text;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    // Tests make files and directories read-only on purpose; open them up to remove them.
    chmod(path, 0700);
    remove(path);
    return 0;
}

static int OpenUp(const char* path, const struct stat* st, int, struct FTW*) {
    if (S_ISDIR(st->st_mode))
        chmod(path, 0700);
    return 0;
}

void RemoveTree(const std::string& path) {
    // Directories first made searchable (top down), then everything removed bottom up.
    nftw(path.c_str(), OpenUp, 16, FTW_PHYS);
    nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::vector<std::string> Entries(const std::string& dir, const char* pattern) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            std::string name = entry->d_name;
            if (name != "." && name != ".." && fnmatch(pattern, name.c_str(), 0) == 0)
                names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteScript(const std::string& path, const std::string& body) {
    std::error_code error;
    std::filesystem::create_directories(path.substr(0, path.rfind('/')), error);
    return WriteWholeFile(path, "#!/bin/sh\n" + body, 0755);
}

bool Eventually(const std::function<bool()>& check, int timeoutMs) {
    for (int waited = 0; !check(); waited += 10) {
        if (waited >= timeoutMs)
            return false;
        usleep(10000);
    }
    return true;
}

bool Alive(int pid) {
    std::string stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = stat.rfind(')');
    return pid > 0 && paren != std::string::npos && paren + 2 < stat.size() &&
           stat[paren + 2] != 'Z';
}

int Processes(const std::string& text) {
    int count = 0;
    for (const std::string& pid : Entries("/proc", "[0-9]*"))
        count += ReadWholeFile("/proc/" + pid + "/cmdline").find(text) != std::string::npos;
    return count;
}

ScratchDir::ScratchDir() {
    char dir[] = "/tmp/vxroot-XXXXXX";
    if (!mkdtemp(dir)) {
        ADD_FAILURE() << "mkdtemp: " << strerror(errno);
        return;
    }
    m_path = dir;
    chmod(dir, 0755);
}

ScratchDir::~ScratchDir() {
    if (!m_path.empty() && !getenv("VXCONFIG_KEEP_SANDBOX"))
        RemoveTree(m_path);
}

bool RunUnprivileged(const std::function<bool()>& check) {
    pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        enum { kNobody = 65534 };
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void SandboxTest::Save(const char* name, SavedVar& saved) {
    const char* value = getenv(name);
    saved.set = value != nullptr;
    saved.value = value ? value : "";
}

void SandboxTest::Restore(const char* name, const SavedVar& saved) {
    if (saved.set)
        setenv(name, saved.value.c_str(), 1);
    else
        unsetenv(name);
}

void SandboxTest::SetUp() {
    // Saved first: TearDown restores them even when the set-up fails half way.
    Save("VXCONFIG_ROOT", m_savedRoot);
    Save("PATH", m_savedPath);
    Save("VXCONFIG_SLEEP_MS", m_savedSleep);
    Save("TMPDIR", m_savedTmp);
    // Searchable by everybody, so that unprivileged checks can reach the files.
    m_dir.reset(new ScratchDir);
    m_root = m_dir->Path();
    ASSERT_FALSE(m_root.empty());
    ICString error;
    ASSERT_EQ(SandboxBuild(m_root.c_str(), sandboxOptions, error), 1) << (const char*)error;
    std::string path = m_root + "/bin";
    if (m_savedPath.set)
        path += ":" + m_savedPath.value;
    setenv("VXCONFIG_ROOT", m_root.c_str(), 1);
    setenv("PATH", path.c_str(), 1);
    setenv("VXCONFIG_SLEEP_MS", "0", 1);
    // Every test's operations report their progress from nothing.
    ICResetProgress();
}

void SandboxTest::TearDown() {
    Restore("VXCONFIG_ROOT", m_savedRoot);
    Restore("PATH", m_savedPath);
    Restore("VXCONFIG_SLEEP_MS", m_savedSleep);
    Restore("TMPDIR", m_savedTmp);
    m_dir.reset();
}

void KillAtRandom(int rounds, unsigned seed, int maxDelayUs, const std::function<void()>& work,
                  const std::function<void(int round)>& check) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, maxDelayUs);
    for (int round = 0; round < rounds; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            work();
            _exit(0);
        }
        usleep(static_cast<useconds_t>(delay(random)));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        ASSERT_EQ(waitpid(child, nullptr, 0), child);
        check(round);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

int LoopbackSocket(bool listening, int* port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    EXPECT_EQ(0, bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr)) << strerror(errno);
    EXPECT_TRUE(!listening || listen(fd, 16) == 0);
    EXPECT_EQ(0, getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len));
    *port = ntohs(addr.sin_port);
    return fd;
}

int FreePort() {
    enum { kLowest = 1100, kHighest = 60000, kTries = 100 };
    for (int i = 0; i < kTries; ++i) {
        int port = 0;
        close(LoopbackSocket(false, &port));
        if (port >= kLowest && port <= kHighest)
            return port;
    }
    return 0;
}

MSInfo SandboxTest::Instance(const char* name) const {
    const std::string n = name, inst = Rooted("/inst/" + n);
    MSInfo m;
    m.Name = name;
    m.RootPath = inst.c_str();
    m.VXLogPath = (inst + "/logs").c_str();
    m.CachePath = (inst + "/cache").c_str();
    m.HtmlPath = Rooted("/conf/" + n).c_str();
    m.DocRoot = Rooted("/docs/" + n).c_str();
    m.CgiPath = Rooted("/cgi/" + n).c_str();
    m.MacroPath = Rooted("/opt/Orvellvndx/Vendrix3/macro/en_US").c_str();
    m.DBUser = SANDBOX_INSTANCE_USER;
    m.DBOwner = SANDBOX_OWNER_USER;
    return m;
}

void SandboxTest::AddInstance(const std::string& name, const std::vector<std::string>& more) const {
    std::vector<std::string> args = {"add",      name,
                                     "--port",   std::to_string(FreePort()),
                                     "--dbuser", SANDBOX_INSTANCE_USER,
                                     "--dbpass", SANDBOX_PASSWORD};
    args.insert(args.end(), more.begin(), more.end());
    VxcfgOk(args);
}

void SandboxTest::NotingSu(const std::string& first) const {
    EXPECT_TRUE(WriteScript(Rooted("/bin/su"),
                            // One write per call: a reader never sees half a line.
                            first + "line=; for a in \"$@\"; do line=\"$line$a|\"; done\n" +
                                "printf '%s\\n' \"$line\" >> " + Rooted("/su.log") + "\n"));
}

std::vector<std::string> SandboxTest::SuLines(size_t expected) const {
    std::vector<std::string> lines;
    Eventually(
        [&] { return (lines = LinesOf(ReadWholeFile(Rooted("/su.log")))).size() >= expected; });
    return lines;
}

MSInfo SandboxTest::DatabaseInstance(const char* name, const char* db, int options) const {
    MSInfo m = Instance(name);
    m.DBName = db;
    m.VXLogPath = Rooted(std::string("/logs/") + name).c_str();
    mkdir(Rooted("/logs").c_str(), 0755);
    mkdir(m.VXLogPath, 0755);
    EXPECT_EQ(m.SetDBPswd(SANDBOX_PASSWORD), 1);
    EXPECT_EQ(m.SetMerKey("0123456789abcdef"), 1);
    m.MSOption = options;
    if (options & MS_OPT_DB_REMOTE) {
        m.DBNode = (std::string("node") + name).c_str();
        m.DBHost = "127.0.0.1";
    }
    return m;
}
