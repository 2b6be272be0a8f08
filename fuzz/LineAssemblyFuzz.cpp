// Line assembly and reply dispatch fed arbitrary bytes in arbitrary chunks
// through a small ring, so lines cross its end all the time. Every line ended
// by CR must reach the controller log once, trimmed, and nothing may be sent
// to a connected panel that no rule sends for these lines.
//
// Input: byte 0 = how many chunk sizes follow (mod 16), then the chunk sizes,
// then the stream.
#include <cstddef>
#include <cstdint>
#include <unistd.h>
#include <string>
#include <vector>

#include "FakeCommBackend.h"
#include "FakeDeviceSource.h"
#include "FakeMainView.h"
#include "FakeMessageLoop.h"
#include "LogLines.h"
#include "TempDir.h"
#include "form/ZorvGSMDemoMain.h"
#include "discovery/SerialPort.h"
#include "foundation/ErrorLog.h"
#include "foundation/Resources.h"
#include "serial/ComPortUS.h"

namespace {

using namespace zorv;

// One file per process: several fuzzing processes may run side by side.
const std::string& LogFile() {
    static const std::string name = "/dev/shm/zorv-fuzz-lines-" + std::to_string(getpid()) + ".log";
    return name;
}

std::string Trimmed(const std::string& raw) {
    size_t begin = 0;
    while (begin < raw.size() && (raw[begin] == '\r' || raw[begin] == '\n' || raw[begin] == ' ')) ++begin;
    size_t end = raw.size();
    while (end > begin && static_cast<unsigned char>(raw[end - 1]) <= 32) --end;
    return raw.substr(begin, end - begin);
}

std::vector<std::string> ExpectedLines(const std::string& stream) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t cr; (cr = stream.find('\r', start)) != std::string::npos; start = cr + 1) {
        const std::string line = Trimmed(stream.substr(start, cr - start));
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t chunkCount = data[0] % 16;
    if (size < 1 + chunkCount) return 0;
    std::vector<size_t> chunks;
    for (size_t i = 0; i < chunkCount; ++i) chunks.push_back(1 + data[1 + i] % 97);
    if (chunks.empty()) chunks.push_back(64);
    const std::string stream(reinterpret_cast<const char*>(data + 1 + chunkCount), size - 1 - chunkCount);

    // The window and its port live across inputs, as in the program; each input
    // is one connection of the port.
    static test::FakeMessageLoop loop;
    static test::FakeMainView view;
    static test::FakeDeviceSource devices;
    static test::FakeCommBackend backend;
    static const TErrorLog errors("/dev/null", nullptr);
    static TZorvGSMDemoMainForm& form = [] () -> TZorvGSMDemoMainForm& {
        static TZorvGSMDemoMainForm f({loop, view, devices, backend, BuiltInResources()});
        f.FControllerLogEnabled = true;
        f.FControllerLogFileName = LogFile();
        f.FPortList = std::make_unique<TSerialPortList>();
        f.SetPortDefault();
        f.FComPort->SetInpBufSize(64);
        f.FComPort->SetPort(3);
        return f;
    }();

    std::remove(LogFile().c_str());
    form.FComPort->SetActive(true);
    // A connected panel with no script and no question outstanding: no line
    // may make the dialogue send anything.
    form.FMainFirmware = true;
    form.FCurrentCommand = "ARM_ALLOWED=0";
    const size_t sentBefore = backend.Written.size();

    size_t pos = 0;
    for (size_t k = 0; pos < stream.size(); ++k) {
        const size_t want = std::min(chunks[k % chunks.size()], stream.size() - pos);
        pos += backend.Receive(stream.substr(pos, want));
        loop.Advance(10);
    }
    loop.Advance(10);
    if (backend.Written.size() != sentBefore) __builtin_trap();
    if (test::LoggedReplies(test::ReadFileBytes(LogFile())) != ExpectedLines(stream)) __builtin_trap();
    form.FComPort->SetActive(false);
    backend.Written.clear();
    return 0;
}
