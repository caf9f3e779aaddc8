#include "platform/audio/pulse_output.h"

#include <pulse/error.h>
#include <pulse/pulseaudio.h>
#include <pulse/simple.h>

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {

constexpr char kClientName[] = "Pluvionaut";
constexpr char kStreamName[] = "Pluvionaut";
constexpr auto kAnswerLimit = std::chrono::seconds(1);
constexpr int kRealtimePriority = 10;
constexpr unsigned kStereo = 2;
constexpr unsigned kBytesPerFrame = kStereo * sizeof(float);

// What the introspection calls gather while the main loop runs.
struct TSinkQuery {
  pa_mainloop* loop = nullptr;
  std::string serverName;
  std::string defaultSink;
  std::vector<TPulseSink> sinks;
  bool serverAnswered = false;
  bool sinksListed = false;
  bool failed = false;
};

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* user) {
  auto* query = static_cast<TSinkQuery*>(user);
  if (eol != 0 || info == nullptr) {
    query->sinksListed = true;
    return;
  }
  TPulseSink sink;
  sink.name = info->name != nullptr ? info->name : "";
  sink.description = info->description != nullptr ? info->description : sink.name;
  sink.channels = info->sample_spec.channels;
  query->sinks.push_back(std::move(sink));
}

void OnServerInfo(pa_context* context, const pa_server_info* info, void* user) {
  auto* query = static_cast<TSinkQuery*>(user);
  query->serverAnswered = true;
  if (info != nullptr && info->default_sink_name != nullptr) query->defaultSink = info->default_sink_name;
  if (info != nullptr && info->server_name != nullptr) query->serverName = info->server_name;
  pa_operation* listing = pa_context_get_sink_info_list(context, OnSinkInfo, query);
  if (listing == nullptr) {
    query->failed = true;
    return;
  }
  pa_operation_unref(listing);
}

void OnContextState(pa_context* context, void* user) {
  auto* query = static_cast<TSinkQuery*>(user);
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
      pa_operation* asking = pa_context_get_server_info(context, OnServerInfo, query);
      if (asking == nullptr) {
        query->failed = true;
      } else {
        pa_operation_unref(asking);
      }
      break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      query->failed = true;
      break;
    default:
      break;
  }
}

}  // namespace

bool TPulseOutput::ServerReachable() {
  if (const char* server = std::getenv("PULSE_SERVER"); server != nullptr && server[0] != '\0') return true;
  std::string runtime;
  if (const char* folder = std::getenv("XDG_RUNTIME_DIR"); folder != nullptr && folder[0] != '\0') {
    runtime = folder;
  } else {
    runtime = "/run/user/" + std::to_string(getuid());
  }
  return access((runtime + "/pulse/native").c_str(), F_OK) == 0 || access("/var/run/pulse/native", F_OK) == 0;
}

namespace {

// The server's name and sinks; sinksListed false without an answer.
TSinkQuery AskServer() {
  TSinkQuery query;
  if (!TPulseOutput::ServerReachable()) return query;
  query.loop = pa_mainloop_new();
  if (query.loop == nullptr) return query;
  pa_context* context = pa_context_new(pa_mainloop_get_api(query.loop), kClientName);
  if (context != nullptr) {
    pa_context_set_state_callback(context, OnContextState, &query);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
      const auto giveUp = std::chrono::steady_clock::now() + kAnswerLimit;
      while (!query.sinksListed && !query.failed && std::chrono::steady_clock::now() < giveUp) {
        // Blocks at most until the next event; a silent server ends with the limit.
        pa_mainloop_prepare(query.loop, static_cast<int>(std::chrono::microseconds(kAnswerLimit).count() / 10));
        pa_mainloop_poll(query.loop);
        pa_mainloop_dispatch(query.loop);
      }
      pa_context_disconnect(context);
    }
    pa_context_unref(context);
  }
  pa_mainloop_free(query.loop);
  query.loop = nullptr;
  return query;
}

}  // namespace

std::vector<TPulseSink> TPulseOutput::Sinks() {
  TSinkQuery query = AskServer();
  if (!query.sinksListed) return {};
  for (TPulseSink& sink : query.sinks) sink.isDefault = sink.name == query.defaultSink;
  return query.sinks;
}

bool TPulseOutput::ServerIsPipeWire() {
  const TSinkQuery query = AskServer();
  return query.serverName.find("PipeWire") != std::string::npos;
}

TPulseOutput::~TPulseOutput() { Close(); }

bool TPulseOutput::Open(const std::string& sinkName, unsigned rate, unsigned blockFrames, unsigned bufferFrames,
                        TRender render, std::string& reason) {
  Close();
  if (!ServerReachable()) {
    reason = "no PulseAudio server";
    return false;
  }
  pa_sample_spec sampleFormat{};
  sampleFormat.format = PA_SAMPLE_FLOAT32LE;
  sampleFormat.rate = rate;
  sampleFormat.channels = kStereo;
  // The server keeps bufferFrames queued and asks for a block at a time.
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<uint32_t>(-1);
  attributes.tlength = bufferFrames * kBytesPerFrame;
  attributes.prebuf = static_cast<uint32_t>(-1);
  attributes.minreq = blockFrames * kBytesPerFrame;
  attributes.fragsize = static_cast<uint32_t>(-1);
  int error = 0;
  m_simple = pa_simple_new(nullptr, kClientName, PA_STREAM_PLAYBACK, sinkName.empty() ? nullptr : sinkName.c_str(),
                           kStreamName, &sampleFormat, nullptr, &attributes, &error);
  if (m_simple == nullptr) {
    reason = std::string("PulseAudio: ") + pa_strerror(error);
    return false;
  }
  m_rate = rate;
  m_blockFrames = blockFrames;
  m_render = std::move(render);
  m_stop.store(false);
  m_thread = std::thread([this] { Run(); });
  return true;
}

void TPulseOutput::Close() {
  m_stop.store(true);
  if (m_thread.joinable()) m_thread.join();
  if (m_simple != nullptr) pa_simple_free(m_simple);
  m_simple = nullptr;
}

double TPulseOutput::LatencyMs() const {
  if (m_simple == nullptr) return 0.0;
  int error = 0;
  const pa_usec_t latency = pa_simple_get_latency(m_simple, &error);
  return latency == static_cast<pa_usec_t>(-1) ? 0.0 : static_cast<double>(latency) / 1000.0;
}

void TPulseOutput::Run() {
  // Realtime where the system allows it; the queued buffer covers the
  // wake-ups of an ordinary thread otherwise.
  sched_param priority{};
  priority.sched_priority = kRealtimePriority;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
  std::vector<float> block(static_cast<size_t>(m_blockFrames) * kStereo);
  while (!m_stop.load(std::memory_order_relaxed)) {
    m_render(block.data(), m_blockFrames);
    int error = 0;
    // Blocks while the server's buffer is full. A server that has gone makes
    // it fail at once: the render function then sees buffers asked for as
    // fast as they are made, and paces itself (see TStreamClock).
    pa_simple_write(m_simple, block.data(), block.size() * sizeof(float), &error);
  }
}
