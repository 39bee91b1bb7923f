#include "host/screensaver.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <new>
#include <thread>

#include "common/error_codes.h"
#include "platform/gpu/gl_context.h"
#include "platform/image/drawing_gate.h"
#include "platform/image/image_codec.h"
#include "platform/ui/open_url.h"
#include "platform/window/window_events.h"
#include "scene/render_context.h"
#include "scene/slide.h"
#include "scene/slide_container.h"

namespace glimmer {

Screensaver::Screensaver(HostOptions options)
    : options_(std::move(options)),
      policy_(options_.command.mode, options_.command.windowId || options_.command.root) {}

Screensaver::~Screensaver() {
  // Voices and tracks go before the output, the output before the video.
  slots_.clear();
  music_.reset();
  AudioOutput::Close();
  StopVideo();
}

SaverSettings Screensaver::SoundSettings() const {
  SaverSettings s =
      options_.settingsPath ? SaverSettings::Read(*options_.settingsPath) : options_.settings;
  if (options_.volumeOverride) s.soundVolume = *options_.volumeOverride;
  if (options_.muteOverride) s.muteSound = true;
  return s;
}

void Screensaver::CreateMusicPlayer() {
  if (!AudioOutput::Open()) return;
  music_ = std::make_unique<MusicPlayer>([this] {
    const SaverSettings s = SoundSettings();
    return MusicVolume(s.soundVolume, s.muteSound);
  });
}

void Screensaver::OnMediaEvent(int eventCode) {
  if (music_) music_->PlayNextTrack(eventCode);
}

std::optional<std::filesystem::file_time_type> Screensaver::SettingsFileTime() const {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(*options_.settingsPath, ec);
  if (ec) return std::nullopt;
  return time;
}

void Screensaver::ApplySoundSettings() {
  if (options_.settingsPath) settingsTime_ = SettingsFileTime();
  const SaverSettings s = SoundSettings();
  AudioOutput::SetMasterVolume(SoundOutputVolume(s.soundVolume, s.muteSound));
  if (music_) music_->ApplyLevel();
}

void Screensaver::OnShowStarted(ScreenSlot& slot) {
  if (!slot.PlaysSound()) return;
  ApplySoundSettings();
  if (music_ && !music_->Started() && slot.Show()) music_->Start(slot.Show()->show->music);
}

void Screensaver::FollowSoundSettings(double now) {
  // The sound dialog and `glimmer config` write the file while the saver
  // runs: a look once a second picks their changes up.
  if (!options_.settingsPath || !AudioOutput::IsOpen() || now - settingsChecked_ < 1.0) return;
  settingsChecked_ = now;
  if (SettingsFileTime() != settingsTime_) ApplySoundSettings();
}

void Screensaver::SetError(uint32_t code, const std::string& detail) {
  if (hasError_) return;  // the first failure is the one shown
  hasError_ = true;
  errorCode_ = code;
  errorText_ = GetErrorText(code).text;
  std::cerr << "glimmer: " << errorText_ << " (0x" << std::hex << code << std::dec << ")";
  if (!detail.empty()) std::cerr << ": " << detail;
  std::cerr << "\n";
}

void Screensaver::CreateSlots() {
  const CommandLine& cmd = options_.command;
  const std::vector<DisplayInfo> displays = EnumerateDisplays();
  if (displays.empty()) throw GlimmerError(ErrorCode::NoCompatibleDevices, "no display found");
  const bool windowed = cmd.mode != RunMode::FullScreen || cmd.root || cmd.windowId;
  auto makeDevice = [&](SaverWindow& window, uint32_t w, uint32_t h) {
    auto device = GpuDevice::CreateForWindow(window.Handle(), {w, h, true});
    device->Context().SetSwapInterval(cmd.vsync ? 1 : 0);
    return device;
  };
  if (windowed) {
    std::unique_ptr<SaverWindow> window;
    if (cmd.root && !cmd.windowId) {
      window = SaverWindow::Root();
    } else if (cmd.windowId || cmd.mode == RunMode::Preview) {
      if (cmd.parentWindow == 0) throw GlimmerError(ErrorCode::NoPreview, "no window to draw into");
      window = SaverWindow::Foreign(cmd.parentWindow);
    } else {
      window =
          SaverWindow::Normal(50, 50, options_.windowWidth, options_.windowHeight, options_.title);
    }
    int w = 0, h = 0;
    window->Size(w, h);
    auto device = makeDevice(*window, uint32_t(std::max(w, 1)), uint32_t(std::max(h, 1)));
    slots_.push_back(std::make_unique<ScreenSlot>(std::move(window), std::move(device), true));
    return;
  }
  // Full screen: every display gets a window; those left black only clear it.
  std::vector<ScreenSettings> screens;
  for (const DisplayInfo& d : displays) screens.push_back(SettingsForDisplay(options_.settings, d));
  const std::vector<bool> draw = DisplaysThatDraw(screens, options_.oneScreenOnly);
  // Disabling hardware asks for the CPU renderer (before any context).
  for (size_t i = 0; i < displays.size(); ++i) {
    if (draw[i] && screens[i].disableHardware) RequestSoftwareRendering();
  }
  for (size_t i = 0; i < displays.size(); ++i) {
    auto window = SaverWindow::CoverDisplay(displays[i], options_.title);
    const std::vector<DisplayModeInfo> usable = UsableModes(displays[i].modes);
    DisplayModeInfo mode{uint32_t(displays[i].width), uint32_t(displays[i].height), 32};
    auto device = makeDevice(*window, mode.width, mode.height);
    if (draw[i]) {
      const bool software = IsSoftwareRenderer(device->Context().Renderer());
      mode = ChooseMode(screens[i], usable, displays[i].desktop, software);
      if (device->GetBackBufferDesc().Width != mode.width ||
          device->GetBackBufferDesc().Height != mode.height) {
        device->Reset({mode.width, mode.height, true});
      }
      // The chosen mode is remembered for this display.
      ScreenSettings& stored = options_.settings.screens[int(i) + 1];
      stored = screens[i];
      stored.width = mode.width;
      stored.height = mode.height;
      stored.format = 22;  // X8R8G8B8
    }
    slots_.push_back(std::make_unique<ScreenSlot>(std::move(window), std::move(device), draw[i]));
  }
  HideCursor();
}

void Screensaver::Create() {
  // A screensaver gives way to everything else on the machine.
  setpriority(PRIO_PROCESS, 0, 19);
  std::string error;
  if (!StartVideo(error)) throw GlimmerError(ErrorCode::InitFailed, "no display: " + error);
  CreateSlots();
  // Sound plays in full-screen and test modes, from the first screen that
  // draws; previews stay silent.
  const bool sounds =
      options_.command.mode == RunMode::FullScreen || options_.command.mode == RunMode::Test;
  bool given = false;
  for (auto& slot : slots_) {
    slot->SetPlaysSound(sounds && !given && slot->Draws());
    given = given || slot->PlaysSound();
  }
  if (sounds) CreateMusicPlayer();
  ZT_2D_Light::SetCaptureScaleLimit(3);
}

void Screensaver::WriteDiagnostics() {
  if (!options_.command.fps) return;
  for (auto& slot : slots_) {
    ScreenScope scope(slot->Screen());
    std::cerr << "glimmer: " << DeviceDescription(slot->Device().Context().Renderer()) << "\n";
  }
}

bool Screensaver::HandleEvent(const WindowEvent& e) {
  using Kind = WindowEvent::Kind;
  switch (e.kind) {
    case Kind::Quit:
      return !policy_.OnInput(HostInput::Quit);
    case Kind::Key:
      if (options_.playKeys) return HandlePlayKey(e);
      return !policy_.OnInput(HostInput::Key);
    case Kind::Button: {
      if (policy_.OnInput(HostInput::Button)) return false;
      // A play window: a click on a link opens it.
      ZT_ABObj_Constructor* link = options_.command.mode == RunMode::Test ? LinkAt(e) : nullptr;
      const std::string address = link ? link->LinkAddress() : std::string();
      std::string error;
      if (!address.empty() && !OpenInBrowser(address, &error))
        std::cerr << "glimmer: cannot open " << address << ": " << error << "\n";
      return true;
    }
    case Kind::Move:
      if (policy_.OnInput(HostInput::MouseMove, e.x, e.y)) return false;
      if (options_.command.mode == RunMode::Test) SetHandCursor(LinkAt(e, true) != nullptr);
      return true;
    case Kind::FocusLost:
      return !policy_.OnInput(HostInput::FocusLost);
    case Kind::Closed:
      return !policy_.OnInput(HostInput::WindowClosed);
    case Kind::Suspend:
      return !policy_.OnInput(HostInput::Suspend);
    case Kind::Other:
      return true;
  }
  return true;
}

bool Screensaver::HandlePlayKey(const WindowEvent& e) {
  if (e.key == 27 || e.key == 'q') return false;
  if (e.repeat) return true;
  if (e.key == ' ') {
    paused_ = !paused_;
  } else if (e.key == 'f' && !slots_.empty()) {
    slots_.front()->Window().ToggleFullScreen();
  }
  return true;
}

ZT_ABObj_Constructor* Screensaver::LinkAt(const WindowEvent& event, bool hover) {
  for (auto& slot : slots_) {
    if (slot->Window().Id() != event.window || !slot->Show()) continue;
    const ZT_SafePtr<ZT_SlideContainer>& slide = slot->Show()->show->Current();
    const RenderContext* context = slot->Screen().renderContext;
    if (!slide || !context) return nullptr;
    // Window pixels to the slide's target pixels.
    int w = 0, h = 0;
    slot->Window().Size(w, h);
    if (w <= 0 || h <= 0) return nullptr;
    const float x = float(event.localX) * float(context->TargetWidth) / float(w);
    const float y = float(event.localY) * float(context->TargetHeight) / float(h);
    const auto& layers = slide->visualObjects;
    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
      if (!*it) continue;
      ZT_ABObj_Constructor& layer = (*it)->Constructor();
      if (hover ? layer.PointerOver(x, y) : layer.PointerHit(x, y)) return &layer;
    }
    return nullptr;
  }
  return nullptr;
}

void Screensaver::RenderFrame(double appTime) {
  // Pictures decoding for later slides wait until every screen is presented.
  const FrameDrawing drawing;
  const int position =
      options_.picturePosition.value_or(static_cast<int>(options_.settings.picturePosition));
  for (auto& slot : slots_) {
    ScreenScope scope(slot->Screen());
    GpuDevice& d = slot->Device();
    // A window that changed size needs a new back buffer: the reset path.
    if (slot->Window().IsForeign() || options_.command.mode != RunMode::FullScreen) {
      int w = 0, h = 0;
      slot->Window().Size(w, h);
      const D3DSURFACE_DESC back = d.GetBackBufferDesc();
      if (w > 0 && h > 0 && (uint32_t(w) != back.Width || uint32_t(h) != back.Height))
        d.SimulateLoss();
    }
    if (d.TestCooperativeLevel() == DeviceState::Lost) return;  // nothing is presented this frame
    if (d.TestCooperativeLevel() == DeviceState::NotReset) {
      if (slot->restored) slot->ReleaseDeviceObjects();
      int w = 0, h = 0;
      slot->Window().Size(w, h);
      const bool full = options_.command.mode == RunMode::FullScreen && !slot->Window().IsForeign();
      const PresentParameters& p = d.GetPresentParameters();
      if (!d.Reset({full ? p.BackBufferWidth : uint32_t(std::max(w, 1)),
                    full ? p.BackBufferHeight : uint32_t(std::max(h, 1)), true})) {
        SetError(uint32_t(ErrorCode::ResetFailed), "");
        return;
      }
      slot->RestoreDeviceObjects();
    }
    // Frames go straight into the window unless they are read back after
    // Present (dumped frames); the device falls back to its back-buffer
    // texture by itself whenever a frame reads that texture.
    d.SetDrawDirect(!options_.dumpFrames.has_value());
    const bool started = slot->ShowStarted();
    slot->RenderFrame(float(appTime), options_.document.bytes, position);
    if (!started && slot->ShowStarted()) OnShowStarted(*slot);
  }
  for (auto& slot : slots_) {
    ScreenScope scope(slot->Screen());
    slot->Device().Present();
  }
}

void Screensaver::RenderErrors(float dt) {
  if (errorBoxes_.size() != slots_.size()) {
    errorBoxes_.assign(slots_.size(), {});
    for (size_t i = 0; i < slots_.size(); ++i) {
      ScreenScope scope(slots_[i]->Screen());
      if (slots_[i]->Device().TestCooperativeLevel() != DeviceState::Ok) continue;
      const D3DSURFACE_DESC back = slots_[i]->Device().GetBackBufferDesc();
      const bool fill = options_.command.mode == RunMode::Preview;
      errorBoxes_[i].Start(float(back.Width), float(back.Height), fill);
    }
  }
  for (size_t i = 0; i < slots_.size(); ++i) {
    ScreenScope scope(slots_[i]->Screen());
    GpuDevice& d = slots_[i]->Device();
    if (d.TestCooperativeLevel() != DeviceState::Ok) continue;
    d.SetDrawDirect(!options_.dumpFrames.has_value());
    errorBoxes_[i].Step(dt);
    errorBoxes_[i].Draw(d, errorText_);
    d.Present();
  }
}

void Screensaver::FrameLoop() {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  double last = 0, pausedFor = 0, pausedAt = 0;
  auto nextFrame = start;
  WriteDiagnostics();
  for (;;) {
    WindowEvent e;
    const bool wasPaused = paused_;
    while (events_.Poll(e)) {
      if (!HandleEvent(e)) return;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    // The show's clock stands still while paused.
    if (paused_ && !wasPaused) pausedAt = wall;
    if (!paused_ && wasPaused) pausedFor += wall - pausedAt;
    const double now = (paused_ ? pausedAt : wall) - pausedFor;
    if (AudioOutput::TakeMusicEnded()) OnMediaEvent(1);
    FollowSoundSettings(now);
    const double dt = now - last;
    last = now;
    if (hasError_) {
      RenderErrors(float(dt));
      if (!options_.command.vsync) PauseBriefly();
    } else {
      try {
        RenderFrame(now);
      } catch (const GlimmerError& ex) {
        SetError(ex.code(), ex.detail());
      } catch (const std::bad_alloc& ex) {
        SetError(uint32_t(ErrorCode::OutOfMemory), ex.what());
      } catch (const std::exception& ex) {
        // Not a failure of the show's media: an unexpected one, said as such.
        SetError(uint32_t(ErrorCode::Unspecified), ex.what());
      }
      if (!slots_.empty()) {
        const D3DSURFACE_DESC back = slots_.front()->Device().GetBackBufferDesc();
        if (stats_.Frame(now, back.Width, back.Height) && options_.command.fps) {
          std::cerr << "glimmer: " << stats_.Text() << "\n";
        }
      }
    }
    if (options_.dumpFrames && !slots_.empty()) {
      ScreenScope scope(slots_.front()->Screen());
      char name[32];
      std::snprintf(name, sizeof name, "frame_%05d.png", frames_);
      WritePng((*options_.dumpFrames / name).string(), slots_.front()->Device().ReadFrame());
    }
    ++frames_;
    if (options_.maxFrames > 0 && frames_ >= options_.maxFrames) return;
    // A paused show is drawn ten times a second (for a window that is
    // uncovered or resized); a limit sleeps away the rest of each frame.
    const int limit = paused_ ? 10 : options_.fpsLimit;
    if (limit > 0) {
      nextFrame = std::max(nextFrame + std::chrono::microseconds(1'000'000 / limit),
                           Clock::now() - std::chrono::milliseconds(100));
      std::this_thread::sleep_until(nextFrame);
    }
  }
}

int Screensaver::Run() {
  try {
    Create();
  } catch (const GlimmerError& e) {
    SetError(e.code(), e.detail());
    ShowErrorMessage(options_.title, errorText_);
    return 1;
  }
  if (!options_.documentError.empty())
    SetError(uint32_t(ErrorCode::MediaNotFound), options_.documentError);
  if (options_.command.mode == RunMode::FullScreen && !options_.command.root &&
      !options_.command.windowId && options_.settingsPath) {
    std::string error;
    if (!options_.settings.Write(*options_.settingsPath, &error)) {
      std::cerr << "glimmer: the display choices were not saved: " << error << "\n";
    }
  }
  if (options_.dumpFrames) std::filesystem::create_directories(*options_.dumpFrames);
  FrameLoop();
  const bool failed = hasError_;
  slots_.clear();
  music_.reset();
  return failed ? 1 : 0;
}

}  // namespace glimmer
