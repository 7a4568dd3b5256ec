#include "analytics/param_list.h"

#include "analytics/numbers.h"

namespace plumeta {

const KeyRow ParameterKeyTable[16] = {
    {u"Protocol Version", u"v"},
    {u"Queue Time", u"qt"},
    {u"Cache Buster", u"z"},
    {u"Client ID", u"cid"},
    {u"Session ID", u"sid"},
    {u"Session Control", u"sc"},
    {u"Hit Type", u"t"},
    {u"Application ID", u"aid"},
    {u"Application Version", u"av"},
    {u"Exception Description", u"exd"},
    {u"Exception Details", u"exdt"},
    {u"Exception Fatal", u"exf"},
    {u"Life control", u"lc"},
    {u"Life status", u"ls"},
    {u"Label", u"lb"},
    {u"Value", u"val"},
};

std::u16string WireKey(std::u16string_view displayName) {
  for (const KeyRow& row : ParameterKeyTable) {
    if (row.displayName == displayName) return std::u16string(row.wireKey);
  }
  return {};
}

FormFields ToFormFields(const ParamList& params) {
  FormFields fields;
  for (const Param& param : params.items()) {
    std::u16string key = WireKey(param.name);
    if (key.empty() || param.value.empty()) continue;
    fields.emplace_back(std::move(key), param.value);
  }
  return fields;
}

void HitParamWriter::Begin(std::u16string_view hitType, const Hit& hit) {
  out_.Add(u"Hit Type", hitType);
  VisitCommon(hit);
}

void HitParamWriter::VisitCommon(const Hit& hit) {
  out_.Add(u"Activity ID", hit.ActivityId());
  out_.Add(u"Queue Time", FormatInt64(static_cast<std::int64_t>(hit.CreationTick())));
  out_.Add(u"Content Description", hit.ContentDescription());
}

void HitParamWriter::VisitException(const ExceptionHit& hit) {
  Begin(u"exception", hit);
  out_.Add(u"Exception Description", hit.Description());
  out_.Add(u"Exception Details", hit.Details());
  out_.Add(u"Exception Fatal", hit.Fatal() ? u"1" : u"0");
}

void HitParamWriter::VisitScreenView(const ScreenViewHit& hit) {
  Begin(u"screenview", hit);
  out_.Add(u"Label", hit.Label());
}

void HitParamWriter::VisitProperty(const PropertyHit& hit) {
  Begin(u"property", hit);
  out_.Add(u"Label", hit.Label());
  out_.Add(u"Value", hit.Value());
}

void HitParamWriter::VisitInstallType(const InstallTypeHit& hit) {
  Begin(u"installtype", hit);
  out_.Add(u"Value", hit.Value());
}

void HitParamWriter::VisitLifecycle(const LifecycleHit& hit) {
  Begin(u"lifecycle", hit);
  out_.Add(u"Life control", hit.LifeControl());
  out_.Add(u"Life status", hit.LifeStatus());
}

}  // namespace plumeta
