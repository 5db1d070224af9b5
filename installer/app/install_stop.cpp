#include "install_stop.h"

#include <atomic>

#include "installer/system/stop_request.h"

namespace qv::setup {
namespace {

std::atomic<bool> g_stopRequested{false};

}  // namespace

void RequestInstallStop() noexcept {
  g_stopRequested.store(true);
  qv::system::RequestStop();
}

bool InstallStopRequested() noexcept {
  return g_stopRequested.load() || qv::system::StopRequested();
}

}  // namespace qv::setup
