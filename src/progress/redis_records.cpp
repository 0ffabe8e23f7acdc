// SharedRecords on Redis. Each change that must hold across hosts (issuing
// a record, attaching an upload, a generation-checked write) is one Lua
// script, which Redis runs atomically, so two hosts never interleave inside
// one. Strings (names, session keys) are stored as their UTF-16 code units,
// two bytes each, so any name a client sent survives the round trip.
#include "progress/redis_records.h"

#include <charconv>
#include <string>
#include <vector>

#include "platform/redis/redis.h"
#include "platform/sys/settings.h"

namespace vant::progress {
namespace {

constexpr char kCounterKey[] = "vant:progress:next";
constexpr char kRecordPrefix[] = "vant:progress:";

// The fields of a record in the order Read asks for them.
constexpr const char* kFields[] = {"total",   "remaining", "start", "last",   "name",
                                   "working", "owner",     "inuse", "refused"};

// Issues a record (after INCR): one an upload holds keeps its values, any
// other starts over for the new browser; the generation moves on so that a
// late write of the last upload cannot bring its values back.
// ARGV: idle lifetime (ms), idle name.
constexpr char kIssueScript[] = R"(
if redis.call('HGET', KEYS[1], 'inuse') == '1' then
  redis.call('HSET', KEYS[1], 'refused', '0')
  return 1
end
redis.call('HSET', KEYS[1], 'total', '0', 'remaining', '0', 'start', '0', 'last', '0',
  'name', ARGV[2], 'working', '1', 'owner', '', 'inuse', '0', 'refused', '0')
redis.call('HINCRBY', KEYS[1], 'gen', 1)
redis.call('PEXPIRE', KEYS[1], ARGV[1])
return 1
)";

// Attaches an upload: refused while another session's upload (or one
// without a session) holds the record. Keys are compared by their digests,
// so the time taken tells nothing about a key's characters.
// ARGV: owner, lease (ms), idle name. Returns the new generation or nil.
constexpr char kAttachScript[] = R"(
if redis.call('EXISTS', KEYS[1]) == 0 then return false end
local state = redis.call('HMGET', KEYS[1], 'inuse', 'owner', 'working')
local owner = state[2] or ''
if state[1] == '1' and (owner == '' or redis.sha1hex(owner) ~= redis.sha1hex(ARGV[1])) then
  return false
end
redis.call('HSET', KEYS[1], 'owner', ARGV[1], 'inuse', '1', 'refused', '0')
if state[3] == '0' then
  redis.call('HSET', KEYS[1], 'total', '0', 'remaining', '0', 'start', '0', 'last', '0',
    'name', ARGV[3], 'working', '1')
end
local generation = redis.call('HINCRBY', KEYS[1], 'gen', 1)
redis.call('PEXPIRE', KEYS[1], ARGV[2])
return generation
)";

// Writes a record unless a newer attachment or issue moved its generation;
// a record that is gone (the store restarted) is written anew.
// ARGV: generation, lifetime (ms), then the fields of kFields in order.
constexpr char kWriteScript[] = R"(
local generation = redis.call('HGET', KEYS[1], 'gen')
if generation and generation ~= ARGV[1] then return 0 end
redis.call('HSET', KEYS[1], 'gen', ARGV[1], 'total', ARGV[3], 'remaining', ARGV[4],
  'start', ARGV[5], 'last', ARGV[6], 'name', ARGV[7], 'working', ARGV[8], 'owner', ARGV[9],
  'inuse', ARGV[10], 'refused', ARGV[11])
redis.call('PEXPIRE', KEYS[1], ARGV[2])
return 1
)";

std::string RecordKey(std::int32_t id) { return kRecordPrefix + std::to_string(id); }

std::string Units(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::u16string FromUnits(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  return text;
}

// A decimal field; 0 when missing or malformed (a record only this code writes).
long long Number(const redis::Reply& reply) {
  long long value = 0;
  const std::string& text = reply.text;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string Millis(std::chrono::milliseconds value) {
  return std::to_string(std::max<long long>(1, value.count()));
}

class RedisRecords final : public SharedRecords {
 public:
  explicit RedisRecords(redis::Client& client) : client_(client) {}

  std::optional<std::int32_t> Allocate() override;
  std::optional<SharedRecord> Read(std::int32_t id) override;
  std::optional<std::uint64_t> Attach(std::int32_t id, std::u16string_view owner,
                                      std::chrono::milliseconds lease) override;
  bool Write(std::int32_t id, std::uint64_t generation, const SharedRecord& record,
             std::chrono::milliseconds lifetime) override;

 private:
  redis::Client& client_;
  const std::string idleName_ = Units(kIdleName);
  const std::chrono::milliseconds idleLifetime_ = SharingTimes{}.idleLifetime;
};

std::optional<std::int32_t> RedisRecords::Allocate() {
  const std::optional<redis::Reply> counter = client_.Command({"INCR", kCounterKey});
  if (!counter || counter->kind != redis::Reply::Kind::Integer) return std::nullopt;
  // The in-process rule: 1, 2, … 1999, 0, 1, … from a counter that starts at 0.
  const auto id = static_cast<std::int32_t>(counter->integer % kProgressIdCount);
  const std::optional<redis::Reply> issued =
      client_.Command({"EVAL", kIssueScript, "1", RecordKey(id), Millis(idleLifetime_), idleName_});
  if (!issued || issued->IsError()) return std::nullopt;
  return id;
}

std::optional<SharedRecord> RedisRecords::Read(std::int32_t id) {
  if (id < 0) return std::nullopt;
  std::vector<std::string> command{"HMGET", RecordKey(id)};
  command.insert(command.end(), std::begin(kFields), std::end(kFields));
  const std::optional<redis::Reply> reply = client_.Command(command);
  if (!reply || reply->kind != redis::Reply::Kind::Array ||
      reply->items.size() != std::size(kFields) || reply->items[0].IsNil()) {
    return std::nullopt;
  }
  const std::vector<redis::Reply>& f = reply->items;
  SharedRecord record;
  record.info.total = static_cast<std::int32_t>(Number(f[0]));
  record.info.remaining = static_cast<std::int32_t>(Number(f[1]));
  record.info.startTime = static_cast<std::uint32_t>(Number(f[2]));
  record.info.lastReadTime = static_cast<std::uint32_t>(Number(f[3]));
  record.info.currentName = FromUnits(f[4].text);
  record.info.working = static_cast<std::int32_t>(Number(f[5]));
  record.owner = FromUnits(f[6].text);
  record.inUse = Number(f[7]) != 0;
  record.refused = Number(f[8]) != 0;
  return record;
}

std::optional<std::uint64_t> RedisRecords::Attach(std::int32_t id, std::u16string_view owner,
                                                  std::chrono::milliseconds lease) {
  const std::optional<redis::Reply> reply = client_.Command(
      {"EVAL", kAttachScript, "1", RecordKey(id), Units(owner), Millis(lease), idleName_});
  if (!reply || reply->kind != redis::Reply::Kind::Integer) return std::nullopt;
  return static_cast<std::uint64_t>(reply->integer);
}

bool RedisRecords::Write(std::int32_t id, std::uint64_t generation, const SharedRecord& record,
                         std::chrono::milliseconds lifetime) {
  const ProgressInfo& info = record.info;
  const std::vector<std::string> command{"EVAL",
                                         kWriteScript,
                                         "1",
                                         RecordKey(id),
                                         std::to_string(generation),
                                         Millis(lifetime),
                                         std::to_string(info.total),
                                         std::to_string(info.remaining),
                                         std::to_string(info.startTime),
                                         std::to_string(info.lastReadTime),
                                         Units(info.currentName),
                                         std::to_string(info.working),
                                         Units(record.owner),
                                         record.inUse ? "1" : "0",
                                         record.refused ? "1" : "0"};
  const std::optional<redis::Reply> reply = client_.Command(command);
  // A stale write (answer 0) reached the store too: nothing to retry.
  return reply && !reply->IsError();
}

}  // namespace

std::unique_ptr<SharedRecords> MakeRedisRecords(redis::Client& client) {
  return std::make_unique<RedisRecords>(client);
}

std::unique_ptr<SharedRecords> MakeSharedRecords() {
  redis::Client* const client = redis::SharedClient();
  if (client == nullptr) return nullptr;
  return MakeRedisRecords(*client);
}

SharingTimes SharingTimesFromSettings() {
  SharingTimes times;
  times.lease = std::chrono::milliseconds(sys::CurrentSettings().progressLeaseMs);
  return times;
}

}  // namespace vant::progress
