#include "scene/slide_container.h"

#include "document/archive.h"
#include "document/class_registry.h"
#include "params/param_serialization.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideContainerRegistry, ZT_SlideContainer)

namespace {

void SerializeLayers(Archive& ar, std::string_view name, std::vector<ZT_SafePtr<ZT_ABObj_Constructor>>& layers) {
  SerializeList(ar, name, layers, kMinHeaderBytes,
                [&](ZT_SafePtr<ZT_ABObj_Constructor>& layer) { SerializeObject(ar, "", GeneralRegistry(), layer); });
}

// A stored whole number of seconds as the float time.
void SerializeSeconds(Archive& ar, std::string_view name, MediaParamT<float>& param) {
  uint32_t seconds = 0;
  ar.UInt32(name, seconds);
  param.SetValue(static_cast<float>(seconds));
}

}  // namespace

void ZT_SlideContainer::Serialize(Archive& ar, int32_t version) {
  if (version >= 5) {
    SerializeParam(ar, "stay", stay);
    SerializeParam(ar, "fadeIn", fadeIn);
    SerializeParam(ar, "fadeOut", fadeOut);
    SerializeParam(ar, "duration", duration);
  } else {
    SerializeSeconds(ar, "fadeIn", fadeIn);
    SerializeSeconds(ar, "fadeOut", fadeOut);
    SerializeSeconds(ar, "duration", duration);
  }
  SerializeParam(ar, "reserved", reserved);
  SerializeParam(ar, "name", name);
  uint32_t layerTime = 1000;
  if (version >= 3 && version <= 5) {
    ar.UInt32("layerTime", layerTime);
    if (version == 3) layerTime *= 100;
  }
  if (!ar.IsReading() && !slide) slide = std::make_shared<ZT_2D_Light>();
  SerializeObject(ar, "slide", SlideRegistry(), slide);
  SerializeLayers(ar, "visualLayers", visualLayers);
  if (ar.IsReading() && version < 6) {
    for (auto& layer : visualLayers) {
      if (QVX_Timing* line = layer->timing.Line()) line->SetDuration(layerTime);
    }
  }
  if (version > 1) SerializeLayers(ar, "soundLayers", soundLayers);
}

}  // namespace glimmer
