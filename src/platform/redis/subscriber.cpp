#include <poll.h>

#include <cerrno>
#include <utility>

#include "platform/redis/detail/connection.h"
#include "platform/redis/redis.h"

namespace vant::redis {
namespace {

// How often the thread looks whether it must stop while nothing arrives.
constexpr int kStopPollMs = 200;

bool IsMessage(const redisReply& reply) {
  return reply.type == REDIS_REPLY_ARRAY && reply.elements == 3 &&
         reply.element[0]->type == REDIS_REPLY_STRING &&
         std::string_view(reply.element[0]->str, reply.element[0]->len) == "message" &&
         reply.element[1]->type == REDIS_REPLY_STRING &&
         reply.element[2]->type == REDIS_REPLY_STRING;
}

}  // namespace

Subscriber::Subscriber(ClientOptions options, std::vector<std::string> channels,
                       MessageCallback onMessage, std::function<void()> onSubscribed)
    : options_(std::move(options)),
      channels_(std::move(channels)),
      onMessage_(std::move(onMessage)),
      onSubscribed_(std::move(onSubscribed)) {
  thread_ = std::jthread([this](const std::stop_token& stop) { Loop(stop); });
}

Subscriber::~Subscriber() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

void Subscriber::Loop(const std::stop_token& stop) {
  while (!stop.stop_requested()) {
    std::string error;
    detail::Context context = detail::Connect(options_, error);
    if (context) {
      std::vector<std::string_view> command{"SUBSCRIBE"};
      command.insert(command.end(), channels_.begin(), channels_.end());
      std::vector<const char*> argv;
      std::vector<std::size_t> lengths;
      for (const std::string_view arg : command) {
        argv.push_back(arg.data());
        lengths.push_back(arg.size());
      }
      if (redisAppendCommandArgv(context.get(), static_cast<int>(argv.size()), argv.data(),
                                 lengths.data()) == REDIS_OK) {
        Listen(*context, stop);
      }
      subscribed_ = false;
    }
    // Back off before the next attempt, waking early to stop.
    const auto until = std::chrono::steady_clock::now() + options_.backoff;
    while (!stop.stop_requested() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(kStopPollMs) / 4);
  }
}

// Reads replies until the connection fails or the thread must stop. The
// socket is polled with a short timeout rather than read with the blocking
// call, whose timeout would leave the connection unusable.
void Subscriber::Listen(redisContext& context, const std::stop_token& stop) {
  std::size_t confirmed = 0;
  int done = 0;
  while (!done) {
    if (redisBufferWrite(&context, &done) != REDIS_OK) return;
  }
  while (!stop.stop_requested()) {
    void* raw = nullptr;
    if (redisGetReplyFromReader(&context, &raw) != REDIS_OK) return;
    if (raw != nullptr) {
      const std::unique_ptr<redisReply, void (*)(void*)> reply(static_cast<redisReply*>(raw),
                                                               freeReplyObject);
      if (IsMessage(*reply)) {
        onMessage_(std::string_view(reply->element[1]->str, reply->element[1]->len),
                   std::string_view(reply->element[2]->str, reply->element[2]->len));
      } else if (reply->type == REDIS_REPLY_ARRAY && ++confirmed == channels_.size()) {
        // Every channel confirmed: from now on nothing published is missed.
        subscribed_ = true;
        if (onSubscribed_) onSubscribed_();
      }
      continue;
    }
    pollfd watch{context.fd, POLLIN, 0};
    const int ready = ::poll(&watch, 1, kStopPollMs);
    if (ready < 0 && errno != EINTR) return;
    if (ready > 0 && redisBufferRead(&context) != REDIS_OK) return;
  }
}

}  // namespace vant::redis
