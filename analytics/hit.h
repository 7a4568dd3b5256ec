#pragma once
// Analytics hits: one event of an installation each. A hit is dated and
// named when it is made; the tracker turns it into parameters through
// HitVisitor.

#include <cstdint>
#include <string>

#include "analytics/system_services.h"

namespace plumeta {

class HitVisitor;

// What every hit receives when it is made: a fresh GUID text as its
// activity id and the tick count of the moment.
struct HitStamp {
  std::u16string activityId;
  std::uint64_t creationTick = 0;
};

HitStamp NewHitStamp(Clock& clock, GuidSource& guids);

class Hit {
 public:
  virtual ~Hit() = default;
  Hit(const Hit&) = delete;
  Hit& operator=(const Hit&) = delete;

  virtual const std::u16string& ActivityId() const { return activityId_; }
  virtual void MarkSessionStart() { sessionControl_ = kStartsSession; }
  virtual void MarkSessionEnd() { sessionControl_ = kEndsSession; }
  virtual bool StartsSession() const { return sessionControl_ == kStartsSession; }
  virtual bool EndsSession() const { return sessionControl_ == kEndsSession; }
  virtual std::uint64_t CreationTick() const { return creationTick_; }
  virtual const std::u16string& ContentDescription() const { return contentDescription_; }
  // False, and nothing changes, when the text equals the current one exactly.
  virtual bool SetContentDescription(std::u16string_view text);
  virtual void Accept(HitVisitor& visitor) const = 0;

 protected:
  explicit Hit(HitStamp stamp)
      : activityId_(std::move(stamp.activityId)), creationTick_(stamp.creationTick) {}

 private:
  static constexpr std::int32_t kStartsSession = 0;
  static constexpr std::int32_t kNoSessionChange = 1;
  static constexpr std::int32_t kEndsSession = 2;

  std::u16string activityId_;
  std::int32_t sessionControl_ = kNoSessionChange;
  std::u16string contentDescription_;
  std::uint64_t creationTick_;
};

class LifecycleHit final : public Hit {
 public:
  LifecycleHit(HitStamp stamp, std::u16string lifeControl, std::u16string lifeStatus)
      : Hit(std::move(stamp)), lifeControl_(std::move(lifeControl)), lifeStatus_(std::move(lifeStatus)) {}
  const std::u16string& LifeControl() const { return lifeControl_; }
  const std::u16string& LifeStatus() const { return lifeStatus_; }
  void Accept(HitVisitor& visitor) const override;

 private:
  std::u16string lifeControl_;
  std::u16string lifeStatus_;
};

class InstallTypeHit final : public Hit {
 public:
  InstallTypeHit(HitStamp stamp, std::u16string value) : Hit(std::move(stamp)), value_(std::move(value)) {}
  const std::u16string& Value() const { return value_; }
  void Accept(HitVisitor& visitor) const override;

 private:
  std::u16string value_;
};

class PropertyHit final : public Hit {
 public:
  PropertyHit(HitStamp stamp, std::u16string label, std::u16string value)
      : Hit(std::move(stamp)), label_(std::move(label)), value_(std::move(value)) {}
  const std::u16string& Label() const { return label_; }
  const std::u16string& Value() const { return value_; }
  void Accept(HitVisitor& visitor) const override;

 private:
  std::u16string label_;
  std::u16string value_;
};

class ScreenViewHit final : public Hit {
 public:
  ScreenViewHit(HitStamp stamp, std::u16string label) : Hit(std::move(stamp)), label_(std::move(label)) {}
  const std::u16string& Label() const { return label_; }
  void Accept(HitVisitor& visitor) const override;

 private:
  std::u16string label_;
};

class ExceptionHit final : public Hit {
 public:
  // `description` is the name of the action running when the hit is made.
  ExceptionHit(HitStamp stamp, std::u16string description, std::u16string details, bool fatal)
      : Hit(std::move(stamp)),
        description_(std::move(description)),
        details_(std::move(details)),
        fatal_(fatal) {}
  const std::u16string& Description() const { return description_; }
  const std::u16string& Details() const { return details_; }
  bool Fatal() const { return fatal_; }
  void Accept(HitVisitor& visitor) const override;

 private:
  std::u16string description_;
  std::u16string details_;
  bool fatal_;
};

class HitVisitor {
 public:
  virtual ~HitVisitor() = default;
  virtual void VisitException(const ExceptionHit& hit) = 0;
  virtual void VisitScreenView(const ScreenViewHit& hit) = 0;
  virtual void VisitProperty(const PropertyHit& hit) = 0;
  virtual void VisitInstallType(const InstallTypeHit& hit) = 0;
  virtual void VisitLifecycle(const LifecycleHit& hit) = 0;
  // The part every hit shares.
  virtual void VisitCommon(const Hit& hit) = 0;
};

}  // namespace plumeta
