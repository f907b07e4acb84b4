#pragma once
// A stamp that changes whenever a grid's cells may have changed, so holders
// can keep data derived from the cells and know when it is stale. Stamps come
// from one process-wide counter and are never reused: every change, copy or
// move gives a fresh one (a grid moved from too), so an equal stamp always
// means untouched cells.

#include <atomic>
#include <cstdint>

namespace tavro {

class ContentVersion {
 public:
  ContentVersion() noexcept : value_(next()) {}
  ContentVersion(const ContentVersion&) noexcept : value_(next()) {}
  ContentVersion(ContentVersion&& other) noexcept : value_(next()) { other.bump(); }
  ContentVersion& operator=(const ContentVersion&) noexcept {
    bump();
    return *this;
  }
  ContentVersion& operator=(ContentVersion&& other) noexcept {
    bump();
    other.bump();
    return *this;
  }

  void bump() noexcept { value_ = next(); }
  std::uint64_t value() const noexcept { return value_; }

 private:
  static std::uint64_t next() noexcept {
    static std::atomic<std::uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
  }

  std::uint64_t value_;
};

}  // namespace tavro
