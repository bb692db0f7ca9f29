// The module's requests as the host records them when asked to: the parameter ids it reads
// from containers, and the strings and bitmaps it asks the resources for with whether
// each resolved. Off unless a test turns it on; contours from several threads may read
// at the same time, so the records are kept under a lock.
#include <atomic>
#include <mutex>

#include "host_model.h"
#include "test_powers.h"

namespace kvhost {
namespace {

struct Records {
  std::mutex lock;
  std::vector<ParameterRead> reads;
  std::vector<ResourceRequest> resources;
};

Records& State() {
  static Records records;
  return records;
}

std::atomic<bool> g_recording{false};

}  // namespace

void RecordRequests(bool on) {
  const std::lock_guard<std::mutex> hold(State().lock);
  g_recording = on;
  if (on) {
    State().reads.clear();
    State().resources.clear();
  }
}

std::vector<ParameterRead> ParameterReads() {
  const std::lock_guard<std::mutex> hold(State().lock);
  return State().reads;
}

std::vector<ResourceRequest> ResourceRequests() {
  const std::lock_guard<std::mutex> hold(State().lock);
  return State().resources;
}

void NoteParameterRead(const KvContainer* container, std::int32_t id) {
  if (!g_recording) return;
  const std::lock_guard<std::mutex> hold(State().lock);
  State().reads.push_back({container, id});
}

void NoteResourceRequest(std::string what, bool resolved) {
  if (!g_recording) return;
  const std::lock_guard<std::mutex> hold(State().lock);
  State().resources.push_back({std::move(what), resolved});
}

}  // namespace kvhost
