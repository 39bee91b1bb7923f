// The stored form of the RadialWaveFX kind: the damping arrives with version 2;
// its rings centre on the stored point whatever size the capture target has.

#include "effects/radial_wave_fx.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(RadialWaveFX, OlderVersionsReadTheirPrefix) {
  for (int32_t v = 1; v <= 2; ++v) {
    ZT_RadialWaveFX waves;
    ReadVersion<ZT_CentralBased>(waves, v, [&](ZT_IOF_W& w) {
      w.WriteUInt32(10);
      w.WriteUInt32(20);
      if (v >= 2) w.WriteUInt32(0);
    });
    EXPECT_FLOAT_EQ(waves.wavelength.Scaled(), 0.06f);
    EXPECT_FLOAT_EQ(waves.damping.Scaled(), v >= 2 ? 0.0f : 1.5f) << "version " << v;
    EXPECT_EQ(waves.inwards.Value(), 0);
  }
}

class RadialWaveScene : public EffectKindScene {};

// The centre is stored in slide pixels and the effect's W and H are the
// slide's: drawn into capture targets three times the screen's size, the
// rings keep to the stored point.
TEST_F(RadialWaveScene, RingsCentreOnTheStoredPointWhateverTheCaptureSize) {
  std::vector<std::pair<double, double>> centroids;
  for (const int scale : {1, 3}) {
    ZT_2D_Light::SetCaptureScaleLimit(scale);
    const auto frame = [&](uint32_t amplitude) {
      auto waves = std::make_shared<ZT_RadialWaveFX>();
      waves->techniqueMode.SetValue(1);
      waves->centre.StoreValue({22, 24, 0});
      waves->placed = true;
      waves->amplitude.SetValue(amplitude);
      waves->damping.SetValue(200);
      // A calm layer above that copies the scene too: the rings are drawn
      // into a capture target.
      auto above = std::make_shared<ZT_RadialWaveFX>();
      above->techniqueMode.SetValue(1);
      above->amplitude.SetValue(0);
      ShowDocument doc =
          Start(waves, [&](ShowDocument& d) { d.show->slides[0]->visualLayers.push_back(above); });
      return Frame(doc, 0.7f);
    };
    const Image with = frame(400), without = frame(0);
    double sx = 0, sy = 0, n = 0;
    for (uint32_t y = 0; y < 48; ++y) {
      for (uint32_t x = 0; x < 64; ++x) {
        const uint8_t *a = with.Pixel(x, y), *b = without.Pixel(x, y);
        int most = 0;
        for (int k = 0; k < 3; ++k) most = std::max(most, std::abs(int(a[k]) - int(b[k])));
        if (most <= 8) continue;
        sx += x;
        sy += y;
        ++n;
      }
    }
    ASSERT_GT(n, 20) << "capture scale " << scale << ": the rings show";
    centroids.emplace_back(sx / n, sy / n);
  }
  ZT_2D_Light::SetCaptureScaleLimit(3);
  EXPECT_NEAR(centroids[1].first, centroids[0].first, 2.5);
  EXPECT_NEAR(centroids[1].second, centroids[0].second, 2.5);
  EXPECT_NEAR(centroids[0].second, 24, 4) << "around the stored centre";
}

}  // namespace
}  // namespace glimmer::testing
