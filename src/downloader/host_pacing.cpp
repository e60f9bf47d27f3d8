#include "downloader/host_pacing.h"

#include <algorithm>
#include <memory>
#include <random>
#include <utility>

namespace harvel {
namespace {

HostPacing::Spread RandomSpread() {
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  return [engine] { return std::uniform_real_distribution<double>(0.5, 1.5)(*engine); };
}

}  // namespace

HostPacing::HostPacing(Now now, Spread spread)
    : now_(std::move(now)), spread_(spread ? std::move(spread) : RandomSpread()) {}

const HostPacing::Host* HostPacing::find(const std::string& host) const {
  const auto found = hosts_.find(host);
  return found == hosts_.end() ? nullptr : &found->second;
}

HostPacing::Turn HostPacing::turn(const std::string& host, const HostManners& manners) const {
  const Host* state = find(host);
  if (state == nullptr)
    return {};
  const Clock::time_point now = now_();
  Turn turn;
  if (now < state->refusedUntil) {
    turn.kind = Turn::Kind::Refused;
    turn.asked = state->refusedFor;
    turn.left = std::chrono::ceil<std::chrono::milliseconds>(state->refusedUntil - now);
    return turn;
  }
  if (state->holds > 0) {
    turn.kind = Turn::Kind::Held;
    return turn;
  }
  if (manners.hostJobs > 0 && state->running >= manners.hostJobs) {
    turn.kind = Turn::Kind::AfterAnEnd;
    return turn;
  }
  Clock::time_point at = state->pausedUntil;
  const auto wait = std::max(manners.wait, state->leastWait);
  if (state->started && wait.count() > 0) {
    const double factor = manners.randomWait ? state->spread : 1.0;
    const auto gap = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(static_cast<double>(wait.count()) * factor));
    at = std::max(at, state->lastStart + gap);
  }
  if (at > now) {
    turn.kind = Turn::Kind::At;
    turn.at = at;
  }
  return turn;
}

void HostPacing::started(const std::string& host) {
  Host& state = hosts_[host];
  ++state.running;
  state.started = true;
  state.lastStart = now_();
  state.spread = std::clamp(spread_(), 0.5, 1.5);
}

void HostPacing::ended(const std::string& host) {
  Host& state = hosts_[host];
  state.running = std::max(0, state.running - 1);
}

bool HostPacing::pause(const std::string& host, std::chrono::milliseconds pause,
                       std::chrono::milliseconds bound) {
  Host& state = hosts_[host];
  const Clock::time_point until = now_() + pause;
  if (pause > bound) {
    if (until > state.refusedUntil) {
      state.refusedUntil = until;
      state.refusedFor = pause;
    }
    return false;
  }
  state.pausedUntil = std::max(state.pausedUntil, until);
  return true;
}

void HostPacing::raiseWait(const std::string& host, std::chrono::milliseconds least) {
  Host& state = hosts_[host];
  state.leastWait = std::max(state.leastWait, least);
}

void HostPacing::hold(const std::string& host) {
  ++hosts_[host].holds;
}

void HostPacing::release(const std::string& host) {
  Host& state = hosts_[host];
  state.holds = std::max(0, state.holds - 1);
}

int HostPacing::running(const std::string& host) const {
  const Host* state = find(host);
  return state == nullptr ? 0 : state->running;
}

}  // namespace harvel
