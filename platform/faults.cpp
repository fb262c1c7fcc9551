#include "platform/faults.h"

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace platform::faults {
namespace {

struct Rule {
  int from = 0;   // first call number (1-based, counted from the last reset) that fails
  bool onward = false;
  Failure why = Failure::ioError;
};

struct PathRule {
  std::string path;
  Failure why = Failure::ioError;
};

struct OpState {
  int calls = 0;
  std::vector<Rule> rules;
  std::vector<PathRule> pathRules;
  std::function<void(std::string_view)> hook;
};

std::array<OpState, static_cast<std::size_t>(Op::count_)> states;
int allCalls = 0;
int crashAt = 0;
bool recording = false;
std::vector<Call> calls;

OpState& state(Op op) { return states[static_cast<std::size_t>(op)]; }

}  // namespace

void failNth(Op op, int n, Failure why) {
  OpState& s = state(op);
  s.rules.push_back({s.calls + n, false, why});
}

void failFrom(Op op, int n, Failure why) {
  OpState& s = state(op);
  s.rules.push_back({s.calls + n, true, why});
}

void failPath(Op op, std::string_view path, Failure why) {
  state(op).pathRules.push_back({std::string(path), why});
}

void crashAtCall(int n) { crashAt = allCalls + n; }

int totalCalls() { return allCalls; }

void onCall(Op op, std::function<void(std::string_view)> hook) { state(op).hook = std::move(hook); }

void copyMidway(std::string_view source) {
  if (const auto& hook = state(Op::copy).hook) hook(source);
}

void setRecording(bool on) { recording = on; }

const std::vector<Call>& recordedCalls() { return calls; }

int callCount(Op op) { return state(op).calls; }

void reset() {
  for (OpState& s : states) s = OpState{};
  allCalls = 0;
  crashAt = 0;
  recording = false;
  calls.clear();
}

Failure shouldFail(Op op, std::string_view path, std::string_view source) {
  OpState& s = state(op);
  ++s.calls;
  ++allCalls;
  // A dead stop: no destructor, no buffered output, no atexit handler.
  if (crashAt != 0 && allCalls == crashAt) std::_Exit(crashExitCode);
  if (recording) calls.push_back({op, std::string(path), std::string(source)});
  if (s.hook && op != Op::copy) s.hook(path);
  for (const Rule& rule : s.rules) {
    if (rule.from == s.calls || (rule.onward && s.calls > rule.from)) return rule.why;
  }
  for (const PathRule& rule : s.pathRules) {
    if (rule.path == path) return rule.why;
  }
  return Failure::none;
}

}  // namespace platform::faults
