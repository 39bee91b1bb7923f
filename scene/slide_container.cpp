#include "scene/slide_container.h"

#include "params/param_serialization.h"
#include "platform/gpu/gpu_device.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideContainerRegistry, ZT_SlideContainer)

namespace {

void SerializeLayers(Archive& ar, std::string_view name,
                     std::vector<ZT_SafePtr<ZT_ABObj_Constructor>>& layers) {
  Field(ar, name, layers, kMinHeaderBytes,
        [&](ZT_SafePtr<ZT_ABObj_Constructor>& layer) { Field(ar, "", layer, GeneralRegistry()); });
}

// A stored whole number of seconds as the float time.
void SerializeSeconds(Archive& ar, std::string_view name, MediaParamT<float>& param) {
  uint32_t seconds = 0;
  Field(ar, name, seconds);
  param.SetValue(static_cast<float>(seconds));
}

}  // namespace

void ZT_SlideContainer::Serialize(Archive& ar, int32_t version) {
  if (version >= 5) {
    Field(ar, "stay", stay);
    Field(ar, "fadeIn", fadeIn);
    Field(ar, "fadeOut", fadeOut);
    Field(ar, "duration", duration);
  } else {
    SerializeSeconds(ar, "fadeIn", fadeIn);
    SerializeSeconds(ar, "fadeOut", fadeOut);
    SerializeSeconds(ar, "duration", duration);
  }
  Field(ar, "reserved", reserved);
  Field(ar, "name", name);
  uint32_t layerTime = 1000;
  if (version >= 3 && version <= 5) {
    Field(ar, "layerTime", layerTime);
    if (version == 3) layerTime *= 100;
  }
  if (!ar.IsReading() && !slide) slide = std::make_shared<ZT_2D_Light>();
  Field(ar, "slide", slide, SlideRegistry());
  SerializeLayers(ar, "visualLayers", visualLayers);
  if (ar.IsReading() && version < 6) {
    for (auto& layer : visualLayers) {
      if (QVX_Timing* line = layer->timing.Line()) line->SetDuration(layerTime);
    }
  }
  if (version > 1) SerializeLayers(ar, "soundLayers", soundLayers);
}

void ZT_SlideContainer::Instantiate() {
  if (!slide) slide = std::make_shared<ZT_2D_Light>();
  // The picture itself is made when the slide is first shown.
  slide->SetScreenQuad({0, 0, 1, 1});
  for (const auto& layer : visualLayers) visualObjects.push_back(layer->CreateRuntime());
  for (const auto& object : visualObjects) {
    if (QVX_Timing* line = object->GetTiming().Line()) line->Resolve(CurrentLiveObjects());
  }
  for (const auto& layer : soundLayers) soundObjects.push_back(layer->CreateRuntime());
  visualLayers.clear();
  soundLayers.clear();
}

void ZT_SlideContainer::RestartLayers() {
  for (const auto& object : visualObjects) object->Restart();
  slide->RestoreDeviceObjects();
}

void ZT_SlideContainer::SetSoundsActive(bool active) {
  for (const auto& object : soundObjects) object->SetActive(active);
}

void ZT_SlideContainer::AdvanceSlide(float u) {
  slide->AdvanceCamera(u);
  for (const auto& object : visualObjects) object->Tick(u);
  for (const auto& object : soundObjects) object->Tick(u);
}

void ZT_SlideContainer::RenderSlide(int pass) {
  int copies = 0;
  for (auto it = visualObjects.rbegin(); it != visualObjects.rend(); ++it)
    copies += (*it)->SceneCopyCount();
  if (slide->NeedsCapture()) ++copies;
  if (copies > 0) {
    if (GpuDevice* d = CurrentDevice()) d->Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
    slide->BeginCapture();
  }
  slide->DrawPicture(pass);
  slide->RenderLayers(visualObjects, copies);
  slide->EndFrame(pass);
}

void ZT_SlideContainer::SetPicturePosition(int mode) {
  slide->SetPicturePosition(mode);
}

void ZT_SlideContainer::ReleaseDeviceObjects() {
  slide->ReleaseDeviceObjects();
}

}  // namespace glimmer
