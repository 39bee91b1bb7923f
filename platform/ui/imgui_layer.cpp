#include "platform/ui/imgui_layer.h"

#include <SDL2/SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <epoxy/gl.h>
#include <fontconfig/fontconfig.h>
#include <imgui.h>
#include <imgui_freetype.h>

#include <algorithm>
#include <string>

#include "common/error_codes.h"
#include "platform/gpu/gl_context.h"
#include "platform/library_output.h"

namespace glimmer {
namespace {

constexpr unsigned kFrameMilliseconds = 16;

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// The file of the installed font fontconfig matches to `pattern` (such as
// "DejaVu Sans"); empty when there is none.
std::string FindFontFile(const char* pattern) {
  std::string path;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return path;
  if (FcPattern* want = FcNameParse(reinterpret_cast<const FcChar8*>(pattern))) {
    FcConfigSubstitute(config, want, FcMatchPattern);
    FcDefaultSubstitute(want);
    FcResult result = FcResultNoMatch;
    if (FcPattern* found = FcFontMatch(config, want, &result)) {
      FcChar8* file = nullptr;
      if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file)
        path = reinterpret_cast<const char*>(file);
      FcPatternDestroy(found);
    }
    FcPatternDestroy(want);
  }
  FcConfigDestroy(config);
  return path;
}

// The dialogs' text: DejaVu Sans (or what fontconfig offers in its place)
// rasterised by FreeType at 15 pixels on a 96 dpi display, scaled for the
// display's density; ImGui's built-in bitmap font when no font file loads.
void LoadDialogFont(SDL_Window* window) {
  ImGuiIO& io = ImGui::GetIO();
  float dpi = 96.0f;
  const int display = SDL_GetWindowDisplayIndex(window);
  if (display >= 0 && SDL_GetDisplayDPI(display, &dpi, nullptr, nullptr) != 0) dpi = 96.0f;
  const float scale = std::clamp(dpi / 96.0f, 1.0f, 3.0f);
  const std::string file = FindFontFile("DejaVu Sans:style=Book");
  if (!file.empty()) {
    io.Fonts->FontBuilderIO = ImGuiFreeType::GetBuilderForFreeType();
    io.Fonts->FontBuilderFlags = ImGuiFreeTypeBuilderFlags_LightHinting;
    if (io.Fonts->AddFontFromFileTTF(file.c_str(), 15.0f * scale)) {
      ImGui::GetStyle().ScaleAllSizes(scale);
      return;
    }
  }
  io.Fonts->AddFontDefault();
}

}  // namespace

std::unique_ptr<UiWindow> UiWindow::Open(const std::string& title, int width, int height,
                                         std::string* error) {
  std::unique_ptr<UiWindow> ui(new UiWindow);
  bool started = false;
  {
    QuietLibraryOutput quiet;
    started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  }
  if (!started) {
    SetError(error, std::string("no display: ") + SDL_GetError());
    return nullptr;
  }
  ui->videoStarted_ = true;

  // The attributes choose the window's visual, so they are set before it exists.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  ui->window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                 width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!ui->window_) {
    SetError(error, std::string("cannot open a window: ") + SDL_GetError());
    return nullptr;
  }
  try {
    ui->gl_ = CreateWindowContext(ui->window_);
  } catch (const GlimmerError& e) {
    SetError(error, e.detail());
    return nullptr;
  }
  ui->gl_->MakeCurrent();
  ui->gl_->SetSwapInterval(1);

  IMGUI_CHECKVERSION();
  ui->imgui_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(ui->imgui_);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // no imgui.ini in the working folder
  io.LogFilename = nullptr;
  io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
  ImGui::StyleColorsLight();
  ImGui::GetStyle().FrameBorderSize = 1.0f;
  LoadDialogFont(ui->window_);

  SDL_Window* window = ui->window_;
  void* context = SDL_GL_GetCurrentContext();
  ui->sdlBackend_ = ImGui_ImplSDL2_InitForOpenGL(window, context);
  ui->glBackend_ = ui->sdlBackend_ && ImGui_ImplOpenGL3_Init("#version 330 core");
  if (!ui->glBackend_) {
    SetError(error, "the user interface cannot start on this OpenGL context");
    return nullptr;
  }
  ui->lastFrameTicks_ = SDL_GetTicks();
  return ui;
}

UiWindow::~UiWindow() {
  if (imgui_) {
    ImGui::SetCurrentContext(imgui_);
    if (gl_) gl_->MakeCurrent();
    if (glBackend_) ImGui_ImplOpenGL3_Shutdown();
    if (sdlBackend_) ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(imgui_);
  }
  gl_.reset();
  if (window_) SDL_DestroyWindow(window_);
  if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void UiWindow::Frame(const std::function<void()>& draw) {
  ImGui::SetCurrentContext(imgui_);
  gl_->MakeCurrent();

  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    ImGui_ImplSDL2_ProcessEvent(&event);
    if (event.type == SDL_QUIT) closeRequested_ = true;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE &&
        event.window.windowID == SDL_GetWindowID(window_)) {
      closeRequested_ = true;
    }
  }

  ImGui_ImplOpenGL3_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGui::NewFrame();
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(viewport->WorkPos);
  ImGui::SetNextWindowSize(viewport->WorkSize);
  constexpr ImGuiWindowFlags kPanel = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                      ImGuiWindowFlags_NoSavedSettings |
                                      ImGuiWindowFlags_NoBringToFrontOnFocus;
  if (ImGui::Begin("##panel", nullptr, kPanel)) draw();
  ImGui::End();
  ImGui::Render();

  int width = 0, height = 0;
  gl_->DrawableSize(width, height);
  glViewport(0, 0, width, height);
  const ImVec4 background = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
  glClearColor(background.x, background.y, background.z, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
  gl_->SwapBuffers();

  // Without a display that paces swaps (Xvfb, swap interval refused) the
  // loop would spin; keep it near 60 frames a second.
  const unsigned now = SDL_GetTicks();
  if (now - lastFrameTicks_ < kFrameMilliseconds)
    SDL_Delay(kFrameMilliseconds - (now - lastFrameTicks_));
  lastFrameTicks_ = SDL_GetTicks();
}

void UiWindow::Run(const std::function<bool()>& draw) {
  bool keepGoing = true;
  while (keepGoing && !closeRequested_) {
    Frame([&] { keepGoing = draw(); });
  }
}

}  // namespace glimmer
