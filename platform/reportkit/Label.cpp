#include "reportkit/Label.h"

TnLabel::TnLabel(std::string name, int section) : name_(std::move(name)), section_(section) {}
TnLabel::~TnLabel() = default;

void TnLabel::Bind(TnLabelSource source, std::string source_name, std::string mask) {
  source_ = source;
  source_name_ = std::move(source_name);
  mask_ = std::move(mask);
}
