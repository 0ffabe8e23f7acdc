#include <iostream>
#include <utility>

#include "platform/redis/detail/connection.h"
#include "platform/redis/redis.h"
#include "platform/sys/settings.h"

namespace vant::redis {

struct Client::Connection {
  detail::Context context;
};

Client::Client(ClientOptions options) : options_(std::move(options)) {}

Client::~Client() = default;

std::string Client::Describe() const { return DescribeEndpoint(options_.endpoint); }

std::unique_ptr<Client::Connection> Client::Take(bool* reused) {
  {
    std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      auto connection = std::move(idle_.back());
      idle_.pop_back();
      *reused = true;
      return connection;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < retryAfter_) return nullptr;
    // While the store is down, one caller per back-off window tries it
    // again; the others answer at once.
    if (down_.load()) retryAfter_ = now + options_.backoff;
  }
  *reused = false;
  std::string error;
  detail::Context context = detail::Connect(options_, error);
  if (!context) {
    NoteFailure(error);
    return nullptr;
  }
  return std::make_unique<Connection>(Connection{std::move(context)});
}

void Client::Give(std::unique_ptr<Connection> connection) {
  std::lock_guard lock(mutex_);
  if (idle_.size() < options_.maxIdle) idle_.push_back(std::move(connection));
}

void Client::DropIdle() {
  std::vector<std::unique_ptr<Connection>> dropped;
  std::lock_guard lock(mutex_);
  dropped.swap(idle_);
}

void Client::NoteFailure(const std::string& why) {
  // A refused connect, a reset or a timeout alike: callers of the next
  // back-off window do not wait for the store again.
  {
    std::lock_guard lock(mutex_);
    retryAfter_ = std::chrono::steady_clock::now() + options_.backoff;
  }
  // One line when the store goes away, one when it is back, however many
  // requests fail in between.
  if (!down_.exchange(true))
    std::cerr << "vant-host: state store " << Describe() << " unreachable: " << why << std::endl;
}

void Client::NoteSuccess() {
  if (!down_.load(std::memory_order_relaxed)) return;
  {
    // The probe that found the store back ends the window for everyone.
    std::lock_guard lock(mutex_);
    retryAfter_ = {};
  }
  if (down_.exchange(false))
    std::cerr << "vant-host: state store " << Describe() << " reachable again" << std::endl;
}

std::optional<std::vector<Reply>> Client::Run(
    const std::vector<std::vector<std::string_view>>& commands) {
  // A pooled connection may lead to a server that restarted since; one that
  // turns out closed is replaced once by a fresh connection. A timed-out one
  // is not: its command may have run.
  for (int attempt = 0; attempt < 2; ++attempt) {
    bool reused = false;
    std::unique_ptr<Connection> connection = Take(&reused);
    if (!connection) return std::nullopt;
    std::string error;
    bool gone = false;
    auto replies = detail::RunCommands(*connection->context, commands, error, gone);
    if (replies) {
      Give(std::move(connection));
      NoteSuccess();
      return replies;
    }
    DropIdle();
    if (!(reused && gone)) {
      NoteFailure(error);
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<Reply> Client::Command(std::initializer_list<std::string_view> args) {
  auto replies = Run({std::vector<std::string_view>(args)});
  if (!replies) return std::nullopt;
  return std::move(replies->front());
}

std::optional<Reply> Client::Command(const std::vector<std::string>& args) {
  auto replies = Run({std::vector<std::string_view>(args.begin(), args.end())});
  if (!replies) return std::nullopt;
  return std::move(replies->front());
}

std::optional<std::vector<Reply>> Client::Pipeline(
    const std::vector<std::vector<std::string>>& commands) {
  if (commands.empty()) return std::vector<Reply>{};
  std::vector<std::vector<std::string_view>> views;
  views.reserve(commands.size());
  for (const auto& command : commands) views.emplace_back(command.begin(), command.end());
  return Run(views);
}

bool Client::Available() {
  bool reused = false;
  std::unique_ptr<Connection> connection = Take(&reused);
  if (!connection) return false;
  Give(std::move(connection));
  NoteSuccess();
  return true;
}

Client* SharedClient() {
  // Never destroyed: pages on other threads may use it while the process
  // runs its exit handlers.
  static Client* const client = []() -> Client* {
    const sys::Settings& settings = sys::CurrentSettings();
    Endpoint endpoint;
    if (settings.stateUrl.empty() || !ParseStateUrl(settings.stateUrl, endpoint)) return nullptr;
    return new Client(ClientOptions{std::move(endpoint), settings.statePassword});
  }();
  return client;
}

}  // namespace vant::redis
