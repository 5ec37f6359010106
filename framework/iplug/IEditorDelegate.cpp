#include "IEditorDelegate.h"

#include <algorithm>

namespace iplug {

IEditorDelegate::IEditorDelegate(int nParams)
    : mParamCount(std::max(0, nParams)),
      mParams(std::make_unique<IParam[]>(static_cast<std::size_t>(mParamCount))) {}

IEditorDelegate::~IEditorDelegate() = default;

IParam* IEditorDelegate::GetParam(int index) {
  return index >= 0 && index < mParamCount ? &mParams[static_cast<std::size_t>(index)] : nullptr;
}

const IParam* IEditorDelegate::GetParam(int index) const {
  return index >= 0 && index < mParamCount ? &mParams[static_cast<std::size_t>(index)] : nullptr;
}

void IEditorDelegate::NotifyAllParams(ParamSource source) {
  for (int i = 0; i < mParamCount; ++i) {
    OnParamChange(i, source, -1);
    OnParamChangeEditor(i, source);
  }
  if (source == ParamSource::PresetRecall) OnParamsRecalled();
}

void IEditorDelegate::OnStateRestored() {
  for (int i = 0; i < mParamCount; ++i) SendParamToEditor(i, GetParam(i)->GetNormalizedValue(), true);
}

void IEditorDelegate::SendParamToEditor(int index, double value, bool isNormalized) {
  if (!GetParam(index)) return;
  UpdateEditorControls(index, value, isNormalized);
  OnParamChangeEditor(index, ParamSource::Delegate);
}

void IEditorDelegate::SetSizeConstraints(int widthA, int widthB, int heightA, int heightB) {
  mMinWidth = std::min(widthA, widthB);
  mMaxWidth = std::max(widthA, widthB);
  mMinHeight = std::min(heightA, heightB);
  mMaxHeight = std::max(heightA, heightB);
}

bool IEditorDelegate::ConstrainEditorSize(int& width, int& height) const {
  const int w = std::clamp(width, MinWidth(), std::max(MinWidth(), MaxWidth()));
  const int h = std::clamp(height, MinHeight(), std::max(MinHeight(), MaxHeight()));
  const bool within = w == width && h == height;
  width = w;
  height = h;
  return within;
}

}  // namespace iplug
