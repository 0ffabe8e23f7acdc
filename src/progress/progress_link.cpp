#include "progress/progress_link.h"

#include <new>

#include "platform/sys/clock.h"

namespace vant::progress {

ProgressLink::ProgressLink() : table_(ProgressTable::Instance()) {}

ProgressLink::ProgressLink(ProgressTable& table) : table_(table) {}

bool ProgressLink::Attach(std::int32_t id, std::u16string_view ownerKey) {
  if (entry_ == nullptr) entry_ = table_.Attach(id, ownerKey, &generation_);
  return entry_ != nullptr;
}

void ProgressLink::Start(std::int32_t total) {
  if (entry_ != nullptr) table_.Start(*entry_, generation_, total, sys::TickCount());
}

void ProgressLink::ChunkRead(std::int32_t remaining) {
  if (entry_ != nullptr) table_.ChunkRead(*entry_, generation_, remaining, sys::TickCount());
}

void ProgressLink::SetCurrentName(std::u16string_view name) {
  if (entry_ == nullptr) return;
  try {
    table_.SetCurrentName(*entry_, generation_, name);
  } catch (const std::bad_alloc&) {
    // The name is only shown to the user; the upload goes on without it.
  }
}

void ProgressLink::Refuse() {
  if (entry_ != nullptr) table_.Refuse(*entry_, generation_);
}

void ProgressLink::Release() {
  if (entry_ == nullptr) return;
  ProgressTable::Entry* const entry = entry_;
  entry_ = nullptr;
  table_.Release(*entry, generation_);
}

}  // namespace vant::progress
