#pragma once
// PublishGate: what must be committed together with an output file, run by TempFile::Commit
// once the file is complete and closed, just before it is renamed into place. The host opens
// one around a print so that the book periods the print records are committed right before
// the file appears (see TnPublicacaoLivro); when the gate raises, the file is discarded and
// the error passes, so neither exists.
//
//   PublishGate gate([&] { publicacao.Confirmar(); });
//   ... device.Finish();   // every file: close, gate, rename
//
// One gate per thread at a time; a nested gate hides the outer one until it ends. The action
// runs for every file committed in its scope (several pages of PNG output): it must do nothing
// once there is nothing left to commit.

#include <functional>

namespace stock {

class PublishGate {
 public:
  explicit PublishGate(std::function<void()> before_rename);
  ~PublishGate();
  PublishGate(const PublishGate&) = delete;
  PublishGate& operator=(const PublishGate&) = delete;

  // Runs the action of this thread's gate, if any. Raises what the action raises.
  static void Run();

 private:
  std::function<void()> action_;
  PublishGate* previous_;
};

}  // namespace stock
