#include "platform/fs/fault_injection.h"

#include <atomic>
#include <cerrno>
#include <charconv>

namespace vant::fs {
namespace {

constexpr int kOff = -1;

FaultCountdown g_writes;
FaultCountdown g_renames;
FaultCountdown g_opens;

struct ErrorName {
  std::string_view name;
  int code;
};

constexpr ErrorName kErrorNames[] = {
    {"ENOSPC", ENOSPC},       {"EIO", EIO},
    {"EXDEV", EXDEV},         {"EACCES", EACCES},
    {"EPERM", EPERM},         {"EROFS", EROFS},
    {"EDQUOT", EDQUOT},       {"EMFILE", EMFILE},
    {"ENFILE", ENFILE},       {"ENOENT", ENOENT},
    {"EEXIST", EEXIST},       {"EBUSY", EBUSY},
    {"EPIPE", EPIPE},         {"ECONNRESET", ECONNRESET},
    {"ETIMEDOUT", ETIMEDOUT}, {"ECONNABORTED", ECONNABORTED},
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool ParseCount(std::string_view text, int& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

bool ParseError(std::string_view text, int& code) {
  for (const ErrorName& entry : kErrorNames) {
    if (entry.name == text) {
      code = entry.code;
      return true;
    }
  }
  return ParseCount(text, code) && code > 0;
}

// "kind:n:ERROR" or "kind:n:ERROR:repeat" into item; false when a part is
// missing or malformed.
bool ParseItem(std::string_view text, FaultItem& item) {
  const auto first = text.find(':');
  if (first == std::string_view::npos) return false;
  const auto second = text.find(':', first + 1);
  if (second == std::string_view::npos) return false;
  item.kind = std::string(Trim(text.substr(0, first)));
  if (item.kind.empty()) return false;
  std::string_view error = text.substr(second + 1);
  if (const auto third = error.find(':'); third != std::string_view::npos) {
    if (Trim(error.substr(third + 1)) != "repeat") return false;
    item.repeat = true;
    error = error.substr(0, third);
  }
  return ParseCount(Trim(text.substr(first + 1, second - first - 1)), item.n) &&
         ParseError(Trim(error), item.error);
}

FaultCountdown* CountdownOf(std::string_view kind) {
  if (kind == "write") return &g_writes;
  if (kind == "rename") return &g_renames;
  if (kind == "open") return &g_opens;
  return nullptr;
}

}  // namespace

void FaultCountdown::Arm(int n, int error, bool repeat) {
  error_.store(error);
  period_.store(repeat && n >= 0 ? n : kOff);
  remaining_.store(n < 0 ? kOff : n);
}

int FaultCountdown::Consume() {
  int current = remaining_.load(std::memory_order_relaxed);
  while (current != kOff) {
    // Exactly one caller moves the count from 0 (to kOff, or back to the
    // period of a repeating fault) and fails.
    const int next = current == 0 ? period_.load() : current - 1;
    if (remaining_.compare_exchange_weak(current, next)) {
      return current == 0 ? error_.load() : 0;
    }
  }
  return 0;
}

void FaultInjection::FailNthWrite(int n, int error) { g_writes.Arm(n, error); }

void FaultInjection::FailNthRename(int n, int error) { g_renames.Arm(n, error); }

void FaultInjection::FailNthOpen(int n, int error) { g_opens.Arm(n, error); }

void FaultInjection::Reset() {
  g_writes.Arm(kOff, 0);
  g_renames.Arm(kOff, 0);
  g_opens.Arm(kOff, 0);
}

bool FaultInjection::ParsePlan(std::string_view plan, std::vector<FaultItem>& items,
                               std::string& problem) {
  items.clear();
  while (!plan.empty()) {
    const auto comma = plan.find(',');
    const std::string_view text = Trim(plan.substr(0, comma));
    plan = comma == std::string_view::npos ? std::string_view() : plan.substr(comma + 1);
    if (text.empty()) continue;
    FaultItem item;
    if (!ParseItem(text, item)) {
      problem = "bad fault item \"" + std::string(text) + "\" (want kind:n:ERRNO[:repeat])";
      return false;
    }
    items.push_back(std::move(item));
  }
  return true;
}

bool FaultInjection::Arm(const FaultItem& item) {
  FaultCountdown* countdown = CountdownOf(item.kind);
  if (countdown == nullptr) return false;
  countdown->Arm(item.n, item.error, item.repeat);
  return true;
}

int FaultInjection::OnWrite() { return g_writes.Consume(); }

int FaultInjection::OnRename() { return g_renames.Consume(); }

int FaultInjection::OnOpen() { return g_opens.Consume(); }

}  // namespace vant::fs
