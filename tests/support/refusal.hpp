#pragma once
// The message of the refusal a call is expected to throw, for tables of refused inputs.

#include <string>

namespace kova::test {

// What `call` throws as an `Error`, or "accepted" when it throws nothing.
template <class Error, class Call>
std::string refusal_of(Call&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.what();
  }
  return "accepted";
}

}  // namespace kova::test
