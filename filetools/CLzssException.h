#pragma once
// The codec's own failure: a message text. Every codec operation catches it
// and reports a failure result instead.
#include <stdexcept>
#include <string>

namespace quillon::filetools {

class CLzssException : public std::runtime_error {
 public:
  explicit CLzssException(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace quillon::filetools
