#include "SettingsMirror.h"

#include "ParameterTable.h"

namespace kalvo5 {

SettingsMirror::SettingsMirror() {
  for (int i = 0; i < kNumParams; ++i) mValues[static_cast<std::size_t>(i)].store(ParamDefault(i));
}

void SettingsMirror::CopyTo(double (&values)[kNumParams]) const {
  for (int i = 0; i < kNumParams; ++i) values[i] = Get(i);
}

}  // namespace kalvo5
