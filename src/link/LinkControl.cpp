#include "link/LinkControl.h"

#include <array>
#include <utility>
#include <vector>

namespace tusko {

std::string_view PortOpenDetailKey(PortOpenResult result) {
  switch (result) {
    case PortOpenResult::NotFound: return "strComError2";
    case PortOpenResult::AccessDenied: return "strComError3";
    case PortOpenResult::LineSettingsRefused: return "strComError4";
    case PortOpenResult::OtherError: return "strComError5";
    case PortOpenResult::Opened: break;
  }
  return {};
}

bool LinkSettingsComplete(const LinkSettings& settings) {
  if (settings.type == LinkType::Tcp) return !settings.tcpAddress.empty() && settings.tcpPort != 0;
  return !settings.portName.empty();
}

LinkControl::LinkControl(LinkHost& host)
    : host_(host),
      serial_(log_, *this),
      tcp_(log_),
      writer_([this](std::span<const std::uint8_t> chunk) { SendChunk(chunk); }, stop_) {}

LinkControl::~LinkControl() {
  // The host closes the link before it goes away; this only keeps a forgotten
  // close from leaving threads behind.
  if (reader_.Exists() || writer_.Exists()) CloseCommunication();
}

bool LinkControl::InitCommunication(const LinkSettings& settings, bool quiet) {
  log_.Line("Init communication");
  if (serial_.IsPortOpen() || tcp_.GetTcpState() != LinkState::Closed) CloseCommunication();

  settings_ = settings;
  linkType_.store(settings_.type);
  rawInputLogged_.store(settings_.logRawInput);
  if (settings_.type == LinkType::Serial) serial_.SetPort(settings_.portName, settings_.baudrate);

  if (!OpenTransport(quiet)) return false;
  return StartThreads(quiet);
}

bool LinkControl::OpenTransport(bool quiet) {
  if (linkType_.load() == LinkType::Tcp) {
    tcp_.TcpConnect(settings_.tcpAddress, settings_.tcpPort, this);
    // A failed connect shows no box here: the caller asks for the TCP error when it wants it.
    return tcp_.GetTcpState() != LinkState::Closed;
  }
  const PortOpenResult opened = serial_.OpenPort();
  serial_.ClearHoldClosed();
  if (opened == PortOpenResult::Opened) return true;
  if (quiet || comErrorBoxOpen_) return false;
  comErrorBoxOpen_ = true;
  host_.ShowComError(serial_.PortName(), PortOpenDetailKey(opened));
  comErrorBoxOpen_ = false;
  return false;
}

bool LinkControl::StartThreads(bool quiet) {
  // A reader that found its port gone at its start has ended by itself: start it anew.
  if (reader_.Exists() && !reader_.Running()) reader_.Join();
  if (!reader_.Exists() || !writer_.Exists()) {
    log_.Line("Start threads");
    serial_.ResumeWaits();
    tcp_.ResumeWaits();
    stop_.store(false);
    int error = reader_.Exists() ? 0 : reader_.Start([this] { RunReader(); });
    if (error == 0 && !writer_.Exists()) error = writer_.Start();
    if (error != 0) {
      log_.SystemError("", error);
      CloseCommunication();
      if (!quiet && !threadErrorBoxOpen_) {
        threadErrorBoxOpen_ = true;
        host_.ShowThreadError();
        threadErrorBoxOpen_ = false;
      }
      return false;
    }
    log_.Line("O.K.");
  }
  if (!timer_) {
    timer_ = host_.StartLinkTimer(kLinkTimerPeriodMs);
    log_.Format("ComTimer started (%d)", {*timer_});
  }
  return true;
}

void LinkControl::CloseCommunication() {
  log_.Line("Close communication");
  stop_.store(true);
  // Ends the reader's pending wait at once, and every later one until the threads start again.
  serial_.StopWaits();
  tcp_.StopWaits();
  if (writer_.Exists()) writer_.RequestStop();
  const bool tcp = linkType_.load() == LinkType::Tcp;
  if (tcp) tcp_.TcpDisconnect();
  reader_.Join();
  writer_.Join();
  if (timer_) {
    host_.StopLinkTimer(*timer_);
    timer_.reset();
  }
  {
    std::lock_guard lock(decoderMutex_);
    decoder_.Reset();
  }
  if (tcp) {
    tcp_.TcpDisconnect();
  } else {
    serial_.CloseForShutdown();
  }
}

bool LinkControl::SendToDevice(DeviceMessage message, std::size_t length) {
  return writer_.Post(std::move(message), length);
}

LinkState LinkControl::GetLinkState() const {
  if (linkType_.load() == LinkType::Tcp) return tcp_.GetTcpState();
  return serial_.IsPortOpen() ? LinkState::Open : LinkState::Closed;
}

void LinkControl::LinkTimerTick() {
  bool dropped = false;
  {
    std::lock_guard lock(decoderMutex_);
    dropped = decoder_.Tick();
  }
  if (dropped) log_.Line("Communication timeout");
}

void LinkControl::CloseTransport() {
  if (linkType_.load() == LinkType::Tcp) {
    tcp_.TcpDisconnect();
  } else {
    serial_.ClosePort();
  }
}

bool LinkControl::FrameUnderWay() const {
  std::lock_guard lock(decoderMutex_);
  return decoder_.InFrame();
}

void LinkControl::OnPortOpened() {
  std::lock_guard lock(decoderMutex_);
  decoder_.Reset();
}

void LinkControl::OnBytesReceived(std::span<const std::uint8_t> bytes) {
  std::vector<ReceivedFrame> complete;
  {
    std::lock_guard lock(decoderMutex_);
    for (const std::uint8_t byte : bytes) {
      if (auto frame = decoder_.Feed(byte)) complete.push_back(std::move(*frame));
    }
  }
  // Posted after the lock is released: the host's queue has a lock of its own.
  for (ReceivedFrame& frame : complete) host_.PostReceivedMessage(std::move(frame));
}

void LinkControl::RunReader() {
  RaiseCurrentThreadPriority();
  if (linkType_.load() == LinkType::Serial && !serial_.IsPortOpen()) return;
  std::array<std::uint8_t, kTcpReadChunkBytes> buffer;
  while (!stop_.load()) {
    if (linkType_.load() == LinkType::Serial) {
      serial_.WaitAndReadStep(kSerialReaderWaitMs);
    } else if (tcp_.TcpWaitReady(kTcpReaderWaitMs)) {
      const std::size_t count = tcp_.TcpReceive(buffer);
      if (count > 0) OnBytesReceived({buffer.data(), count});
    }
  }
}

void LinkControl::SendChunk(std::span<const std::uint8_t> chunk) {
  if (linkType_.load() == LinkType::Tcp) {
    tcp_.TcpSend(chunk);
  } else {
    serial_.WritePort(chunk);
  }
}

}  // namespace tusko
