#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/FrameDecoder.h"
#include "link/LinkLog.h"
#include "link/LinkSettings.h"
#include "link/LinkState.h"
#include "link/LinkThread.h"
#include "link/LinkWriter.h"
#include "link/SerialDeviceFollower.h"
#include "link/SerialPortLink.h"
#include "link/TcpLink.h"
#include "protocol/DeviceMessage.h"

namespace tusko {

// The period of the link timer that drops stalled frames.
inline constexpr std::chrono::milliseconds kLinkTimerPeriodMs{1000};
// One read of the TCP reader takes at most this many bytes.
inline constexpr std::size_t kTcpReadChunkBytes = 512;

// What the link control needs from the program around it. Every call but the
// two posts comes from the main thread.
class LinkHost {
 public:
  using TimerId = std::uint64_t;

  virtual ~LinkHost() = default;

  // From the reader thread: one complete received message, to be handed to
  // the protocol engine on the main thread.
  virtual void PostReceivedMessage(ReceivedFrame frame) = 0;
  // From any link thread: the TCP link closed its socket (NOTIFY_LINK_CLOSED).
  virtual void PostLinkClosed() = 0;

  // The repeating link timer; the host calls LinkTimerTick on each expiry.
  virtual TimerId StartLinkTimer(std::chrono::milliseconds period) = 0;
  virtual void StopLinkTimer(TimerId id) = 0;

  // The message boxes of a start that is not quiet: "strComError1" with the
  // port name and the text of `detailKey`, and "strComError6".
  virtual void ShowComError(const std::string& portName, std::string_view detailKey) = 0;
  virtual void ShowThreadError() = 0;
};

// The language key of the detail text for a failed serial open; empty for Opened.
std::string_view PortOpenDetailKey(PortOpenResult result);

// The one front to the gateway, whichever transport the setting ComMode picks:
// opens and closes the link, runs the reader and writer threads, frames
// outgoing messages and cuts incoming bytes back into messages, and drops a
// frame that stalls.
//
// Threads: InitCommunication, CloseCommunication, SendToDevice, GetLinkState,
// LinkTimerTick and the transport commands run on the main thread. The reader
// thread feeds the decoder under the decoder lock, which the link timer takes
// as well; the transports guard their handles with their own locks; no path
// holds both. Complete messages leave the reader only through the host's post.
class LinkControl final : public SerialFollowerHost, private SerialLinkClient, private LinkClosedListener {
 public:
  explicit LinkControl(LinkHost& host);
  ~LinkControl() override;
  LinkControl(const LinkControl&) = delete;
  LinkControl& operator=(const LinkControl&) = delete;

  // Attach or detach the communication log only while the link is closed
  // (no threads running).
  void AttachLog(CommLogSink* sink) { log_.Attach(sink); }
  // The link's shared log reference, for the USB follower's lines.
  const LinkLog& log() const { return log_; }

  // Opens the link that `settings` name and starts the threads and the timer;
  // true when the link is usable or, for TCP, the connect is under way. With
  // `quiet` no message box is shown.
  bool InitCommunication(const LinkSettings& settings, bool quiet);
  // Stops the threads and the timer and closes the link; always safe.
  void CloseCommunication();
  // Queues the message for the writer; false (and the message is dropped)
  // when no writer runs. Callers send only while GetLinkState() is Open.
  bool SendToDevice(DeviceMessage message, std::size_t length);
  LinkState GetLinkState() const;
  // The link timer's callback.
  void LinkTimerTick();

  // The Disconnect command and the engine before a restart: closes only the
  // transport (a serial port stays closed until its device comes back or the
  // link is opened again); threads and timer keep running.
  void CloseTransport();

  // The link type of the last InitCommunication.
  LinkType CurrentLinkType() const override { return linkType_.load(); }
  TcpError LastTcpError() const { return tcp_.LastError(); }
  bool ThreadsRunning() const { return reader_.Exists() && writer_.Exists(); }
  // True while a frame has begun and not yet ended or been dropped.
  bool FrameUnderWay() const;

  // ---- SerialFollowerHost: the gateway's USB port comes and goes ----
  std::string ConfiguredPortName() const override { return serial_.PortName(); }
  void ClosePort() override { serial_.ClosePort(); }
  void ReopenQuietly() override { InitCommunication(LinkSettings(settings_), true); }

 private:
  // SerialLinkClient
  void OnPortOpened() override;
  void OnBytesReceived(std::span<const std::uint8_t> bytes) override;
  bool StopRequested() const override { return stop_.load(); }
  bool RawInputLogged() const override { return rawInputLogged_.load(); }
  // LinkClosedListener
  void OnLinkClosed() override { host_.PostLinkClosed(); }

  bool OpenTransport(bool quiet);
  // Starts whichever thread is missing; false after a failed start, which has
  // closed everything again.
  bool StartThreads(bool quiet);
  void RunReader();
  void SendChunk(std::span<const std::uint8_t> chunk);

  LinkHost& host_;
  LinkSettings settings_;  // those of the last InitCommunication
  LinkLog log_;
  SerialPortLink serial_;
  TcpLink tcp_;

  std::atomic<LinkType> linkType_{LinkType::Serial};
  std::atomic<bool> stop_{false};
  std::atomic<bool> rawInputLogged_{false};
  LinkThread reader_;
  LinkWriter writer_;
  std::optional<LinkHost::TimerId> timer_;
  bool comErrorBoxOpen_ = false;
  bool threadErrorBoxOpen_ = false;

  mutable std::mutex decoderMutex_;  // the decoder lock
  FrameDecoder decoder_;
};

}  // namespace tusko
