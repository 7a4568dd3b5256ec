#include "analytics/hit.h"

namespace plumeta {

HitStamp NewHitStamp(Clock& clock, GuidSource& guids) {
  // The tick is taken as the 32-bit count; the upper half stays 0.
  std::uint64_t tick = clock.TickCount();
  return {GuidText(guids.NewGuid()), tick};
}

bool Hit::SetContentDescription(std::u16string_view text) {
  if (text == contentDescription_) return false;
  contentDescription_.assign(text);
  return true;
}

void LifecycleHit::Accept(HitVisitor& visitor) const {
  visitor.VisitLifecycle(*this);
}
void InstallTypeHit::Accept(HitVisitor& visitor) const {
  visitor.VisitInstallType(*this);
}
void PropertyHit::Accept(HitVisitor& visitor) const {
  visitor.VisitProperty(*this);
}
void ScreenViewHit::Accept(HitVisitor& visitor) const {
  visitor.VisitScreenView(*this);
}
void ExceptionHit::Accept(HitVisitor& visitor) const {
  visitor.VisitException(*this);
}

}  // namespace plumeta
