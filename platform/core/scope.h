#pragma once
// Scope guards: put state back when a block is left, by return or by exception,
// instead of a hand-written "catch (...) { reset; throw; }" beside the normal reset.
//
//   TRestore keep(FAncestor, ancestor);      // FAncestor = ancestor now, old value back on exit
//   TOnExit done([&] { EndUpdate(); });      // EndUpdate() on every exit
//   TOnExit undo([&] { FShowing = !show; }); // ... undo.Dismiss() on success: only on exception
//
// Cleanup that throws while the block is being left normally propagates like the
// hand-written reset did. Cleanup that throws while an exception is already leaving
// the block is dropped, so the first exception goes on (a second one would end the
// program).
#include <exception>
#include <type_traits>
#include <utility>

namespace scope_detail {
// Runs Cleanup from a destructor: propagates its exception on a normal exit,
// drops it during unwinding.
template <class Cleanup>
void RunCleanup(int ExceptionsAtEntry, Cleanup&& C) {
  if (std::uncaught_exceptions() > ExceptionsAtEntry) {
    try {
      C();
    } catch (...) {
    }
  } else {
    C();
  }
}
}  // namespace scope_detail

// Runs a callable when the scope ends, unless Dismiss() was called first.
template <class F>
class [[nodiscard]] TOnExit {
 public:
  explicit TOnExit(F Fn) : FFn(std::move(Fn)), FExceptions(std::uncaught_exceptions()) {}
  TOnExit(const TOnExit&) = delete;
  TOnExit& operator=(const TOnExit&) = delete;
  ~TOnExit() noexcept(false) {
    if (FActive) scope_detail::RunCleanup(FExceptions, FFn);
  }
  // The block succeeded: the callable does not run (a guard meant for failures only).
  void Dismiss() { FActive = false; }

 private:
  F FFn;
  int FExceptions;
  bool FActive = true;
};

// Keeps a variable's value and writes it back when the scope ends.
template <class T>
class [[nodiscard]] TRestore {
 public:
  explicit TRestore(T& Var) : FVar(Var), FSaved(Var), FExceptions(std::uncaught_exceptions()) {}
  // Keeps the value and sets a new one for the scope.
  template <class U>
  TRestore(T& Var, U&& Value) : TRestore(Var) {
    FVar = std::forward<U>(Value);
  }
  TRestore(const TRestore&) = delete;
  TRestore& operator=(const TRestore&) = delete;
  ~TRestore() noexcept(false) {
    scope_detail::RunCleanup(FExceptions, [this] { FVar = std::move(FSaved); });
  }
  const T& Saved() const { return FSaved; }

 private:
  T& FVar;
  T FSaved;
  int FExceptions;
};
