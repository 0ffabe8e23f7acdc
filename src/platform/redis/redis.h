// A small Redis client for the state several hosts share (sessions,
// Application, upload progress, file-cache removals): a thread-safe pool of
// blocking connections for commands, and a subscriber thread for pub/sub.
//
// Redis going away is an ordinary event here, never an error of the caller:
// a command then answers nothing (nullopt) within its timeouts, and the next
// call after a short back-off connects again by itself. While Redis is down
// one call per back-off window tries it again (one failed connect or one
// command timeout); the others answer at once.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct redisContext;

namespace vant::redis {

// Where Redis listens, as `--state` names it.
struct Endpoint {
  std::string host;  // TCP host name or address; empty for a unix socket
  std::uint16_t port = 0;
  std::string path;  // unix socket path; empty for TCP
  int db = 0;        // the database SELECTed on every connection
  bool IsUnix() const { return !path.empty(); }
};

// Parses "redis://HOST[:PORT][/DB]" (PORT 1..65535, default 6379; "[::1]"
// for IPv6) or "unix:/PATH[?db=N]" (an absolute path). DB is a decimal
// number 0..999999. A password in the URL ("redis://:pw@host") is refused:
// it would show in the process list. False, leaving `out` alone, for
// anything else.
bool ParseStateUrl(std::string_view text, Endpoint& out);

// The endpoint as a URL for logs and error pages: it never holds a password.
std::string DescribeEndpoint(const Endpoint& endpoint);

// One reply of Redis. Error replies are replies (Kind::Error, text holds
// Redis' message); only an unreachable Redis is "no reply".
struct Reply {
  enum class Kind { Nil, Integer, String, Status, Array, Error };
  Kind kind = Kind::Nil;
  long long integer = 0;
  std::string text;          // String, Status and Error
  std::vector<Reply> items;  // Array
  bool IsError() const { return kind == Kind::Error; }
  bool IsNil() const { return kind == Kind::Nil; }
};

struct ClientOptions {
  Endpoint endpoint;
  std::string password;  // AUTH on every new connection when not empty
  std::chrono::milliseconds connectTimeout{250};
  std::chrono::milliseconds commandTimeout{1000};
  // After a failed connect, calls answer nothing without trying for this long.
  std::chrono::milliseconds backoff{1000};
  std::size_t maxIdle = 16;  // idle connections kept for reuse
};

class Client {
 public:
  explicit Client(ClientOptions options);
  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  // Runs one command; arguments are binary-safe. nullopt when Redis cannot
  // be reached, the connection broke, or no answer came within the command
  // timeout.
  std::optional<Reply> Command(std::initializer_list<std::string_view> args);
  std::optional<Reply> Command(const std::vector<std::string>& args);
  // Sends the commands in one write and reads their replies in order: one
  // round trip. nullopt under the same conditions as Command (then any of
  // them may or may not have run).
  std::optional<std::vector<Reply>> Pipeline(const std::vector<std::vector<std::string>>& commands);

  // True when a connection is at hand or can be made now; false during the
  // back-off after a failure.
  bool Available();
  // The endpoint as a URL, for error pages and logs (never the password).
  std::string Describe() const;
  const ClientOptions& Options() const { return options_; }

 private:
  struct Connection;
  // A connection from the pool or a new one; null when Redis is unreachable
  // (or in back-off). `reused` tells a pooled one, which may have gone stale.
  std::unique_ptr<Connection> Take(bool* reused);
  void Give(std::unique_ptr<Connection> connection);
  // Forgets the idle connections after a broken one: they lead to the same
  // server, which has most likely gone away too.
  void DropIdle();
  void NoteFailure(const std::string& why);
  void NoteSuccess();
  std::optional<std::vector<Reply>> Run(const std::vector<std::vector<std::string_view>>& commands);

  const ClientOptions options_;
  std::mutex mutex_;  // guards idle_, retryAfter_
  std::vector<std::unique_ptr<Connection>> idle_;
  std::chrono::steady_clock::time_point retryAfter_{};
  std::atomic<bool> down_{false};  // logged as down; the next success logs it back
};

// A background thread subscribed to `channels` that calls `onMessage` for
// every message published on them, on that thread. After a lost connection
// it connects again (with the client's back-off) and subscribes anew, then
// calls `onSubscribed`, so the owner can make up for what it may have
// missed meanwhile.
class Subscriber {
 public:
  using MessageCallback = std::function<void(std::string_view channel, std::string_view message)>;
  Subscriber(ClientOptions options, std::vector<std::string> channels, MessageCallback onMessage,
             std::function<void()> onSubscribed = {});
  // Stops the thread and closes its connection.
  ~Subscriber();
  Subscriber(const Subscriber&) = delete;
  Subscriber& operator=(const Subscriber&) = delete;

  // True while subscribed (tests wait for it before they publish).
  bool Subscribed() const { return subscribed_.load(); }

 private:
  void Loop(const std::stop_token& stop);
  void Listen(redisContext& context, const std::stop_token& stop);

  const ClientOptions options_;
  const std::vector<std::string> channels_;
  const MessageCallback onMessage_;
  const std::function<void()> onSubscribed_;
  std::atomic<bool> subscribed_{false};
  std::jthread thread_;
};

// The process-wide client built from the settings' state URL and password
// (sys::CurrentSettings), made at the first call; nullptr when no state URL
// is set (state stays in the process). Host and component module share it.
Client* SharedClient();

}  // namespace vant::redis
