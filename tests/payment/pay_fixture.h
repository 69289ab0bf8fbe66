// Shared helpers of the payment client tests: the stand-in server on loopback, expected
// parameter bytes, and descriptor counting.
#ifndef VXTEST_PAY_FIXTURE_H
#define VXTEST_PAY_FIXTURE_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "payserver.h"
#include "payvane/payvaneapi.h"
#include "sandbox_fixture.h"

// Big-endian 4-byte integer.
inline std::string Be32(uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return std::string(b, 4);
}

// One parameter: value length, the 16-character field name, the value.
inline std::string Parm(const char* field, const std::string& value) {
    EXPECT_EQ(16u, strlen(field)) << field;
    return Be32(uint32_t(value.size())) + field + value;
}

// The result of a call with the return code it left, so that both are compared at once:
// EXPECT_EQ(Codes(16, 300), Codes(pvCall(..., &rc), rc)).
inline std::pair<int, int> Codes(int result, const int& rc) {
    return {result, rc};
}

// One whole request frame read from a raw connection, length first; "" when none came in time.
inline std::string ReadRequest(int peer) {
    std::string got;
    char buffer[512];
    pollfd watch = {peer, POLLIN, 0};
    while (poll(&watch, 1, 2000) == 1) {
        ssize_t n = recv(peer, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        got.append(buffer, size_t(n));
        if (got.size() >= 4 &&
            got.size() - 4 >= (uint32_t(uint8_t(got[0])) << 24 | uint32_t(uint8_t(got[1])) << 16 |
                               uint32_t(uint8_t(got[2])) << 8 | uint8_t(got[3])))
            return got;
    }
    return "";
}

// The result and return code of call(&rc), with a failure unless it took from atLeast to
// below seconds.
inline std::pair<int, int> TimedCodes(double atLeast, double below,
                                      const std::function<int(int*)>& call) {
    int rc = -1;
    auto start = std::chrono::steady_clock::now();
    int result = call(&rc);
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, atLeast);
    EXPECT_LT(took, below);
    return {result, rc};
}

// The descriptors this process holds open.
inline int OpenDescriptors() {
    return static_cast<int>(Entries("/proc/self/fd").size());
}

class PayServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        payserver::Config config;
        config.about = "stand-in 2.0";
        config.reply = {7, 9, ""};
        server_ = std::make_unique<payserver::Server>(config);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
    }
    void TearDown() override {
        for (PaymentServerSession*& s : sessions_)
            pvCloseAPI(&s);
        server_.reset();
    }

    PaymentServerSession* Open(int mode = PV_MODE_SYNC) {
        int rc = -1;
        PaymentServerSession* s =
            pvInitializeAPI(mode, "localhost", server_->ApiPort(), server_->AdminPort(), &rc);
        EXPECT_NE(nullptr, s);
        EXPECT_EQ(0, rc);
        sessions_[next_++ % 4] = s;
        return s;
    }
    // The bytes of the last request, after its frame length.
    std::string Last() {
        auto all = server_->Requests();
        return all.empty() ? std::string("(none)") : all.back().command;
    }
    size_t Count() { return server_->Requests().size(); }
    // An asynchronous command returns once sent; the server may not have read it yet.
    void AwaitRequests(size_t n) {
        for (int i = 0; i < 1000 && Count() < n; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(n, Count());
    }
    // Descriptors of this process once the server has closed its side of every connection.
    int Descriptors() {
        server_->WaitIdle();
        return OpenDescriptors();
    }

    std::unique_ptr<payserver::Server> server_;
    PaymentServerSession* sessions_[4] = {nullptr, nullptr, nullptr, nullptr};
    int next_ = 0;
};

#endif
