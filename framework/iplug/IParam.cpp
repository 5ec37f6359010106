#include "IParam.h"

#include <cmath>
#include <cstring>

#include "NumberText.h"
#include "TextCopy.h"

namespace iplug {

double IParam::ShapeLinear::MapToValue(double normalized, const IParam& param) const {
  return param.GetMin() + normalized * (param.GetMax() - param.GetMin());
}

double IParam::ShapeLinear::MapToNormalized(double value, const IParam& param) const {
  return (value - param.GetMin()) / (param.GetMax() - param.GetMin());
}

IParam::IParam() : mShape(std::make_unique<ShapeLinear>()) {}

void IParam::DefineDouble(const char* name, const char* label, ParamFlags flags, const char* group,
                          const Shape& shape, double defaultValue, double min, double max, double step) {
  if (mKind == ParamKind::None) mKind = ParamKind::Double;
  CopyText(mName, name);
  CopyText(mLabel, label);
  CopyText(mGroup, group);
  mMin = min;
  mStep = step;
  // The range is never narrower than one step.
  mMax = std::fmax(max, min + step);
  mDefault = defaultValue;
  mFlags = flags;
  SetValue(defaultValue);

  mPrecision = 0;
  double s = step;
  while (mPrecision < 6 && s != std::floor(s)) {
    s *= 10.0;
    ++mPrecision;
  }

  mShape = shape.Clone();
  mShape->Init(*this);
}

void IParam::DefineEnum(const char* name, int defaultIndex, int count, const char* label, ParamFlags flags,
                        const char* group) {
  if (mKind == ParamKind::None) mKind = ParamKind::Enum;
  DefineDouble(name, label, flags | Stepped, group, ShapeLinear(), static_cast<double>(defaultIndex), 0.0,
               static_cast<double>(count - 1), 1.0);
}

void IParam::AddDisplayText(double value, const char* text) {
  DisplayText entry;
  entry.value = value;
  CopyText(entry.text, text);
  mDisplayTexts.push_back(entry);
}

double IParam::Constrain(double value) const {
  if (IsStepped()) value = std::round(value / mStep) * mStep;
  if (value < mMin) {
    value = mMin;
  } else if (value > mMax) {
    value = mMax;
  }
  return value;
}

void IParam::SetValue(double value) {
  if (std::isnan(value)) return;
  mValue.store(Constrain(value));
}

void IParam::SetNormalizedValue(double normalized) {
  if (std::isnan(normalized)) return;
  SetValue(ValueFromNormalized(normalized));
}

double IParam::ValueFromNormalized(double normalized) const {
  return Constrain(mShape->MapToValue(normalized, *this));
}

double IParam::NormalizedFromValue(double value) const {
  const double normalized = mShape->MapToNormalized(Constrain(value), *this);
  if (normalized < 0.0) return 0.0;
  if (normalized > 1.0) return 1.0;
  return normalized;
}

const DisplayText* IParam::FirstDisplayTextFor(double value) const {
  for (const DisplayText& entry : mDisplayTexts)
    if (entry.value == value) return &entry;
  return nullptr;
}

ParamText IParam::FormatDisplay(double value, bool isNormalized, bool withDisplayTexts) const {
  ParamText result;
  if (isNormalized) value = ValueFromNormalized(value);
  if (withDisplayTexts) {
    const DisplayText* entry = FirstDisplayTextFor(value);
    if (entry && entry->text[0] != '\0') {
      CopyText(result.chars, entry->text);
      return result;
    }
  }
  // A zero is never shown with a minus sign.
  if (value == 0.0) value = 0.0;
  if (mPrecision == 0) {
    double rounded = std::round(value);
    if (rounded == 0.0) rounded = 0.0;
    FormatFixed(result.chars, sizeof(result.chars), rounded, 0);
  } else {
    FormatFixed(result.chars, sizeof(result.chars), value, mPrecision);
  }
  return result;
}

double IParam::ParseDisplay(const char* text) const {
  if (!text) text = "";
  for (const DisplayText& entry : mDisplayTexts)
    if (std::strcmp(entry.text, text) == 0) return entry.value;
  if (mKind == ParamKind::Enum || mKind == ParamKind::Bool) return 0.0;
  double value = ParseDoubleC(text, nullptr);
  // "nan" is not a number a parameter can hold.
  if (std::isnan(value)) value = 0.0;
  return Constrain(value);
}

const char* IParam::LabelForHost() const {
  const DisplayText* entry = FirstDisplayTextFor(std::trunc(GetValue()));
  return entry && entry->text[0] != '\0' ? "" : mLabel;
}

const DisplayText* IParam::DisplayTextAt(int index) const {
  if (index < 0 || index >= DisplayTextCount()) return nullptr;
  return &mDisplayTexts[static_cast<std::size_t>(index)];
}

const char* IParam::DisplayTextFor(double value) const {
  const DisplayText* entry = FirstDisplayTextFor(value);
  return entry ? entry->text : "";
}

}  // namespace iplug
