#include "IVParameterControlVt.h"

#include <algorithm>
#include <cmath>

#include "framework/igraphics/IGraphics.h"
#include "framework/iplug/IParam.h"

namespace kalvo5 {

namespace {

bool HasSteps(const iplug::IParam& p) {
  return p.IsStepped() && p.GetStep() > 0.0 && p.GetMax() > p.GetMin();
}

}  // namespace

IVParameterControlVt::IVParameterControlVt(const igraphics::Rect& bounds, int paramIdx,
                                           const igraphics::TextStyle& style, double gearing)
    : igraphics::IKnobControlBase(bounds, paramIdx, Direction::Vertical, gearing) {
  SetTextStyle(style);
  DisablePrompt(false);
  SetShowLabelInTextEntry(true);
}

std::string IVParameterControlVt::ValueText() const {
  const iplug::IParam* param = GetParam();
  if (!param) return {};
  std::string text = param->FormatDisplay(param->GetValue(), false, true).c_str();
  const std::string label = param->LabelForHost();
  if (!label.empty()) text += " " + label;
  return text;
}

void IVParameterControlVt::Draw(igraphics::IGraphics& g) {
  const std::string text = ValueText();
  if (text.empty()) return;
  igraphics::TextStyle style = GetTextStyle();
  if (IsDisabled()) style.color.A /= 2;
  g.DrawText(style, text, GetRect(), &GetBlend());
}

void IVParameterControlVt::OnMouseDown(float x, float y, const igraphics::MouseMods& mods) {
  mMods = mods;
  mMouseDown = true;
  mDragValue = GetValue();
  if (GetUI()) GetUI()->HideMouseCursor(true, true);
  if (mods.C) ResetValueToDefault(ValueSlotAt(x, y));
}

void IVParameterControlVt::OnMouseUp(float, float, const igraphics::MouseMods&) {
  mMods = {};
  mMouseDown = false;
  if (GetUI()) GetUI()->HideMouseCursor(false, true);
}

double IVParameterControlVt::SnapToStep(double v) const {
  const iplug::IParam* p = GetParam();
  if (!p || !HasSteps(*p)) return v;
  double real = p->GetMin() + v * (p->GetMax() - p->GetMin());
  real -= std::fmod(real, p->GetStep());
  return (real - p->GetMin()) / (p->GetMax() - p->GetMin());
}

void IVParameterControlVt::OnMouseDrag(float, float, float, float dy, const igraphics::MouseMods& mods) {
  if (mods.C) return;
  const double gearing = mods.S ? mGearing * 10.0 : mGearing;
  const igraphics::Rect r = KnobDragBounds();
  const double height = r.B - r.T;
  if (!(height > 0.0)) return;
  mDragValue = std::clamp(mDragValue - static_cast<double>(dy) / height / gearing, 0.0, 1.0);
  SetControlValue(SnapToStep(mDragValue), 0);
  MarkDirty(true);
}

void IVParameterControlVt::OnMouseWheel(float, float, const igraphics::MouseMods& mods, float delta) {
  mMods = mods;
  const double increment = mods.C ? 0.1 : mods.S ? 0.001 : 0.01;
  double v = GetValue() + static_cast<double>(delta) * increment;
  const iplug::IParam* p = GetParam();
  if (delta != 0.0f && p && HasSteps(*p)) {
    const double range = p->GetMax() - p->GetMin();
    double real = p->GetMin() + GetValue() * range + (delta > 0.0f ? p->GetStep() : -p->GetStep());
    real = std::round(std::clamp(real, p->GetMin(), p->GetMax()) * 1000.0) / 1000.0;
    v = (real - p->GetMin()) / range;
  }
  SetControlValue(v, 0);
  MarkDirty(true);
  mMods = {};
}

void IVParameterControlVt::OnMouseDoubleClick(float x, float y, const igraphics::MouseMods&) {
  if (GetPromptDisabled() || !GetUI()) return;
  GetUI()->AskUserForValue(this, GetRect(), ValueSlotAt(x, y));
}

}  // namespace kalvo5
