#include "platform/redis/detail/connection.h"

#include <sys/time.h>

#include <cerrno>

namespace vant::redis::detail {
namespace {

timeval ToTimeval(std::chrono::milliseconds ms) {
  return timeval{static_cast<time_t>(ms.count() / 1000),
                 static_cast<suseconds_t>(ms.count() % 1000 * 1000)};
}

struct ReplyFree {
  void operator()(redisReply* reply) const { freeReplyObject(reply); }
};
using OwnedReply = std::unique_ptr<redisReply, ReplyFree>;

// One command on a fresh connection whose reply must not be an error.
bool Setup(redisContext& context, std::vector<std::string_view> command, std::string& error) {
  bool gone = false;
  auto replies = RunCommands(context, {std::move(command)}, error, gone);
  if (!replies) return false;
  if (!replies->front().IsError()) return true;
  error = replies->front().text;
  return false;
}

}  // namespace

Context Connect(const ClientOptions& options, std::string& error) {
  const Endpoint& at = options.endpoint;
  const timeval connectTimeout = ToTimeval(options.connectTimeout);
  Context context(at.IsUnix() ? redisConnectUnixWithTimeout(at.path.c_str(), connectTimeout)
                              : redisConnectWithTimeout(at.host.c_str(), at.port, connectTimeout));
  if (!context) {
    error = "out of memory";
    return nullptr;
  }
  if (context->err != 0) {
    error = context->errstr;
    return nullptr;
  }
  if (redisSetTimeout(context.get(), ToTimeval(options.commandTimeout)) != REDIS_OK) {
    error = context->errstr;
    return nullptr;
  }
  if (!options.password.empty() && !Setup(*context, {"AUTH", options.password}, error))
    return nullptr;
  const std::string db = std::to_string(at.db);
  if (at.db != 0 && !Setup(*context, {"SELECT", db}, error)) return nullptr;
  return context;
}

std::optional<std::vector<Reply>> RunCommands(
    redisContext& context, const std::vector<std::vector<std::string_view>>& commands,
    std::string& error, bool& gone) {
  std::vector<const char*> argv;
  std::vector<std::size_t> lengths;
  for (const auto& command : commands) {
    argv.clear();
    lengths.clear();
    for (const std::string_view arg : command) {
      argv.push_back(arg.data());
      lengths.push_back(arg.size());
    }
    if (redisAppendCommandArgv(&context, static_cast<int>(argv.size()), argv.data(),
                               lengths.data()) != REDIS_OK) {
      error = context.errstr;
      return std::nullopt;
    }
  }
  std::vector<Reply> replies;
  replies.reserve(commands.size());
  for (std::size_t i = 0; i < commands.size(); ++i) {
    void* raw = nullptr;
    if (redisGetReply(&context, &raw) != REDIS_OK || raw == nullptr) {
      error = context.errstr;
      // A timeout shows as an I/O error with EAGAIN; anything else means
      // the server is not there any more.
      gone = context.err == REDIS_ERR_EOF ||
             (context.err == REDIS_ERR_IO && errno != EAGAIN && errno != EWOULDBLOCK);
      return std::nullopt;
    }
    const OwnedReply reply(static_cast<redisReply*>(raw));
    replies.push_back(ToReply(*reply));
  }
  return replies;
}

Reply ToReply(const redisReply& reply) {
  Reply out;
  switch (reply.type) {
    case REDIS_REPLY_INTEGER:
      out.kind = Reply::Kind::Integer;
      out.integer = reply.integer;
      break;
    case REDIS_REPLY_STRING:
    case REDIS_REPLY_STATUS:
    case REDIS_REPLY_ERROR:
      out.kind = reply.type == REDIS_REPLY_STRING   ? Reply::Kind::String
                 : reply.type == REDIS_REPLY_STATUS ? Reply::Kind::Status
                                                    : Reply::Kind::Error;
      out.text.assign(reply.str, reply.len);
      break;
    case REDIS_REPLY_ARRAY:
      out.kind = Reply::Kind::Array;
      out.items.reserve(reply.elements);
      for (std::size_t i = 0; i < reply.elements; ++i)
        out.items.push_back(ToReply(*reply.element[i]));
      break;
    default:
      out.kind = Reply::Kind::Nil;
      break;
  }
  return out;
}

}  // namespace vant::redis::detail
