#pragma once
// What a command of the document did, the one result every command returns.
#include <string_view>

namespace qx {

struct CommandResult {
  enum class Status {
    Done,       // carried out; `count` is what it read, wrote or made, where it has a number
    Cancelled,  // stopped by the user (Cancel, No) or nothing to do: the project is as it was
    Failed,     // could not be carried out: its message was shown and the project is as it was
  };
  Status status = Status::Done;
  int count = 0;

  static CommandResult done(int count = 0) { return {Status::Done, count}; }
  static CommandResult cancelled() { return {Status::Cancelled, 0}; }
  static CommandResult failed() { return {Status::Failed, 0}; }
  // Done, or else Cancelled: the result of a step that either did something
  // or changed nothing.
  static CommandResult doneOrCancelled(bool ok, int count = 0) { return ok ? done(count) : cancelled(); }

  bool ok() const { return status == Status::Done; }
  explicit operator bool() const { return ok(); }
};

}  // namespace qx
