#pragma once
// AoSair: runs an action when the scope ends, however it ends (normal end, a stop, an
// exception). Reports use it to release what a run created and to empty the hooks they set.
//
//   AoSair limpeza([&] { FCabecalho.reset(); Report()->SetOnBeforeSection(nullptr); });

#include <utility>

template <class F>
class AoSair {
 public:
  explicit AoSair(F action) : action_(std::move(action)) {}
  ~AoSair() { action_(); }
  AoSair(const AoSair&) = delete;
  AoSair& operator=(const AoSair&) = delete;

 private:
  F action_;
};
