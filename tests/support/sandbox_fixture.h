// SandboxTest: every test runs in a fresh sandbox installation of its own under
// /tmp/vxroot-XXXXXX, with VXCONFIG_ROOT set to it, ROOT/bin first in PATH, no pauses
// (VXCONFIG_SLEEP_MS=0) and the progress counters reset. TearDown restores the environment (TMPDIR
// too, which a test may point into its sandbox) and removes the tree.
#ifndef VXTEST_SANDBOX_FIXTURE_H
#define VXTEST_SANDBOX_FIXTURE_H

// What every test of the library uses comes with it: the library, GoogleTest, the C library's
// strings and the POSIX calls on files and processes.
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

#include "run_program.h"
#include "sandbox.h"
#include "vxconfig/vxconfig.h"

// The whole content of a file; empty when it cannot be read (see FileExists).
std::string ReadWholeFile(const std::string& path);
// Lines joined, each ended by a newline: how expected files are written out by hand.
std::string Text(const std::vector<std::string>& lines);
// The lines of text without their newlines, and the blank-separated words of a line.
std::vector<std::string> LinesOf(const std::string& text);
std::vector<std::string> WordsOf(const std::string& line);
// Creates or truncates path with exactly text and mode; false on any failure.
bool WriteWholeFile(const std::string& path, const std::string& text, mode_t mode = 0644);
bool FileExists(const std::string& path);
// A TCP socket bound to a free port of 127.0.0.1 (listening when asked), its port in *port; a
// test failure when it cannot be made.
int LoopbackSocket(bool listening, int* port);
// A loopback port from 1100 to 60000 with nothing listening at the moment (bound, then let
// go), so that an instance's ports from it stay below the last; 0 when none.
int FreePort();
// Removes a file or a whole directory tree; missing is fine.
void RemoveTree(const std::string& path);
// The names in dir that match the shell pattern, sorted; empty when dir cannot be read.
std::vector<std::string> Entries(const std::string& dir, const char* pattern = "*");
// The temporaries of the write path (NAME.vxnew-XXXXXX) in dir.
inline std::vector<std::string> Temporaries(const std::string& dir) {
    return Entries(dir, "*.vxnew-*");
}
// Writes an executable shell script (mode 0755), creating its directory.
bool WriteScript(const std::string& path, const std::string& body);
// Whether check holds within timeoutMs, polled every 10 ms.
bool Eventually(const std::function<bool()>& check, int timeoutMs = 5000);
// The process exists and has not ended (a zombie has).
bool Alive(int pid);
// The processes whose command line holds text.
int Processes(const std::string& text);

// A fresh directory /tmp/vxroot-XXXXXX of the test's own (no dot, so it may serve as a
// system root), searchable by everybody and removed with the object unless
// VXCONFIG_KEEP_SANDBOX is set. Path() is empty, with a test failure, when it cannot be made.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// rounds times: runs work in a child process (work never returns), kills it with SIGKILL after
// a random pause of up to maxDelayUs (the same pauses for the same seed), waits for it and
// calls check with the round's number. Stops at the first fatal failure.
void KillAtRandom(int rounds, unsigned seed, int maxDelayUs, const std::function<void()>& work,
                  const std::function<void(int round)>& check);

// Runs check in a child process that cannot override file permissions (a process running as
// root gives up to the user "nobody" first); true when check returned true there.
bool RunUnprivileged(const std::function<bool()>& check);

// What a getter filled in when it returned 1, else its result: Filled(Get(out), out) checks
// both in one comparison (out is read only after the call).
inline std::string Filled(int result, const ICString& out) {
    return result == 1 ? std::string(out) : "(result " + std::to_string(result) + ")";
}

// Whether text holds part; either way the message shows part and the whole text.
inline ::testing::AssertionResult Has(const std::string& text, const std::string& part) {
    auto result = text.find(part) != std::string::npos ? ::testing::AssertionSuccess()
                                                       : ::testing::AssertionFailure();
    return result << "\"" << part << "\" in:\n" << text;
}

// The permission bits of path, 0 when it cannot be examined.
mode_t ModeOf(const std::string& path);
// "MODE UID" in octal, "link MODE UID" for a symbolic link itself, or "missing".
std::string ModeAndOwner(const std::string& path);

// Collects the texts the library hands one callback (&pfnUpdate, &pfnInfo or &pfnError) while
// the object lives; the front end's CGI setting is on, so that errors and notices reach it.
template <ICTextCallback* Callback> class Collected {
public:
    Collected() : m_cgi(bCgiApp) {
        Texts().clear();
        bCgiApp = 1;
        *Callback = [](const char* text) { Texts().push_back(text ? text : ""); };
    }
    ~Collected() {
        *Callback = nullptr;
        bCgiApp = m_cgi;
    }
    Collected(const Collected&) = delete;
    Collected& operator=(const Collected&) = delete;
    const std::vector<std::string>& Lines() const { return Texts(); }
    // Forgets what was collected so far.
    void Clear() { Texts().clear(); }

private:
    static std::vector<std::string>& Texts() {
        static std::vector<std::string> texts;
        return texts;
    }
    int m_cgi;
};
using StatusLines = Collected<&pfnUpdate>;
using InfoLines = Collected<&pfnInfo>;
using ErrorLines = Collected<&pfnError>;

// The record at index i of list; a failure (and an empty record) when there is none.
inline MSInfo At(MSList& list, int i) {
    MSInfo m;
    EXPECT_TRUE(list.SetIndex(i) && list.GetCurrent(m)) << "no record " << i;
    return m;
}

class SandboxTest : public ::testing::Test {
protected:
    // A subclass changes these in its constructor to leave a product out.
    SandboxOptions sandboxOptions;

    void SetUp() override;
    void TearDown() override;

    // The sandbox root, without a trailing slash.
    const std::string& Root() const { return m_root; }
    // A fixed absolute path as seen inside the sandbox: Root() + absolute.
    std::string Rooted(const std::string& absolute) const { return m_root + absolute; }
    // A record of instance name, nothing made on disk: RootPath ROOT/inst/NAME with its logs
    // and cache inside, HtmlPath ROOT/conf/NAME, DocRoot ROOT/docs/NAME, CgiPath ROOT/cgi/NAME,
    // the product's macros and the sandbox's database users.
    MSInfo Instance(const char* name) const;
    // Instance(name) with the sandbox's password, database db and log directory ROOT/logs/NAME
    // (made); a remote database gets node "node"+NAME on the loopback host.
    MSInfo DatabaseInstance(const char* name, const char* db, int options = 0) const;
    // Puts a su in ROOT/bin that runs first, then notes its arguments as one line of
    // ROOT/su.log, each followed by '|'.
    void NotingSu(const std::string& first = "") const;
    // The lines su noted, once there are expected of them (the commands run in the background)
    // or a few seconds passed.
    std::vector<std::string> SuLines(size_t expected) const;
    // vxcfg add of name on a free port with the sandbox's database user and password, and the
    // options more; a test failure when it is refused.
    void AddInstance(const std::string& name, const std::vector<std::string>& more = {}) const;
    // vxcfg of the build run on the sandbox (--root first).
    ProgramResult Vxcfg(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--root", m_root});
        return RunProgram("vxcfg", args);
    }
    // Vxcfg, with a test failure that shows what it said unless it succeeds.
    ProgramResult VxcfgOk(const std::vector<std::string>& args) const {
        ProgramResult r = Vxcfg(args);
        EXPECT_EQ(r.exitCode, 0) << r.err << r.out;
        return r;
    }

private:
    struct SavedVar {
        bool set = false;
        std::string value;
    };
    static void Save(const char* name, SavedVar& saved);
    static void Restore(const char* name, const SavedVar& saved);

    std::unique_ptr<ScratchDir> m_dir;
    std::string m_root;
    SavedVar m_savedRoot, m_savedPath, m_savedSleep, m_savedTmp;
};

#endif
