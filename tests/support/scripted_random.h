// Stands in for the kernel's random source while it lives: every draw of
// the process then reads the byte stream 0, 1, 2, … 255, 0, 1, … (or, with a
// shorter period, 0 … period - 1, 0, …) and the calls are counted, so a test
// sees which values were drawn from the source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sys/random.h"

namespace vant::test {

class ScriptedRandom {
 public:
  explicit ScriptedRandom(std::uint32_t period = 256) {
    next_ = 0;
    period_ = period;
    calls_ = 0;
    previous_ = sys::ReplaceKernelRandomSource(&Fill);
  }
  ~ScriptedRandom() { sys::ReplaceKernelRandomSource(previous_); }
  ScriptedRandom(const ScriptedRandom&) = delete;
  ScriptedRandom& operator=(const ScriptedRandom&) = delete;

  int Calls() const { return calls_; }

  // The upper-case letters the stream gives when each byte below 234 picks
  // letter byte % 26: the first `bytes` bytes of the stream.
  static std::string Letters(std::size_t bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i) {
      const unsigned b = i % 256;
      if (b < 234) text += static_cast<char>('A' + b % 26);
    }
    return text;
  }

 private:
  static bool Fill(void* buffer, std::size_t size) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(next_++ % period_);
    ++calls_;
    return true;
  }

  static inline std::uint32_t next_ = 0;
  static inline std::uint32_t period_ = 256;
  static inline int calls_ = 0;
  sys::KernelRandomSource previous_ = nullptr;
};

// A kernel random source that fails every call while it lives.
class FailingRandom {
 public:
  FailingRandom() : previous_(sys::ReplaceKernelRandomSource(&Fail)) {}
  ~FailingRandom() { sys::ReplaceKernelRandomSource(previous_); }
  FailingRandom(const FailingRandom&) = delete;
  FailingRandom& operator=(const FailingRandom&) = delete;

 private:
  static bool Fail(void*, std::size_t) { return false; }
  sys::KernelRandomSource previous_ = nullptr;
};

}  // namespace vant::test
