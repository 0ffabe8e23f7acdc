// The hiredis side of the client: making a ready connection (connected,
// authenticated, database selected), sending commands and turning hiredis
// replies into ours. Used by the client and the subscriber only.
#pragma once

#include <hiredis/hiredis.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/redis/redis.h"

namespace vant::redis::detail {

struct ContextFree {
  void operator()(redisContext* context) const { redisFree(context); }
};
using Context = std::unique_ptr<redisContext, ContextFree>;

// A connection to options.endpoint, authenticated with options.password and
// on options.endpoint.db, with the command timeout set for every read and
// write. Null, with `error` saying why, when any step fails.
Context Connect(const ClientOptions& options, std::string& error);

// Sends every command in one write and reads their replies in order.
// nullopt when the connection failed (it is unusable then; `error` says why,
// and `gone` tells a connection the server closed or reset, as opposed to
// one that timed out, after which a command may have run).
std::optional<std::vector<Reply>> RunCommands(
    redisContext& context, const std::vector<std::vector<std::string_view>>& commands,
    std::string& error, bool& gone);

// A copy of a hiredis reply.
Reply ToReply(const redisReply& reply);

}  // namespace vant::redis::detail
