#include "reportkit/output/PublishGate.h"

namespace stock {

namespace {
thread_local PublishGate* current = nullptr;
}  // namespace

PublishGate::PublishGate(std::function<void()> before_rename)
    : action_(std::move(before_rename)), previous_(current) {
  current = this;
}

PublishGate::~PublishGate() { current = previous_; }

void PublishGate::Run() {
  if (current != nullptr && current->action_) current->action_();
}

}  // namespace stock
