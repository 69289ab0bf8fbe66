// DaemonTest: a sandbox in which the daemon stand-ins are started. The test process adopts
// every daemon it starts (it is their subreaper), and TearDown kills whatever still runs a
// program of the sandbox, waits until it is gone and reaps it, so no process outlives a test.
#ifndef VXTEST_DAEMON_FIXTURE_H
#define VXTEST_DAEMON_FIXTURE_H

#include <functional>
#include <string>
#include <vector>

#include "sandbox_fixture.h"

// Sends request to 127.0.0.1:port and returns what came back until the peer closed or
// timeoutMs passed; *closed tells which. Empty with *closed false when it cannot connect.
std::string Exchange(int port, const std::string& request, int timeoutMs, bool* closed);
// The library's administrative request for command ("ListServers", "CloseAll").
std::string AdminRequest(const char* command, int port);
// The status code of an HTTP reply (0 for none).
int StatusOf(const std::string& reply);
bool CanConnect(int port);

// Polls check every 20 ms until it holds or timeoutMs passed.
bool WaitFor(const std::function<bool()>& check, int timeoutMs);
// The process exists and is not a zombie.
bool Alive(int pid);
// The first number of a pid file, 0 when there is none.
int PidIn(const std::string& path);
// The process ids named by the PID.vxpid files of dir, ascending.
std::vector<int> MarkerPids(const std::string& dir);

class DaemonTest : public SandboxTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Where the product keeps its programs, under the root.
    std::string ProductBin() const { return Rooted("/opt/Orvellvndx/Vendrix3/bin"); }
    // A new configuration directory for instance name, under the owner's home.
    std::string ConfDir(const std::string& name) const;
    // Adds "service port/tcp" to the sandbox's services file.
    void AddService(const std::string& service, int port);
    // Writes dir/srvrctrl.conf as the library writes it, with service and the pool of members
    // (names joined to dir), and returns its path.
    std::string WriteControllerConf(const std::string& dir, const std::string& service,
                                    const std::vector<std::string>& members);
    // Starts the controller of conf directly; its exit status.
    int StartController(const std::string& conf, std::string* err = nullptr);
    // The processes that run a program below the root.
    std::vector<int> SandboxPids() const;
};

#endif
