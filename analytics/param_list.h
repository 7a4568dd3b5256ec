#pragma once
// Parameters of a hit by display name, and the short keys they carry on
// the wire. A hit is stored by display name and given its wire keys only
// when it is sent.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analytics/hit.h"

namespace plumeta {

struct Param {
  std::u16string name;
  std::u16string value;
};

// Ordered (display name, value) pairs; duplicates allowed.
class ParamList {
 public:
  void Add(std::u16string_view name, std::u16string_view value) {
    items_.push_back({std::u16string(name), std::u16string(value)});
  }
  const std::vector<Param>& items() const { return items_; }
  bool operator==(const ParamList&) const = default;

 private:
  std::vector<Param> items_;
};

struct KeyRow {
  std::u16string_view displayName;
  std::u16string_view wireKey;
};

// Display name to wire key, 16 rows. "Activity ID" and "Content
// Description" have no row: they are stored with a hit but never sent.
extern const KeyRow ParameterKeyTable[16];

// Exact, case-sensitive lookup; empty when the name has no row.
std::u16string WireKey(std::u16string_view displayName);

using FormFields = std::vector<std::pair<std::u16string, std::u16string>>;

// (wire key, value) for each parameter that has a wire key and a value.
FormFields ToFormFields(const ParamList& params);

// Appends a hit's parameters: "Hit Type", the common part ("Activity ID",
// "Queue Time", "Content Description"), then the class's own parameters.
class HitParamWriter final : public HitVisitor {
 public:
  explicit HitParamWriter(ParamList& out) : out_(out) {}
  void VisitException(const ExceptionHit& hit) override;
  void VisitScreenView(const ScreenViewHit& hit) override;
  void VisitProperty(const PropertyHit& hit) override;
  void VisitInstallType(const InstallTypeHit& hit) override;
  void VisitLifecycle(const LifecycleHit& hit) override;
  void VisitCommon(const Hit& hit) override;

 private:
  void Begin(std::u16string_view hitType, const Hit& hit);
  ParamList& out_;
};

}  // namespace plumeta
