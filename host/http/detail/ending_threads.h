// Threads that end on their own, each when it sees fit: a thread records
// itself as it leaves (Ended), and its owner joins the ones that left at
// its next chance (Reap) and every one at the end (TakeAll, then Join). The
// owner's lock guards the set; a thread that recorded itself needs that
// lock no more, so Reap may join it under the lock.
#pragma once

#include <algorithm>
#include <list>
#include <thread>
#include <utility>
#include <vector>

namespace vant::host::http::detail {

class EndingThreads {
 public:
  template <typename Body>
  void Start(Body&& body) {
    threads_.emplace_back(std::forward<Body>(body));
  }

  // A thread started outside the owner's lock, recorded under it.
  void Adopt(std::thread thread) { threads_.push_back(std::move(thread)); }

  // By the leaving thread, as its last step under the owner's lock.
  void Ended() { ended_.push_back(std::this_thread::get_id()); }

  bool AnyEnded() const { return !ended_.empty(); }

  // Joins the threads that recorded themselves, under the owner's lock.
  void Reap() { Join(TakeEnded()); }

  // The threads that recorded themselves, to be joined outside the lock:
  // a join may unmap a stack, which waits for every page fault in flight.
  std::list<std::thread> TakeEnded() {
    std::list<std::thread> out;
    for (auto it = threads_.begin(); it != threads_.end() && !ended_.empty();) {
      const auto found = std::find(ended_.begin(), ended_.end(), it->get_id());
      if (found == ended_.end()) {
        ++it;
        continue;
      }
      ended_.erase(found);
      auto next = std::next(it);
      out.splice(out.end(), threads_, it);
      it = next;
    }
    return out;
  }

  // Every thread, to be joined outside the lock (they may still need it).
  std::list<std::thread> TakeAll() {
    ended_.clear();
    return std::exchange(threads_, {});
  }

  static void Join(std::list<std::thread> threads) {
    for (auto& t : threads)
      if (t.joinable()) t.join();
  }

 private:
  std::list<std::thread> threads_;
  std::vector<std::thread::id> ended_;
};

}  // namespace vant::host::http::detail
