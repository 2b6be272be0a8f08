// The device side under Wine: a Windows program cannot reach the master of a
// pseudo-terminal, so line-relay.py holds it and takes requests over loopback.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "LineDevice.h"
#include "serial/CommBackendWin32.h"

namespace zorv::test {

namespace {

const char* Env(const char* Name) {
    const char* value = std::getenv(Name);
    if (value == nullptr) throw std::runtime_error(std::string(Name) + " unset: run by line-relay.py");
    return value;
}

std::string Hex(const std::string& Bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : Bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

std::string Unhex(const std::string& Hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < Hex.size(); i += 2) bytes += static_cast<char>(std::stoi(Hex.substr(i, 2), nullptr, 16));
    return bytes;
}

}  // namespace

struct LineDevice::TLine {
    TLine() {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("no Winsock");
        Socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in relay{};
        relay.sin_family = AF_INET;
        relay.sin_port = htons(static_cast<u_short>(std::atoi(Env("ZORV_LINE_RELAY"))));
        relay.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (Socket == INVALID_SOCKET || connect(Socket, reinterpret_cast<sockaddr*>(&relay), sizeof relay) != 0 ||
            Receive() != "ready")
            throw std::runtime_error("no line relay");
    }
    std::unique_ptr<ICommBackend> Backend = MakeWin32CommBackend();

    ~TLine() {
        closesocket(Socket);
        WSACleanup();
    }

    std::string Ask(const std::string& Request) {
        const std::string line = Request + "\n";
        if (send(Socket, line.data(), static_cast<int>(line.size()), 0) != static_cast<int>(line.size())) return {};
        return Receive();
    }

    std::string Receive() {
        std::string reply;
        char c;
        while (recv(Socket, &c, 1, 0) == 1 && c != '\n') reply += c;
        return reply;
    }

    SOCKET Socket = INVALID_SOCKET;
};

LineDevice::LineDevice() : FLine(new TLine) {}
LineDevice::~LineDevice() = default;

int32_t LineDevice::PortNumber() const { return std::atoi(Env("ZORV_LINE_COM")); }
ICommBackend& LineDevice::Backend() { return *FLine->Backend; }
bool LineDevice::Send(const std::string& Bytes) { return FLine->Ask("S " + Hex(Bytes)) == "ok"; }
std::string LineDevice::ReadSent(size_t Count, int TimeoutMs) {
    return Unhex(FLine->Ask("R " + std::to_string(Count) + " " + std::to_string(TimeoutMs)));
}
void LineDevice::HangUp() { FLine->Ask("H"); }

int64_t ThreadCpuMicros(TCommHandle ThreadHandle) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(reinterpret_cast<HANDLE>(ThreadHandle), &created, &exited, &kernel, &user)) return -1;
    const auto ticks = [](const FILETIME& t) { return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 10;
}

}  // namespace zorv::test
