#include "downloader/robots_gate.h"

#include <utility>

namespace harvel {

RobotsGate::RobotsGate(DownloadLimits limits)
    : limits_(limits), loop_([this](CURL* easy, int result) { finished(easy, result); }) {}

RobotsGate::~RobotsGate() {
  for (auto& [client, hosts] : clients_) {
    for (auto& [key, host] : hosts)
      endReading(*host);
  }
}

void RobotsGate::check(Client client, const std::string& url,
                       std::shared_ptr<const ConnectionSetup> connection, Verdict verdict) {
  const std::optional<std::string> robotsUrl = RobotsUrlOf(url);
  if (!robotsUrl || !(robotsUrl->starts_with("http://") || robotsUrl->starts_with("https://"))) {
    verdict(std::nullopt);
    return;
  }
  std::unique_ptr<Host>& slot = clients_[client][*robotsUrl];
  if (!slot) {
    slot = std::make_unique<Host>();
    slot->robotsUrl = *robotsUrl;
    slot->connection = std::move(connection);
    slot->timer.setSingleShot(true);
    Host* host = slot.get();
    QObject::connect(&host->timer, &QTimer::timeout, [this, host] {
      if (host->read)
        release(*host);
      else
        startReading(*host);
    });
  }
  Host& host = *slot;
  host.waiting.push_back(Waiting{RobotsPathOf(url), std::move(verdict)});
  if (host.read)
    release(host);
  else if (!host.fetch && !host.timer.isActive())
    startReading(host);
}

void RobotsGate::restart(Client client) {
  const auto found = clients_.find(client);
  if (found == clients_.end())
    return;
  // Hosts with URLs still waiting keep what they are doing.
  for (auto it = found->second.begin(); it != found->second.end();) {
    if (it->second->waiting.empty()) {
      endReading(*it->second);
      it = found->second.erase(it);
    } else {
      ++it;
    }
  }
}

void RobotsGate::dropClient(Client client) {
  const auto found = clients_.find(client);
  if (found == clients_.end())
    return;
  for (auto& [key, host] : found->second)
    endReading(*host);
  clients_.erase(found);
}

void RobotsGate::startReading(Host& host) {
  ++host.tries;
  host.fetch =
      std::make_unique<RobotsFetch>(host.robotsUrl, host.connection, limits_.robotsTimeLimit);
  CURL* easy = host.fetch->handle();
  reading_[easy] = &host;
  if (!loop_.start(easy)) {
    reading_.erase(easy);
    host.fetch.reset();
    host.read = true;
    host.unreadable = "robots.txt could not be read";
    release(host);
  }
}

void RobotsGate::endReading(Host& host) {
  host.timer.stop();
  if (!host.fetch)
    return;
  loop_.stop(host.fetch->handle());
  reading_.erase(host.fetch->handle());
  host.fetch.reset();
}

void RobotsGate::finished(CURL* easy, int result) {
  const auto found = reading_.find(easy);
  if (found == reading_.end())
    return;
  Host& host = *found->second;
  const RobotsFetch::Answer answer = host.fetch->finish(result);
  endReading(host);
  if (answer.kind == RobotsFetch::Answer::Kind::Unreachable) {
    if (host.tries <= limits_.retries) {
      host.timer.start(limits_.retryPause);
      return;
    }
    host.unreadable = answer.why + ", so the site is not crawled";
  }
  host.read = true;
  host.rules = answer.rules;
  if (const auto seconds = host.rules.crawlDelaySeconds(); seconds && *seconds > 0)
    host.delay =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*seconds));
  release(host);
}

void RobotsGate::release(Host& host) {
  // A verdict may lead to more checks of this host: the queue is taken first.
  while (!host.waiting.empty()) {
    Waiting& next = host.waiting.front();
    std::optional<std::string> refusal;
    if (!host.unreadable.empty()) {
      refusal = host.unreadable;
    } else if (const auto rule = host.rules.refusingRule(next.path)) {
      refusal = "robots.txt: " + *rule;
    }
    if (!refusal && host.delay) {
      const Clock::time_point now = Clock::now();
      if (now < host.nextStart) {
        host.timer.start(std::chrono::ceil<std::chrono::milliseconds>(host.nextStart - now));
        return;
      }
      host.nextStart = now + *host.delay;
    }
    Verdict verdict = std::move(next.verdict);
    host.waiting.pop_front();
    verdict(std::move(refusal));
  }
}

}  // namespace harvel
