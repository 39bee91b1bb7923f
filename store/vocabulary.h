#pragma once
// The vocabulary of stored classes: every name each registry will hold once
// every kind is built, with its current stored version. A registered class
// takes its version from here (GLIMMER_STORED_CLASS without a version), so
// each version is stated once; `glimmer classes` lists what is not built yet.

#include <cstdint>
#include <span>
#include <string_view>

namespace glimmer {

struct KnownName {
  std::u16string_view name;
  int32_t version;
};

// The names each registry holds once every kind is built, with their current
// stored versions.
inline constexpr KnownName kGeneralNames[] = {
    {u"QVX_2DTex", 1},
    {u"QVX_3DTex", 1},
    {u"QVX_BrownAnimation", 1},
    {u"QVX_BurstPtclSys", 4},
    {u"QVX_FieldPtclSys", 1},
    {u"QVX_Firefly", 2},
    {u"QVX_FontainPtclSys", 2},
    {u"QVX_GrovingLine", 2},
    {u"QVX_ParticlePath", 1},
    {u"QVX_ParticleTrace", 1},
    {u"QVX_PSTree_Root", 2},
    {u"QVX_PtclSysPreset", 3},
    {u"QVX_ShootingLine", 2},
    {u"QVX_SigleObjectPath", 1},
    {u"QVX_SlidingLine", 1},
    {u"QVX_SplashPtclSys", 2},
    {u"QVX_SprayPtclSys", 2},
    {u"QVX_StaticObject", 1},
    {u"QVX_Tears", 1},
    {u"QVX_ThroughSpaceCtrl", 3},
    {u"QVX_VortexPtclSys", 1},
    {u"QVX_WavingLine", 1},
    {u"ZT_3D_in_2D_array_Constructor", 1},
    {u"ZT_AnimatedFont", 1},
    {u"ZT_Aurora", 1},
    {u"ZT_BackgroundCopy", 1},
    {u"ZT_BendFX", 2},
    {u"ZT_BirdConstructor", 1},
    {u"ZT_Bling", 2},
    {u"ZT_BokehLights", 1},
    {u"ZT_BrownAnimation", 2},
    {u"ZT_ButterflyConstructor", 2},
    {u"ZT_ClockConstructor", 1},
    {u"ZT_CloudFX", 1},
    {u"ZT_CustomAirBrush", 1},
    {u"ZT_DayToNight", 1},
    {u"ZT_DischargeConstructor", 1},
    {u"ZT_DischargeFXConstructor", 1},
    {u"ZT_ExpandFX", 2},
    {u"ZT_ExplosionConstructor", 3},
    {u"ZT_FallingStars", 1},
    {u"ZT_FireFX", 3},
    {u"ZT_FireworkSimple", 1},
    {u"ZT_FishConstructor", 1},
    {u"ZT_FlowConstructor", 4},
    {u"ZT_FlowerConstructor", 1},
    {u"ZT_FogConstructor", 1},
    {u"ZT_GhostConstructor", 2},
    {u"ZT_GodRayConstructor", 1},
    {u"ZT_GrassConstructor", 1},
    {u"ZT_HeatDistortion", 1},
    {u"ZT_LightBeams", 1},
    {u"ZT_LightFX", 1},
    {u"ZT_LightFX_II", 2},
    {u"ZT_LightingConstructor", 2},
    {u"ZT_LightningGN", 2},
    {u"ZT_MoveFX", 3},
    {u"ZT_MP3_Constructor", 1},
    {u"ZT_PathAnimtion", 2},
    {u"ZT_PatternBrush", 1},
    {u"ZT_PatternBrushC", 1},
    {u"ZT_PerspectiveFX", 3},
    {u"ZT_Plant", 1},
    {u"ZT_PtclFire", 1},
    {u"ZT_PtclFireStream", 1},
    {u"ZT_PtclFog", 1},
    {u"ZT_PtclSmoke", 1},
    {u"ZT_PtclSmoke2", 1},
    {u"ZT_PtclSmoke3", 1},
    {u"ZT_RadialRays", 1},
    {u"ZT_RadialWaveFX", 3},
    {u"ZT_RainConstructor", 1},
    {u"ZT_RainOnGlass", 1},
    {u"ZT_RayOfLight", 1},
    {u"ZT_OmbrelLinear", 1},
    {u"ZT_OmbrelRadial", 2},
    {u"ZT_OmbrelVortical", 1},
    {u"ZT_RotationFX", 1},
    {u"ZT_ScrollingTex", 1},
    {u"ZT_ScrollingTextConstructor", 2},
    {u"ZT_Shimmer", 1},
    {u"ZT_Smoke", 1},
    {u"ZT_SparkleConstructor", 1},
    {u"ZT_StaticAnimation", 1},
    {u"ZT_StaticText", 1},
    {u"ZT_StaticTextConstructor", 3},
    {u"ZT_StatObjConstructor", 2},
    {u"ZT_StreamPtclSys", 1},
    {u"ZT_StretchFX", 1},
    {u"ZT_TextLink", 1},
    {u"ZT_TextLinkConstructor", 1},
    {u"ZT_TwinklingStars", 1},
    {u"ZT_WaterfallFX", 1},
    {u"ZT_WaterFX", 1},
    {u"ZT_WaterJet", 0},
    {u"ZT_WAV_Constructor", 1},
    {u"ZT_WavesFX", 1},
};

inline constexpr KnownName kItemNames[] = {
    {u"QVX_PartyBalloon", 1},      {u"QVX_PSGeomEmit_Line", 2},  {u"QVX_PSGeomEmit_Path", 1},
    {u"QVX_PSGeomEmit_Point", 1},  {u"QVX_PSGeomEmit_Rect", 1},  {u"QVX_PSGeomEmit_Sector", 1},
    {u"QVX_PSGeomEmit_Stream", 1}, {u"QVX_PSGeometry_Point", 1}, {u"QVX_PSGeometry_Swarm", 1},
    {u"QVX_PSGeometry_Trace", 1},  {u"QVX_PSTree_Leaf", 1},      {u"QVX_PSTree_Stem", 1},
    {u"QVX_PSTree_Trace", 1},
};

inline constexpr KnownName kSlideNames[] = {
    {u"ZT_2D_Light", 3},        {u"ZT_FlameLight", 2},  {u"ZT_GlassBallLight", 2},
    {u"ZT_MatrixCodeLight", 2}, {u"FakeUndervater", 2}, {u"FakeLake2D", 2},
    {u"ZT_WaterRingLight", 2},
};

inline constexpr KnownName kSlideContainerNames[] = {
    {u"ZT_SlideContainer", 6},
};

inline constexpr KnownName kTimingNames[] = {
    {u"QVX_ContinuesTimeLine", 1},
    {u"QVX_RandomTimeLine", 1},
    {u"QVX_ManualTimeLine", 1},
    {u"QVX_DependedTimeLine", 2},
};

// The current version of `name` in any registry's vocabulary; -1 when the
// vocabulary has no such name.
constexpr int32_t VocabularyVersion(std::u16string_view name) {
  for (std::span<const KnownName> names :
       {std::span<const KnownName>(kGeneralNames), std::span<const KnownName>(kItemNames),
        std::span<const KnownName>(kSlideNames), std::span<const KnownName>(kSlideContainerNames),
        std::span<const KnownName>(kTimingNames)}) {
    for (const KnownName& known : names) {
      if (known.name == name) return known.version;
    }
  }
  return -1;
}

}  // namespace glimmer
