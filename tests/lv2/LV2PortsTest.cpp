// What hosts read from the bundle is the plug-in itself: every port of every
// variant stands where the binding connects it, named, ranged and directed
// as the parameter it carries.
#include <gtest/gtest.h>

#include <string>

#include "LilvHost.h"
#include "framework/iplug/LV2Ports.h"
#include "module/lv2/Kalvo5LV2Variants.h"
#include "plugin/Kalvo5.h"
#include "plugin/Kalvo5TestSupport.h"

namespace kalvo5::lv2test {
namespace {

TEST(LV2Ports, EveryVariantDescribesEachParameterAtItsPortAsTheBindingConnectsIt) {
  test::UseTestDataHome();
  iplug::MainThreadScope scope;
  auto plugin = std::make_unique<Kalvo5>();
  const TestWorld world(KALVO5_LV2_PATH);
  LilvNode* output = lilv_new_uri(world.Get(), LILV_URI_OUTPUT_PORT);
  for (const iplug::LV2Variant& variant : kLV2Variants) {
    SCOPED_TRACE(variant.uri);
    const LilvPlugin* described = world.Plugin(variant.uri);
    ASSERT_NE(described, nullptr);
    const iplug::LV2PortLayout layout(variant.channels, plugin->NParams());
    ASSERT_EQ(lilv_plugin_get_num_ports(described), layout.Count());
    plugin->SetChannelLayout(variant.channels);
    for (int i = 0; i < plugin->NParams(); ++i) {
      const iplug::IParam& param = *plugin->GetParam(i);
      const LilvPort* port = lilv_plugin_get_port_by_index(described, layout.Param(i));
      EXPECT_EQ(lilv_node_as_string(lilv_port_get_symbol(described, port)),
                iplug::LV2Symbol(param.GetName()));
      LilvNode* name = lilv_port_get_name(described, port);
      EXPECT_STREQ(lilv_node_as_string(name), param.GetName());
      lilv_node_free(name);
      EXPECT_EQ(lilv_port_is_a(described, port, output), plugin->IsOutputParam(i)) << param.GetName();
      LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
      lilv_port_get_range(described, port, &def, &min, &max);
      const double expected = plugin->FollowsChannelLayout(i) ? param.GetValue() : param.GetDefault();
      EXPECT_EQ(lilv_node_as_float(def), static_cast<float>(expected)) << param.GetName();
      EXPECT_EQ(lilv_node_as_float(min), static_cast<float>(param.GetMin())) << param.GetName();
      EXPECT_EQ(lilv_node_as_float(max), static_cast<float>(param.GetMax())) << param.GetName();
      lilv_node_free(def);
      lilv_node_free(min);
      lilv_node_free(max);
      // A list's entries by name.
      LilvScalePoints* points = lilv_port_get_scale_points(described, port);
      if (param.Kind() == iplug::ParamKind::Enum && param.DisplayTextCount() > 2) {
        EXPECT_EQ(static_cast<int>(lilv_scale_points_size(points)), param.DisplayTextCount())
            << param.GetName();
      }
      lilv_scale_points_free(points);
    }
  }
  lilv_node_free(output);
}

}  // namespace
}  // namespace kalvo5::lv2test
