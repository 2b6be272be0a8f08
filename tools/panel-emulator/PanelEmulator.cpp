#include "PanelEmulator.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "DevicePlugFactory.h"

namespace zorv::emu {

namespace {

const std::size_t kReadChunk = 4096;

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

PanelOptions Checked(PanelOptions options) {
    if (options.MaxLineLength == 0) throw std::invalid_argument("the line limit must be above 0");
    return options;
}

}  // namespace

PanelEmulator::PanelEmulator(PanelOptions options, std::unique_ptr<PanelAnswers> answers)
    : FOptions(Checked(std::move(options))),
      FNode(MakeDevicePlug(FOptions)),
      FRecord(FOptions.MaxRecordedEntries),
      FAnswers(answers ? std::move(answers) : std::make_unique<PanelLogic>(FOptions)),
      FAssembler(FOptions.MaxLineLength),
      FFaultyAnswers(FOptions.GarbageBytes, FOptions.GarbageSeed, FOptions.FloodBytes, FOptions.FloodPattern),
      FRequestedFault(FOptions.Fault),
      FRequestMade(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!FRequestMade.Valid()) throw std::system_error(errno, std::generic_category(), "eventfd");
}

PanelEmulator::~PanelEmulator() { Unplug(); }

void PanelEmulator::Plug() {
    if (Plugged()) return;
    FStopEvent = TUniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!FStopEvent.Valid()) throw std::system_error(errno, std::generic_category(), "eventfd");
    FStopping = false;
    PlugTerminal();
    try {
        FThread = std::thread([this] { Serve(); });
    } catch (...) {
        UnplugTerminal();
        throw;
    }
}

void PanelEmulator::Unplug() {
    if (!Plugged()) return;
    FStopping = true;
    const uint64_t one = 1;
    // An eventfd write of 1 cannot fail short of overflow, which one write never reaches.
    [[maybe_unused]] const auto written = ::write(FStopEvent.Get(), &one, sizeof one);
    FThread.join();
    UnplugTerminal();
    FStopEvent.Reset();
}

void PanelEmulator::SetFault(PanelFault fault) {
    FRequestedFault = fault;
    const uint64_t one = 1;
    // As for the stop event: one write of 1 cannot fail.
    [[maybe_unused]] const auto written = ::write(FRequestMade.Get(), &one, sizeof one);
}

void PanelEmulator::Restart() {
    FRestartRequested = true;
    const uint64_t one = 1;
    // As for the stop event: one write of 1 cannot fail.
    [[maybe_unused]] const auto written = ::write(FRequestMade.Get(), &one, sizeof one);
}

void PanelEmulator::PlugTerminal() {
    auto terminal = std::make_unique<PseudoTerminal>();
    try {
        FNode->Plug(*terminal);
    } catch (...) {
        FNode->Unplug();
        throw;
    }
    FTerminal = std::move(terminal);
    FAssembler.Clear();
    FRecord.AddEvent(PanelEvent::PluggedIn, FTerminal->SlavePath());
}

void PanelEmulator::UnplugTerminal() {
    if (!FTerminal) return;
    // The files go first, then the master closes: a port still open sees the hang-up of a real unplug.
    FNode->Unplug();
    FTerminal.reset();
    FRecord.AddEvent(PanelEvent::Unplugged);
}

void PanelEmulator::Serve() {
    bool masterReadable = true;
    while (!FStopping) {
        ApplyFault();
        if (FRestartRequested.exchange(false) && FTerminal) {
            RestartNow(FOptions.RestartDelay);
            continue;
        }
        const bool reading = FFault != PanelFault::NotReading;
        const int master = FTerminal && masterReadable && reading ? FTerminal->Master() : -1;
        const int useWatch = FTerminal ? FTerminal->UseWatch() : -1;
        // A panel that does not read keeps its input full: whatever frees room is filled again.
        const int filler = FTerminal && !reading ? FTerminal->Slave() : -1;
        pollfd fds[5] = {{FStopEvent.Get(), POLLIN, 0},
                         {FRequestMade.Get(), POLLIN, 0},
                         {useWatch, POLLIN, 0},
                         {master, POLLIN, 0},
                         {filler, POLLOUT, 0}};
        if (::poll(fds, 5, -1) < 0) {
            if (errno == EINTR) continue;
            FRecord.AddEvent(PanelEvent::PollFailed, std::strerror(errno));
            return;
        }
        if (fds[0].revents) return;
        if (fds[1].revents) {
            uint64_t count = 0;
            [[maybe_unused]] const auto drained = ::read(FRequestMade.Get(), &count, sizeof count);
            continue;  // a fault or restart asked for is in force for the bytes that came with the request
        }
        // Opens and closes first: a close that came before the bytes of the next open
        // must not discard the replies to those bytes.
        if (fds[2].revents) RecordPortUse();
        // A hang-up of the master cannot come while the emulator holds its own slave; should it
        // come anyway, stop watching the master instead of spinning on a level that stays set.
        if (fds[3].revents) masterReadable = ReadFromProgram();
        if (fds[4].revents) FTerminal->FillPanelInput();
    }
}

void PanelEmulator::ApplyFault() {
    const PanelFault fault = FRequestedFault;
    if (fault == FFault || !FTerminal) return;
    // What a panel that did not read left in its input is lost, as on a real port.
    if (FFault == PanelFault::NotReading) FTerminal->DiscardPanelInput();
    if (fault == PanelFault::NotReading) FTerminal->FillPanelInput();
    FFault = fault;
    FRecord.AddEvent(PanelEvent::FaultInForce, {}, fault);
}

void PanelEmulator::RecordPortUse() {
    for (const auto use : FTerminal->TakePortUse())
        FRecord.AddEvent(use == PortUse::Opened ? PanelEvent::PortOpened : PanelEvent::PortClosed);
}

bool PanelEmulator::ReadFromProgram() {
    char buffer[kReadChunk];
    const ssize_t n = ::read(FTerminal->Master(), buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    if (n <= 0) {
        FRecord.AddEvent(PanelEvent::PortUnreadable);
        return false;
    }
    for (const auto& line : FAssembler.Feed(std::string_view(buffer, static_cast<std::size_t>(n))))
        if (!Answer(line)) break;
    return true;
}

bool PanelEmulator::Answer(const AssembledLine& line) {
    FRecord.AddReceived(line.Text, line.Overlong);
    if (line.Overlong) return true;
    if (FFault != PanelFault::None && FFault != PanelFault::Unasked) {
        if (!TrimCommand(line.Text).empty()) AnswerFaulty();
        return !FStopping;
    }
    const PanelResponse response = FAnswers->Respond(line.Text);
    if (response.Stored) FRecord.AddSetting(response.Stored->Key, response.Stored->Value);
    if (FFault == PanelFault::Unasked && !response.Lines.empty() && FFaultyAnswers.PutUnaskedLine()) {
        WriteLine(kUnaskedLine);
        if (InputWithin(kUnaskedLead)) FRecord.AddEvent(PanelEvent::EarlyLine);
    }
    const auto start = Clock::now();
    for (std::size_t i = 0; i < response.Lines.size(); ++i) {
        if (i < response.LineTimes.size()) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                start + response.LineTimes[i] - Clock::now());
            if (wait.count() > 0 && WaitForStop(wait)) return false;
        }
        if (FStopping) return false;
        WriteLine(response.Lines[i]);
    }
    if (!response.Restart) return !FStopping;
    RestartNow(response.AwayFor.value_or(FOptions.RestartDelay));
    return false;
}

void PanelEmulator::AnswerFaulty() {
    if (FFault == PanelFault::ValueError) {
        WriteLine("Value error");
        return;
    }
    const std::string bytes = FFaultyAnswers.Answer(FFault);
    if (bytes.empty()) return;
    FRecord.AddEvent(PanelEvent::FaultyAnswer, std::to_string(bytes.size()), FFault);
    // In pieces, each with its own deadline: a program that drains slowly but steadily gets it all.
    for (std::size_t offset = 0; offset < bytes.size(); offset += kReadChunk)
        if (!WriteAll(bytes.data() + offset, std::min(kReadChunk, bytes.size() - offset))) return;
}

void PanelEmulator::WriteLine(const std::string& text) {
    const std::string bytes = text + "\r\n";
    const std::size_t chunk = FOptions.ReplyChunkSize ? FOptions.ReplyChunkSize : bytes.size();
    for (std::size_t offset = 0; offset < bytes.size(); offset += chunk) {
        if (offset > 0 && WaitForStop(FOptions.ChunkGap)) return;
        if (!WriteAll(bytes.data() + offset, std::min(chunk, bytes.size() - offset))) return;
    }
    // A reply counts from the moment its last byte is in the port.
    FRecord.AddSent(text);
}

bool PanelEmulator::InputWithin(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    bool watching = true, input = false;
    while (!FStopping) {
        pollfd fds[2] = {{FStopEvent.Get(), POLLIN, 0}, {watching ? FTerminal->Master() : -1, POLLIN, 0}};
        const int ready = ::poll(fds, 2, MillisecondsUntil(deadline));
        if ((ready < 0 && errno != EINTR) || fds[0].revents || (ready == 0 && Clock::now() >= deadline)) break;
        // Whatever the master reports (bytes, or a hang-up that cannot come), it is watched no more.
        if (fds[1].revents) {
            input = input || (fds[1].revents & POLLIN) != 0;
            watching = false;
        }
    }
    return input;
}

bool PanelEmulator::WriteAll(const char* data, std::size_t size) {
    const auto deadline = Clock::now() + FOptions.WriteTimeout;
    while (size > 0) {
        const ssize_t n = ::write(FTerminal->Master(), data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            FRecord.AddEvent(PanelEvent::WriteFailed, std::strerror(errno));
            return false;
        }
        // The program does not drain the port: wait for room, for the deadline or for the stop.
        pollfd fds[2] = {{FStopEvent.Get(), POLLIN, 0}, {FTerminal->Master(), POLLOUT, 0}};
        const int ready = ::poll(fds, 2, MillisecondsUntil(deadline));
        if (ready < 0 && errno != EINTR) {
            FRecord.AddEvent(PanelEvent::PollFailed, std::strerror(errno));
            return false;
        }
        if (FStopping || fds[0].revents) return false;
        if (ready == 0 && Clock::now() >= deadline) {
            FRecord.AddEvent(PanelEvent::ReplyDropped);
            return false;
        }
    }
    return true;
}

void PanelEmulator::RestartNow(std::chrono::milliseconds away) {
    FRecord.AddEvent(PanelEvent::Restarting);
    UnplugTerminal();
    if (WaitForStop(away)) return;
    FAnswers->Restarted();
    try {
        PlugTerminal();
    } catch (const std::exception& e) {
        FRecord.AddEvent(PanelEvent::ReplugFailed, e.what());
    }
}

bool PanelEmulator::WaitForStop(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!FStopping) {
        pollfd stop{FStopEvent.Get(), POLLIN, 0};
        const int ready = ::poll(&stop, 1, MillisecondsUntil(deadline));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return FStopping;
        if (ready == 0 && Clock::now() >= deadline) return false;
    }
    return true;
}

}  // namespace zorv::emu
