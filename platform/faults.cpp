#include "platform/faults.h"

#include <array>
#include <string>
#include <vector>

namespace platform::faults {
namespace {

struct OpState {
  int calls = 0;
  std::vector<int> failAt;  // call numbers (1-based, counted from the last reset) that fail
  std::vector<std::string> failPaths;
};

std::array<OpState, static_cast<std::size_t>(Op::count_)> states;

OpState& state(Op op) { return states[static_cast<std::size_t>(op)]; }

}  // namespace

void failNth(Op op, int n) {
  OpState& s = state(op);
  s.failAt.push_back(s.calls + n);
}

void failPath(Op op, std::string_view path) { state(op).failPaths.emplace_back(path); }

int callCount(Op op) { return state(op).calls; }

void reset() {
  for (OpState& s : states) s = OpState{};
}

bool shouldFail(Op op, std::string_view path) {
  OpState& s = state(op);
  ++s.calls;
  for (int n : s.failAt) {
    if (n == s.calls) return true;
  }
  for (const std::string& p : s.failPaths) {
    if (p == path) return true;
  }
  return false;
}

}  // namespace platform::faults
