// One host-visible setting: its range, step, display texts, and the mapping
// between its real value and the normalized value in [0, 1] that hosts and
// editor controls exchange.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace iplug {

enum class ParamKind : std::int32_t {
  None = 0,  // not defined yet
  Bool = 1,
  Int = 2,
  Enum = 3,
  Double = 4,
};

enum ParamFlags : std::int32_t {
  NoFlags = 0,
  CannotAutomate = 1,  // the host must not automate it; host changes are ignored by the plug-in
  Stepped = 2,         // Constrain rounds to multiples of the step
};

constexpr ParamFlags operator|(ParamFlags a, ParamFlags b) {
  return static_cast<ParamFlags>(static_cast<std::int32_t>(a) | static_cast<std::int32_t>(b));
}

inline constexpr int kMaxParamTextLength = 31;

// A name, label, group or display text: at most 31 bytes and a terminator.
struct ParamText {
  char chars[kMaxParamTextLength + 1] = {};
  const char* c_str() const { return chars; }
  std::string_view view() const { return chars; }
};

// A named value of a parameter.
struct DisplayText {
  double value = 0.0;
  char text[kMaxParamTextLength + 1] = {};
};

class IParam {
 public:
  // The mapping between normalized and real values. Linear is the only one
  // this plug-in uses; others can be added without touching IParam.
  class Shape {
   public:
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> Clone() const = 0;
    virtual void Init(const IParam&) {}
    virtual int Kind() const = 0;
    virtual double MapToValue(double normalized, const IParam& param) const = 0;
    virtual double MapToNormalized(double value, const IParam& param) const = 0;
  };

  class ShapeLinear final : public Shape {
   public:
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeLinear>(*this); }
    int Kind() const override { return 0; }
    double MapToValue(double normalized, const IParam& param) const override;
    double MapToNormalized(double value, const IParam& param) const override;
  };

  IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Definition: done once, before any other thread can see the parameter.
  // Texts longer than 31 bytes are cut. The step must be > 0.
  void DefineDouble(const char* name, const char* label, ParamFlags flags, const char* group,
                    const Shape& shape, double defaultValue, double min, double max, double step);
  void DefineEnum(const char* name, int defaultIndex, int count, const char* label, ParamFlags flags,
                  const char* group);
  void AddDisplayText(double value, const char* text);
  // Presets the kind of a parameter that is still undefined; DefineDouble
  // keeps a kind that is already set (how the Int parameters come about).
  void SetKind(ParamKind kind) { mKind = kind; }

  // Step rounding (halves away from zero) for Stepped parameters, then
  // clamping to [min, max]. NaN passes through.
  double Constrain(double value) const;

  // Value access, safe from any thread. NaN is ignored (the value stays).
  void SetValue(double value);
  void SetNormalizedValue(double normalized);
  double GetValue() const { return mValue.load(); }
  double ValueFromNormalized(double normalized) const;
  double NormalizedFromValue(double value) const;  // in [0, 1]
  double GetNormalizedValue() const { return NormalizedFromValue(GetValue()); }

  // The display text of the value (normalized or real): a matching display
  // text if asked for, else the number with `precision` decimals.
  ParamText FormatDisplay(double value, bool isNormalized, bool withDisplayTexts) const;
  // A display text gives its value; an Enum or Bool accepts nothing else (0);
  // otherwise the leading number of the text (C locale), constrained.
  double ParseDisplay(const char* text) const;
  // The label, or "" when the current value has a non-empty display text.
  const char* LabelForHost() const;

  int DisplayTextCount() const { return static_cast<int>(mDisplayTexts.size()); }
  const DisplayText* DisplayTextAt(int index) const;  // null when out of range
  const char* DisplayTextFor(double value) const;     // "" when none matches exactly

  const char* GetName() const { return mName; }
  const char* GetLabel() const { return mLabel; }
  const char* GetGroup() const { return mGroup; }
  ParamKind Kind() const { return mKind; }
  ParamFlags Flags() const { return mFlags; }
  bool CanAutomate() const { return (mFlags & CannotAutomate) == 0; }
  bool IsStepped() const { return (mFlags & Stepped) != 0; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetDefault() const { return mDefault; }
  int GetPrecision() const { return mPrecision; }
  const Shape& GetShape() const { return *mShape; }

 private:
  const DisplayText* FirstDisplayTextFor(double value) const;

  ParamKind mKind = ParamKind::None;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mPrecision = 0;
  ParamFlags mFlags = NoFlags;
  char mName[kMaxParamTextLength + 1] = {};
  char mLabel[kMaxParamTextLength + 1] = {};
  char mGroup[kMaxParamTextLength + 1] = {};
  std::unique_ptr<Shape> mShape;
  std::vector<DisplayText> mDisplayTexts;
};

}  // namespace iplug
