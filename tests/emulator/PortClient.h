#pragma once
// The program's side of an emulated panel's port, with plain POSIX I/O and
// bounded waits: it opens the port raw, writes commands and reads reply lines.
#include <chrono>
#include <optional>
#include <string>

namespace zorv::test {

using namespace std::chrono_literals;

class PortClient {
public:
    explicit PortClient(const std::string& path);  // the test fails when the port does not open
    ~PortClient();
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    bool IsOpen() const { return FFd >= 0; }
    int Fd() const { return FFd; }
    // Sends the command followed by CR LF.
    void Send(const std::string& command);
    void WriteRaw(const std::string& bytes);
    // The next reply line without its CR and the LF that follows it; none after the timeout or a hang-up.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = 2000ms);
    // True when poll() reports the hang-up of an unplugged device within the timeout.
    bool WaitHangUp(std::chrono::milliseconds timeout = 2000ms);
    // How many read() calls the bytes of the last line took.
    int ReadsOfLastLine() const { return FReadsOfLastLine; }

private:
    int FFd = -1;
    std::string FPending;
    int FReads = 0;
    int FReadsOfLastLine = 0;
};

}  // namespace zorv::test
