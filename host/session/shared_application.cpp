#include "host/session/shared_application.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "host/session/detail/random_text.h"
#include "host/session/shared_value.h"

namespace vant::host::session {
namespace {

// Deletes or renews the lock only for the holder of its token.
constexpr std::string_view kReleaseScript =
    "if redis.call('get', KEYS[1]) == ARGV[1] then return redis.call('del', KEYS[1]) end "
    "return 0";
constexpr std::string_view kRenewScript =
    "if redis.call('get', KEYS[1]) == ARGV[1] then "
    "return redis.call('pexpire', KEYS[1], ARGV[2]) end return 0";
constexpr std::chrono::milliseconds kFirstPoll{1};
constexpr std::chrono::milliseconds kLongestPoll{16};

// Application contents as one hash: field FieldOf(name), value EncodeValue.
// Every member reaches the store, so every host sees every write at once.
class SharedContents final : public Contents {
 public:
  explicit SharedContents(redis::Client& client) : client_(client) {}

  std::optional<Variant> Get(std::u16string_view key) const override {
    const redis::Reply reply = Ask({"HGET", kApplicationKey, FieldOf(key)});
    std::u16string name;
    Variant value;
    if (reply.kind != redis::Reply::Kind::String || !DecodeValue(reply.text, name, value))
      return std::nullopt;
    return value;
  }

  bool Set(std::u16string_view key, const Variant& value) override {
    const auto encoded = EncodeValue(key, value);
    if (!encoded) return false;
    Ask({"HSET", kApplicationKey, FieldOf(key), *encoded});
    return true;
  }

  bool Remove(std::u16string_view key) override {
    return Ask({"HDEL", kApplicationKey, FieldOf(key)}).integer > 0;
  }

  std::optional<std::u16string> KeyAt(std::int32_t position) const override {
    auto entries = All();
    if (position < 1 || static_cast<std::size_t>(position) > entries.size()) return std::nullopt;
    return std::move(entries[static_cast<std::size_t>(position - 1)].first);
  }

  std::optional<Variant> ValueAt(std::int32_t position) const override {
    auto entries = All();
    if (position < 1 || static_cast<std::size_t>(position) > entries.size()) return std::nullopt;
    return std::move(entries[static_cast<std::size_t>(position - 1)].second);
  }

  bool RemoveAt(std::int32_t position) override {
    const auto key = KeyAt(position);
    return key && Remove(*key);
  }

  void RemoveAll() override { Ask({"DEL", kApplicationKey}); }

  std::size_t Count() const override {
    return static_cast<std::size_t>(std::max(0LL, Ask({"HLEN", kApplicationKey}).integer));
  }

  std::vector<std::u16string> Keys() const override {
    std::vector<std::u16string> keys;
    for (auto& entry : All()) keys.push_back(std::move(entry.first));
    return keys;
  }

 private:
  redis::Reply Ask(std::initializer_list<std::string_view> args) const {
    auto reply = client_.Command(args);
    if (!reply || reply->IsError())
      throw StoreUnreachable(UnreachableText(client_, reply ? &*reply : nullptr));
    return std::move(*reply);
  }

  // Every stored name and value, in the order the store keeps them.
  std::vector<std::pair<std::u16string, Variant>> All() const {
    const redis::Reply reply = Ask({"HGETALL", kApplicationKey});
    std::vector<std::pair<std::u16string, Variant>> entries;
    for (std::size_t i = 1; i < reply.items.size(); i += 2) {
      std::pair<std::u16string, Variant> entry;
      if (DecodeValue(reply.items[i].text, entry.first, entry.second))
        entries.push_back(std::move(entry));
    }
    return entries;
  }

  redis::Client& client_;
};

}  // namespace

std::string UnreachableText(const redis::Client& client, const redis::Reply* refusal) {
  if (refusal == nullptr || !refusal->IsError())
    return "The shared state store " + client.Describe() + " cannot be reached.";
  std::string text = "The shared state store " + client.Describe() + " refused: " + refusal->text;
  std::cerr << "vant-host: " << text << std::endl;
  return text;
}

std::string SharedApplication::UnreachableText() const { return session::UnreachableText(client_); }

SharedApplication::SharedApplication(redis::Client& client)
    : client_(client), values_(std::make_unique<SharedContents>(client)) {
  renewer_ = std::jthread([this](const std::stop_token& stop) { RenewLoop(stop); });
}

SharedApplication::~SharedApplication() {
  renewer_.request_stop();
  renewWake_.notify_all();
}

SharedApplication::LockResult SharedApplication::Lock(
    std::chrono::steady_clock::time_point deadline, const std::function<bool()>& stop) {
  const std::string token = detail::RandomKey();
  const std::string lease = std::to_string(kLease.count());
  auto poll = kFirstPoll;
  for (;;) {
    const auto reply = client_.Command({"SET", kApplicationLockKey, token, "NX", "PX", lease});
    if (!reply || reply->IsError()) return LockResult::kUnreachable;
    if (reply->kind == redis::Reply::Kind::Status) {
      std::lock_guard hold(tokenMutex_);
      token_ = token;
      return LockResult::kTaken;
    }
    // Held by another host: look again soon, then less often.
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline || stop()) return LockResult::kGaveUp;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(poll, deadline - now));
    poll = std::min(poll * 2, kLongestPoll);
  }
}

void SharedApplication::Unlock() {
  std::string token;
  {
    std::lock_guard hold(tokenMutex_);
    token.swap(token_);
  }
  if (token.empty()) return;
  // Unreachable now: the lease ends the lock.
  client_.Command({"EVAL", kReleaseScript, "1", kApplicationLockKey, token});
}

std::optional<bool> SharedApplication::TakeStart() {
  const auto reply = client_.Command({"SET", kApplicationStartedKey, "1", "NX"});
  if (!reply || reply->IsError()) return std::nullopt;
  return reply->kind == redis::Reply::Kind::Status;
}

void SharedApplication::RenewLoop(const std::stop_token& stop) {
  const std::string lease = std::to_string(kLease.count());
  std::unique_lock hold(tokenMutex_);
  while (!stop.stop_requested()) {
    renewWake_.wait_for(hold, stop, kLease / 3, [] { return false; });
    if (stop.stop_requested() || token_.empty()) continue;
    const std::string token = token_;
    hold.unlock();
    const auto reply =
        client_.Command({"EVAL", kRenewScript, "1", kApplicationLockKey, token, lease});
    if (reply && reply->kind == redis::Reply::Kind::Integer && reply->integer == 0)
      std::cerr << "vant-host: Application lock lost its lease while held\n";
    hold.lock();
  }
}

}  // namespace vant::host::session
