#pragma once
// A chart driven by member name only; one that lacks a member throws Error(ErrorKind::Platform, ...).

#include <cstdint>
#include <string_view>

namespace tavro {

class Chart {
 public:
  virtual ~Chart() = default;
  virtual void setProperty(std::string_view name, std::int16_t value) = 0;
  virtual std::int16_t property(std::string_view name) = 0;
  virtual void invoke(std::string_view method) = 0;
};

}  // namespace tavro
