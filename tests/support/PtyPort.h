#pragma once
// A pseudo-terminal presented to the driver as port n: the driver opens the
// slave, the test plays the device on the master. Unplug() closes the master,
// which hangs the slave up as a real unplug does.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "LineDevice.h"
#include "serial/CommBackend.h"

namespace zorv::test {

class PtyPort {
public:
    explicit PtyPort(int32_t PortNumber);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    const std::string& SlavePath() const { return FSlavePath; }
    int32_t PortNumber() const { return FPortNumber; }
    int MasterFd() const { return FMaster; }

    // Writes all of Bytes to the line; false when the master refused them.
    bool Send(const std::string& Bytes);
    // What the driver wrote, waiting up to TimeoutMs for Count bytes.
    std::string ReadSent(size_t Count, int TimeoutMs = 5000);
    void Unplug();

private:
    int32_t FPortNumber;
    int FMaster = -1;
    std::string FSlavePath;
};

// The Linux serial backend with the paths the test maps its ports to; the
// driver state uses it for the life of the object.
class PortPaths {
public:
    PortPaths();
    ~PortPaths();
    PortPaths(const PortPaths&) = delete;
    PortPaths& operator=(const PortPaths&) = delete;
    void Add(int32_t PortNumber, const std::string& Path) { FPaths[PortNumber] = Path; }
    void Add(const PtyPort& Port) { Add(Port.PortNumber(), Port.SlavePath()); }
    ICommBackend& Backend() { return *FBackend; }

private:
    std::map<int32_t, std::string> FPaths;
    std::unique_ptr<ICommBackend> FBackend;
};

}  // namespace zorv::test
