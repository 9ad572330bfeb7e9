#include "datakit/HostEnv.h"

#include <atomic>

namespace {
std::atomic<bool> g_cloud{false};
}

TDateTime Date() { return DateOf(Now()); }

bool EhCloud() { return g_cloud.load(); }

void SetEhCloud(bool on) { g_cloud.store(on); }
