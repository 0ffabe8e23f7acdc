#include "host/session/shared_session_store.h"

#include <charconv>
#include <iostream>
#include <set>
#include <vector>

#include "host/session/detail/random_text.h"
#include "host/session/shared_application.h"
#include "host/session/shared_value.h"
#include "platform/sys/random.h"

namespace vant::host::session {
namespace {

constexpr std::string_view kSessionPrefix = "vant:session:";
constexpr std::string_view kCounterKey = "vant:session:next";
// Fields of the record besides the contents (whose fields start with '=').
constexpr std::string_view kIdField = "@id";
constexpr std::string_view kKeyField = "@key";
constexpr std::string_view kTimeoutField = "@timeout";
constexpr std::string_view kCodePageField = "@cp";
constexpr std::string_view kLcidField = "@lcid";
constexpr long long kMsPerMinute = 60'000;
// Session numbers continue from a random point of a nine-digit range when
// the counter is new or has run past the largest number.
constexpr std::int32_t kFirstIdBase = 100'000'000;
constexpr std::uint32_t kFirstIdSpread = 800'000'000;

// Renews the timer and reads the record; nil when there is no session (a
// record without its timeout is the remains of one that ended).
constexpr std::string_view kLoadScript =
    "local t = redis.call('hget', KEYS[1], '@timeout') "
    "if not t then return false end "
    "redis.call('pexpire', KEYS[1], tonumber(t) * 60000) "
    "return redis.call('hgetall', KEYS[1])";
// Makes a session under a cookie value no session has: 0 when one has it,
// else the session's number, from the counter of all hosts.
constexpr std::string_view kCreateScript =
    "if redis.call('exists', KEYS[1]) == 1 then return 0 end "
    "local id = redis.call('incr', KEYS[2]) "
    "if id < tonumber(ARGV[2]) or id > 2147483647 then "
    "redis.call('set', KEYS[2], ARGV[2]) id = tonumber(ARGV[2]) end "
    "redis.call('hset', KEYS[1], '@id', id, '@key', ARGV[3], '@timeout', ARGV[4]) "
    "redis.call('pexpire', KEYS[1], ARGV[1]) "
    "return id";

std::string RecordKey(std::string_view cookieValue) {
  return std::string(kSessionPrefix) + std::string(cookieValue);
}

std::string TtlMs(std::int32_t minutes) { return std::to_string(minutes * kMsPerMinute); }

// Only what this host hands out can name a session; anything else starts a
// new one without a round trip.
bool IsCookieValue(std::string_view text) {
  if (text.size() != detail::kCookieValueLetters) return false;
  for (const char c : text)
    if (c < 'A' || c > 'Z') return false;
  return true;
}

template <class Number>
Number ParsedOr(std::string_view text, Number fallback) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

}  // namespace

SharedSessionStore::SharedSessionStore(redis::Client& client, std::int32_t defaultTimeoutMinutes)
    : client_(client), defaultTimeout_(defaultTimeoutMinutes), cookieName_(kSharedCookieName) {}

SharedSessionStore::Local& SharedSessionStore::Use(const std::string& cookieValue,
                                                   std::int32_t timeout, std::string key) {
  std::lock_guard lock(mutex_);
  Local& local = locals_[cookieValue];
  if (!local.session) {
    local.session = std::make_shared<Session>(0, cookieValue, timeout, std::move(key));
    local.session->Contents().RefuseUnshareable();
  }
  ++local.users;
  return local;
}

SharedSessionStore::Local* SharedSessionStore::Find(const std::string& cookieValue) {
  std::lock_guard lock(mutex_);
  const auto it = locals_.find(cookieValue);
  return it == locals_.end() ? nullptr : &it->second;
}

SessionLease SharedSessionStore::Begin(std::string_view cookieValue) {
  if (!IsCookieValue(cookieValue)) return Create();
  const std::string cookie(cookieValue);
  Local& local = Use(cookie, defaultTimeout_, {});
  std::shared_ptr<Session> session = local.session;
  std::unique_lock serial(session->serial_);
  const auto reply = client_.Command({"EVAL", kLoadScript, "1", RecordKey(cookie)});
  if (!reply || reply->IsError()) {
    session->unreachable_ = Utf8ToUtf16(UnreachableText(client_, reply ? &*reply : nullptr));
    return MakeLease(std::move(session), std::move(serial), false);
  }
  if (!session->Ended() && reply->kind == redis::Reply::Kind::Array && Load(local, *reply))
    return MakeLease(std::move(session), std::move(serial), false);
  // Expired, abandoned or never made: a new session, never under this value.
  serial.unlock();
  Released(session);
  return Create();
}

bool SharedSessionStore::Load(Local& local, const redis::Reply& fields) {
  Session& s = *local.session;
  s.unreachable_.clear();
  s.Contents().RemoveAll();
  local.stored.clear();
  local.timeout = 0;
  local.codePage = kUnsetCodePage;
  local.lcid = kUnsetLcid;
  for (std::size_t i = 0; i + 1 < fields.items.size(); i += 2) {
    const std::string& field = fields.items[i].text;
    const std::string& value = fields.items[i + 1].text;
    if (field == kIdField) {
      s.id_ = ParsedOr<std::int32_t>(value, 0);
    } else if (field == kKeyField) {
      s.key_ = value;
    } else if (field == kTimeoutField) {
      local.timeout = ParsedOr<std::int32_t>(value, 0);
    } else if (field == kCodePageField) {
      local.codePage = ParsedOr<std::uint32_t>(value, kUnsetCodePage);
    } else if (field == kLcidField) {
      local.lcid = ParsedOr<std::int32_t>(value, kUnsetLcid);
    } else if (std::u16string name; field.starts_with('=')) {
      Variant decoded;
      if (!DecodeValue(value, name, decoded)) continue;
      s.Contents().Set(name, decoded);
      local.stored.emplace(field, value);
    }
  }
  if (!s.SetTimeoutMinutes(local.timeout)) return false;
  s.SetCodePage(local.codePage);
  s.SetLcid(local.lcid);
  return true;
}

SessionLease SharedSessionStore::Create() {
  for (;;) {
    std::string cookie = detail::RandomLetters(detail::kCookieValueLetters);
    std::string key = detail::RandomKey();
    const std::string base =
        std::to_string(kFirstIdBase + static_cast<std::int32_t>(sys::Random32() % kFirstIdSpread));
    const auto reply =
        client_.Command({"EVAL", kCreateScript, "2", RecordKey(cookie), kCounterKey,
                         TtlMs(defaultTimeout_), base, key, std::to_string(defaultTimeout_)});
    if (!reply || reply->kind != redis::Reply::Kind::Integer) {
      // A session of this request only, which fails the page if it uses it.
      auto session = std::make_shared<Session>(0, std::move(cookie), defaultTimeout_, key);
      session->unreachable_ = Utf8ToUtf16(UnreachableText(client_, reply ? &*reply : nullptr));
      std::unique_lock serial(session->serial_);
      return MakeLease(std::move(session), std::move(serial), true);
    }
    if (reply->integer == 0) continue;  // the value is taken: draw again
    Local& local = Use(cookie, defaultTimeout_, key);
    local.timeout = defaultTimeout_;
    local.session->id_ = static_cast<std::int32_t>(reply->integer);
    std::unique_lock serial(local.session->serial_);
    return MakeLease(local.session, std::move(serial), true);
  }
}

void SharedSessionStore::Commit(Session& s) {
  if (!s.unreachable_.empty()) return;
  const Local* local = Find(s.CookieValue());
  if (local == nullptr) return;
  const std::string record = RecordKey(s.CookieValue());
  std::vector<std::vector<std::string>> batch;
  if (s.Abandoned()) {
    batch.push_back({"DEL", record});
  } else {
    std::vector<std::string> set{"HSET", record};
    std::vector<std::string> removed{"HDEL", record};
    std::set<std::string> seen;
    ContentsStore& contents = s.Contents();
    for (std::int32_t i = 1; i <= static_cast<std::int32_t>(contents.Count()); ++i) {
      const auto name = contents.KeyAt(i);
      const auto value = contents.ValueAt(i);
      if (!name || !value) continue;
      std::string field = FieldOf(*name);
      auto encoded = EncodeValue(*name, *value);
      const auto was = local->stored.find(field);
      if (encoded && (was == local->stored.end() || was->second != *encoded)) {
        set.push_back(field);
        set.push_back(std::move(*encoded));
      }
      seen.insert(std::move(field));
    }
    for (const auto& [field, value] : local->stored)
      if (!seen.contains(field)) removed.push_back(field);
    if (s.TimeoutMinutes() != local->timeout)
      set.insert(set.end(), {std::string(kTimeoutField), std::to_string(s.TimeoutMinutes())});
    if (s.CodePage() != local->codePage)
      set.insert(set.end(), {std::string(kCodePageField), std::to_string(s.CodePage())});
    if (s.Lcid() != local->lcid)
      set.insert(set.end(), {std::string(kLcidField), std::to_string(s.Lcid())});
    if (set.size() > 2) batch.push_back(std::move(set));
    if (removed.size() > 2) batch.push_back(std::move(removed));
    if (!batch.empty()) batch.push_back({"PEXPIRE", record, TtlMs(s.TimeoutMinutes())});
  }
  if (batch.empty()) return;
  const auto replies = client_.Pipeline(batch);
  const redis::Reply* refusal = nullptr;
  for (std::size_t i = 0; replies && i < replies->size() && refusal == nullptr; ++i)
    if ((*replies)[i].IsError()) refusal = &(*replies)[i];
  if (!replies || refusal != nullptr)
    std::cerr << "vant-host: session " << s.Id()
              << ": changes not saved: " << UnreachableText(client_, refusal) << std::endl;
}

void SharedSessionStore::Released(const std::shared_ptr<Session>& session) {
  if (session->Abandoned()) session->ended_ = true;
  std::lock_guard lock(mutex_);
  const auto it = locals_.find(session->CookieValue());
  if (it == locals_.end() || it->second.session != session) return;
  if (--it->second.users == 0) locals_.erase(it);
}

std::string SharedSessionStore::KeyOf(std::string_view cookieValue) const {
  if (!IsCookieValue(cookieValue)) return {};
  const auto reply = client_.Command({"HGET", RecordKey(cookieValue), kKeyField});
  if (!reply || reply->kind != redis::Reply::Kind::String) return {};
  return reply->text;
}

}  // namespace vant::host::session
