// Stands in for the kernel's random source while it lives: every draw of
// the process then reads the byte stream 0, 1, 2, … 255, 0, 1, … and the
// calls are counted, so a test sees which values were drawn from the source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sys/random.h"

namespace vant::test {

class ScriptedRandom {
 public:
  ScriptedRandom() {
    next_ = 0;
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
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(next_++);
    ++calls_;
    return true;
  }

  static inline std::uint32_t next_ = 0;
  static inline int calls_ = 0;
  sys::KernelRandomSource previous_ = nullptr;
};

}  // namespace vant::test
