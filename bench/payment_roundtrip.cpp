// Synchronous payment round trips per second against the stand-in payment server on loopback:
// the client library beside a minimal client written directly on sockets that sends the same
// bytes and reads the same reply (the floor). Each round trip is one TCP connection, as the
// protocol wants. Runs alternate between the two so that a change of load hits both alike.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "payvane/payvaneapi.h"

namespace {

int g_apiPort = 0;
int g_adminPort = 0;
const Key kKey = {1234, 77};
const Amount kAmount = {1999, -2, 840};
const unsigned long kBatch = 12;

std::string Be32(uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return std::string(b, 4);
}

std::string Parm(const char* field, const std::string& value) {
    return Be32(uint32_t(value.size())) + field + value;
}

// The deposit below, framed, written out by hand.
std::string DepositFrame() {
    std::string command = "DEPOSIT        " + Parm("PVAPIVERSION    ", "2") +
                          Parm("ORDERNUMBER     ", "1234") + Parm("MERCHANTNUMBER  ", "77") +
                          Parm("AMOUNT          ", "1999") + Parm("AMOUNTEXP10     ", "-2") +
                          Parm("CURRENCY        ", "840") + Parm("PAYMENTNUMBER   ", "42") +
                          Parm("BATCHID         ", "12");
    return Be32(uint32_t(command.size())) + command;
}

bool ReadFull(int fd, char* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        ssize_t got = recv(fd, buffer + done, count - done, 0);
        if (got <= 0)
            return false;
        done += size_t(got);
    }
    return true;
}

int Connect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(uint16_t(port));
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// The floor: one connection, one send of the prepared frame, the header, the data, close.
bool RawRoundTrip(const std::string& frame, std::vector<char>* data) {
    int fd = Connect(g_apiPort);
    if (fd < 0)
        return false;
    bool ok = send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) == ssize_t(frame.size());
    unsigned char header[8];
    ok = ok && ReadFull(fd, reinterpret_cast<char*>(header), 8);
    if (ok) {
        uint32_t length = (uint32_t(header[4]) << 24) | (uint32_t(header[5]) << 16) |
                          (uint32_t(header[6]) << 8) | header[7];
        data->resize(length);
        ok = length == 0 || ReadFull(fd, data->data(), length);
    }
    close(fd);
    return ok;
}

void BM_RawSocket(benchmark::State& state) {
    const std::string frame = DepositFrame();
    std::vector<char> data;
    for (auto _ : state) {
        if (!RawRoundTrip(frame, &data)) {
            state.SkipWithError("raw round trip failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Library(benchmark::State& state) {
    int rc = 0;
    PaymentServerSession* session =
        pvInitializeAPI(PV_MODE_SYNC, "127.0.0.1", g_apiPort, g_adminPort, &rc);
    for (auto _ : state) {
        if (pvDeposit(session, &kKey, 42, &kAmount, &kBatch, nullptr, &rc) != 0) {
            state.SkipWithError("library round trip failed");
            break;
        }
    }
    pvCloseAPI(&session);
    state.SetItemsProcessed(state.iterations());
}

// Checks that the library puts exactly the floor's bytes on the wire, through a listener of
// our own and an asynchronous request.
bool SameBytesOnTheWire() {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    int rc = 0;
    PaymentServerSession* session =
        pvInitializeAPI(PV_MODE_ASYNC, "127.0.0.1", ntohs(addr.sin_port), 1, &rc);
    pvDeposit(session, &kKey, 42, &kAmount, &kBatch, nullptr, &rc);
    const std::string want = DepositFrame();
    std::string got(want.size(), '\0');
    int peer = accept(listener, nullptr, nullptr);
    bool same = peer >= 0 && ReadFull(peer, &got[0], got.size()) && got == want;
    if (peer >= 0)
        close(peer);
    close(listener);
    pvCloseAPI(&session);
    return same;
}

// The stand-in server runs as its own process from the folder of this program.
pid_t StartServer() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return -1;
    self[n] = 0;
    std::string path = std::string(self, strrchr(self, '/') - self) + "/payserver";
    int out[2];
    if (pipe(out) != 0)
        return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        execl(path.c_str(), "payserver", "--reply", "approved 42", (char*)nullptr);
        _exit(127);
    }
    close(out[1]);
    char line[256] = {0};
    FILE* from = fdopen(out[0], "r");
    bool ok = fgets(line, sizeof line, from) &&
              sscanf(line, "payserver: api port %d, admin port %d", &g_apiPort, &g_adminPort) == 2;
    fclose(from);
    if (!ok) {
        fprintf(stderr, "cannot start %s\n", path.c_str());
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

void StopServer(pid_t pid) {
    int rc = 0;
    PaymentServerSession* session =
        pvInitializeAPI(PV_MODE_SYNC, "127.0.0.1", g_apiPort, g_adminPort, &rc);
    if (pvShutdownTill(session, &rc) != 0)
        kill(pid, SIGTERM);
    pvCloseAPI(&session);
    waitpid(pid, nullptr, 0);
}

// Keeps every run's rate, so the ratio of the medians can be printed after the table.
class RateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto rate = run.counters.find("items_per_second");
            if (!run.error_occurred && rate != run.counters.end())
                rates_[run.run_name.function_name].push_back(rate->second.value);
        }
    }
    double Median(const std::string& name) {
        std::vector<double> v = rates_[name];
        if (v.empty())
            return 0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }

private:
    std::map<std::string, std::vector<double>> rates_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    pid_t server = StartServer();
    if (server < 0)
        return 1;
    printf("library frame identical to the floor's: %s\n", SameBytesOnTheWire() ? "yes" : "NO");
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("BM_RawSocket", BM_RawSocket)->MinTime(0.5)->UseRealTime();
        benchmark::RegisterBenchmark("BM_Library", BM_Library)->MinTime(0.5)->UseRealTime();
    }
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    StopServer(server);
    double raw = reporter.Median("BM_RawSocket");
    double lib = reporter.Median("BM_Library");
    printf("round trips/s (median of 5): library %.0f, raw sockets %.0f, library/raw %.3f\n", lib,
           raw, raw > 0 ? lib / raw : 0.0);
    benchmark::Shutdown();
    return 0;
}
