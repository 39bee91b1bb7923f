#pragma once
// Sound layers made outside a show: a resource manager holding a test's
// sound file, and the runtime object of a sound constructor made in its
// screen context (no device: sound layers draw nothing).

#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "params/time_lines.h"
#include "sound/sound_layer.h"

namespace glimmer::testing {

// Puts `bytes` under the link (u"bell.wav", 7) in the file blobs, or in the
// pictures' blobs.
inline ZT_FileLink3 HoldFile(ZT_DocResManager& resources, std::vector<uint8_t> bytes,
                             bool asPicture = false) {
  BlobEntry e;
  e.Key = {u"bell.wav", 7};
  ResourceBlob blob;
  blob.Data = std::move(bytes);
  e.Blobs.push_back(std::move(blob));
  (asPicture ? resources.PictureBlobs : resources.FileBlobs).push_back(std::move(e));
  return ZT_FileLink3(u"bell.wav", 7);
}

// The runtime object of `ctor`, opened for a screen that sounds or not.
inline std::shared_ptr<ZT_Sound> MakeSound(const ZT_Sound_Ctrl& ctor,
                                           QVX_DocResManager* resources = nullptr,
                                           bool playsSound = true) {
  ScreenScope scope({.resources = resources, .playsSound = playsSound});
  return std::dynamic_pointer_cast<ZT_Sound>(ctor.CreateRuntime());
}

// A random time line: hidden, fading in, shown and fading out for the given
// hundredths, installed as the layer's line.
inline std::shared_ptr<QVX_RandomTimeLine> UseRandomLine(QVX_SmartTiming& timing, uint32_t hidden,
                                                         uint32_t fade, uint32_t shown) {
  auto line = std::make_shared<QVX_RandomTimeLine>();
  line->HiddenRange.Min.SetValue(hidden);
  line->HiddenRange.Max.SetValue(hidden);
  line->VisibleRange.Min.SetValue(shown);
  line->VisibleRange.Max.SetValue(shown);
  line->FadeIn.SetValue(fade);
  line->FadeOut.SetValue(fade);
  line->Reset();
  timing.StoreValue(int32_t(TimingKind::Random));
  timing.SetCurrent(line);
  return line;
}

}  // namespace glimmer::testing
