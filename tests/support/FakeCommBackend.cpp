#include "FakeCommBackend.h"

#include "LogLines.h"

namespace zorv::test {

FakeCommBackend::FakeCommBackend() = default;

FakeCommBackend::~FakeCommBackend() {
    if (CommDrv.Backend != this) return;
    CommDrvClose(CommDrv);
    CommDrv.Backend = nullptr;
}

TPortResult FakeCommBackend::Open(TCommDrv& Drv) {
    if (FMissing.count(Drv.PortNumber))
        return {poGone, 2, "No such file or directory", "/dev/port" + std::to_string(Drv.PortNumber)};
    Drv.Handle = static_cast<TCommHandle>(0x1000 + Drv.PortNumber);
    OpenPort = Drv.PortNumber;
    Opened.push_back(Drv.PortNumber);
    OpenedSettings.push_back(Drv.DCB);
    return {};
}

TPortResult FakeCommBackend::StartReader(TCommDrv&) { return {}; }

void FakeCommBackend::StopReader(TCommDrv&) {}

void FakeCommBackend::WakeReader(TCommDrv&) {}

void FakeCommBackend::Close(TCommDrv& Drv) {
    Drv.Handle = kCommHandleNone;
    OpenPort = -1;
    ++CloseCount;
}

uint32_t FakeCommBackend::Write(TCommHandle, const uint8_t* Bytes, uint32_t Count) {
    Written.emplace_back(reinterpret_cast<const char*>(Bytes), Count);
    if (OnWritten) OnWritten(Written.back());
    return Count;
}

void FakeCommBackend::SetPortMissing(int32_t Port, bool Missing) {
    if (Missing)
        FMissing.insert(Port);
    else
        FMissing.erase(Port);
}

uint32_t FakeCommBackend::Receive(const std::string& Bytes) {
    return CommDrvStoreReceived(CommDrv, reinterpret_cast<const uint8_t*>(Bytes.data()),
                                static_cast<uint32_t>(Bytes.size()));
}

std::string FakeCommBackend::WrittenText() const {
    std::string text;
    for (const auto& block : Written) text += block;
    return text;
}

std::vector<std::string> FakeCommBackend::WrittenLines() const { return CrLfLines(WrittenText()); }

}  // namespace zorv::test
