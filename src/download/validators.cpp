#include "download/validators.h"

#include <chrono>
#include <cstdio>

#include "download/cache.h"
#include "platform/sys/ascii.h"

namespace vant::download {
namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// FNV-1a over 64 bits, seeded, fed byte by byte.
class Fnv64 {
 public:
  explicit Fnv64(std::uint64_t seed) : hash_(seed) {}
  void Add(std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      hash_ ^= (value >> (8 * i)) & 0xFF;
      hash_ *= 0x100000001B3ULL;
    }
  }
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_;
};

std::uint64_t HashVersion(std::uint64_t seed, std::u16string_view key,
                          const fs::FileAttributes& attributes, std::int64_t length) {
  Fnv64 fnv(seed);
  for (const char16_t c : key) fnv.Add(c, 2);
  fnv.Add(static_cast<std::uint64_t>(length), 8);
  fnv.Add(static_cast<std::uint64_t>(attributes.lastWriteSeconds), 8);
  fnv.Add(static_cast<std::uint32_t>(attributes.lastWriteNanoseconds), 4);
  return fnv.value();
}

}  // namespace

std::u16string HttpDate(std::int64_t unixSeconds) {
  using namespace std::chrono;
  const sys_seconds time{seconds{unixSeconds}};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  char text[96];
  std::snprintf(text, sizeof text, "%s, %02u %s %04d %02d:%02d:%02d GMT",
                kDays[weekday{day}.c_encoding()], static_cast<unsigned>(date.day()),
                kMonths[static_cast<unsigned>(date.month()) - 1], static_cast<int>(date.year()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return sys::Widen(text);
}

std::u16string EntityTag(std::u16string_view path, const fs::FileAttributes& attributes,
                         std::int64_t contentLength) {
  const std::u16string key = CacheKey(path);
  const std::uint64_t high = HashVersion(0xCBF29CE484222325ULL, key, attributes, contentLength);
  const std::uint64_t low = HashVersion(0x84222325CBF29CE4ULL, key, attributes, contentLength);
  char text[40];
  std::snprintf(text, sizeof text, "\"%016llX%016llX\"", static_cast<unsigned long long>(high),
                static_cast<unsigned long long>(low));
  return sys::Widen(text);
}

}  // namespace vant::download
