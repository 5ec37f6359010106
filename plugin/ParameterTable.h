// The plug-in's parameters (the settings and, from the reading table, the
// outputs): names, groups, ranges, defaults, labels, flags and display texts,
// the named-parameter table used by presets, and the preset category names.
#pragma once

#include "Kalvo5Params.h"
#include "ReadingTable.h"
#include "framework/iplug/IEditorDelegate.h"
#include "framework/iplug/IParam.h"

namespace kalvo5 {

struct ParamRow {
  int index;
  const char* name;
  const char* group;
  iplug::ParamKind kind;  // Double, Enum (range from the texts) or Int (0 ... 1 trigger)
  double min;
  double max;
  double step;
  double defaultValue;
  const char* label;
  iplug::ParamFlags flags;
  const char* const* texts;  // Enum only: one text per value
  int textCount;
};

// The row of a parameter index; null outside 0 ... kNumParams - 1.
const ParamRow* FindParamRow(int index);

// The table's default of every parameter, by index.
double ParamDefault(int index);

// Defines every parameter of `params` from the table, taking each default
// from defaults[index] (the settings mirror at that moment).
void DefineParameters(iplug::IEditorDelegate& params, const double (&defaults)[kNumParams]);

enum class NamedValueKind { Int, Double };

struct NamedParam {
  const char* identifier;  // null ends the table
  int index;               // -1 in the end row
  NamedValueKind kind;
  const char* format;  // printf format of the value
};

// The 17 parameters that preset files and the preset text export treat
// specially, in their fixed order, ended by a row with a null identifier.
extern const NamedParam NamedParamTable[];

inline constexpr int kNumPresetCategories = 7;
extern const char* const PresetCategoryNames[kNumPresetCategories];

}  // namespace kalvo5
