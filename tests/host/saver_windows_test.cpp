// The saver's modes on a real X display (Xvfb with Mesa's software
// renderer): the program runs as a child process, input comes from xdotool,
// and frames are read back from --dump-frames.

#include <gtest/gtest.h>

// Xlib defines macros (None, Bool) that GoogleTest's own names would meet.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/image/image_codec.h"

extern char** environ;

namespace glimmer {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class Child {
 public:
  explicit Child(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    std::vector<std::string> argv = {GLIMMER_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> a;
    for (auto& s : argv) a.push_back(s.data());
    a.push_back(nullptr);
    std::vector<std::string> envStrings(env);
    for (char** e = environ; *e; ++e) envStrings.push_back(*e);
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    // The child ends with the test, however the test ends (a crash or an
    // exit() skips this object's destructor).
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);
      execve(GLIMMER_BINARY, a.data(), envp.data());
      _exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool Started() const { return pid_ > 0; }
  // True when the child has ended within `limit`; its exit code in `code`.
  bool WaitExit(std::chrono::milliseconds limit, int& code) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
      }
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }
  bool Running() {
    int code = 0;
    return !WaitExit(0ms, code);
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

Window FindByName(Display* d, Window w, const std::string& name) {
  char* title = nullptr;
  if (XFetchName(d, w, &title) && title) {
    const bool match = name == title;
    XFree(title);
    if (match) return w;
  }
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &n)) {
    for (unsigned i = 0; i < n && !found; ++i) found = FindByName(d, children[i], name);
    if (children) XFree(children);
  }
  return found;
}

class SaverWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (run the tests under xvfb-run)";
    display_ = XOpenDisplay(nullptr);
    if (!display_) GTEST_SKIP() << "cannot open the X display " << std::getenv("DISPLAY");
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0)
      GTEST_SKIP() << "xdotool is not installed";
    dir_ = fs::temp_directory_path() / ("glimmer_windows_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Full-screen runs remember their display mode in the settings file:
    // every saver started here keeps its settings in the test's folder, never
    // in the user's own.
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfigHome_ = old;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    configHomeSet_ = true;
    // Windows may go while the tree is walked: their errors are no failure
    // (Xlib's own handler would end the test process).
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Xdo("mousemove 3 3");
  }
  void TearDown() override {
    if (display_) XCloseDisplay(display_);
    if (configHomeSet_ && oldConfigHome_) setenv("XDG_CONFIG_HOME", oldConfigHome_->c_str(), 1);
    if (configHomeSet_ && !oldConfigHome_) unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(dir_);
  }
  static void Xdo(const std::string& args) {
    ASSERT_EQ(std::system(("xdotool " + args + " > /dev/null 2>&1").c_str()), 0) << args;
    std::this_thread::sleep_for(120ms);
  }
  // Waits for the saver's window and lets it draw a few frames.
  Window WaitForWindow(Child& child, const std::string& name = "Glimmerframe") {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end && child.Running()) {
      if (Window w = FindByName(display_, DefaultRootWindow(display_), name)) {
        std::this_thread::sleep_for(1500ms);
        return w;
      }
      std::this_thread::sleep_for(100ms);
    }
    return 0;
  }
  void Close(Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, w, False, NoEventMask, &e);
    XFlush(display_);
  }
  static Image Frame(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    return DecodeImage(bytes).value_or(Image{});
  }
  // The share of pixels in the rectangle that are not near black.
  static double Lit(const Image& img, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1) {
    size_t lit = 0, all = 0;
    for (uint32_t y = y0; y < y1; ++y) {
      for (uint32_t x = x0; x < x1; ++x, ++all) {
        const uint8_t* p = img.Pixel(x, y);
        lit += p[0] + p[1] + p[2] > 60;
      }
    }
    return all ? double(lit) / double(all) : 0;
  }
  Display* display_ = nullptr;
  fs::path dir_;
  std::optional<std::string> oldConfigHome_;
  bool configHomeSet_ = false;
};

TEST_F(SaverWindows, FullScreenEndsOnAKeyAClickOrTheSixthMove) {
  for (const std::string& input :
       {std::string("key a"), std::string("click 1"), std::string("moves")}) {
    SCOPED_TRACE(input);
    Child saver({"/s"});
    ASSERT_TRUE(saver.Started());
    ASSERT_NE(WaitForWindow(saver), 0u) << "no full-screen window";
    int code = -1;
    if (input == "moves") {
      for (int i = 1; i <= 5; ++i)
        Xdo("mousemove " + std::to_string(40 * i) + " " + std::to_string(30 * i));
      Xdo("mousemove 200 150");  // the same position again: not counted
      EXPECT_FALSE(saver.WaitExit(700ms, code)) << "five moves are tolerated";
      Xdo("mousemove 260 170");
    } else {
      Xdo(input);
    }
    ASSERT_TRUE(saver.WaitExit(10s, code)) << "still running after " << input;
    EXPECT_EQ(code, 0);
  }
}

TEST_F(SaverWindows, TestModeIgnoresInputAndEndsWhenClosed) {
  Child saver({"/t"});
  ASSERT_TRUE(saver.Started());
  const Window w = WaitForWindow(saver);
  ASSERT_NE(w, 0u);
  Xdo("mousemove 100 100");
  Xdo("key a");
  Xdo("click 1");
  for (int i = 0; i < 8; ++i) Xdo("mousemove " + std::to_string(100 + 10 * i) + " 120");
  int code = -1;
  EXPECT_FALSE(saver.WaitExit(700ms, code)) << "input does not end test mode";
  Close(w);
  ASSERT_TRUE(saver.WaitExit(10s, code)) << "closing the window ends it";
  EXPECT_EQ(code, 0);
}

TEST_F(SaverWindows, PlayWindowKeysPauseAndQuitAndTheFrameRateIsLimited) {
  const fs::path out = dir_ / "play";
  fs::create_directories(out);
  Child player({"play", "--mute", "--fps-limit", "15", "--dump-frames", out.string()});
  ASSERT_TRUE(player.Started());
  ASSERT_NE(WaitForWindow(player), 0u);
  Xdo("mousemove 200 200");  // keys go to the window under the pointer
  const auto count = [&] {
    return size_t(std::distance(fs::directory_iterator(out), fs::directory_iterator()));
  };
  const auto before = std::chrono::steady_clock::now();
  const size_t first = count();
  std::this_thread::sleep_for(2s);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
  EXPECT_LE(double(count() - first), 15 * seconds + 3) << "at most 15 frames a second";
  Xdo("key space");
  std::this_thread::sleep_for(600ms);
  const size_t paused = count();
  std::this_thread::sleep_for(600ms);
  ASSERT_GT(count(), paused + 1) << "a paused show is still drawn";
  char a[32], b[32];
  std::snprintf(a, sizeof a, "frame_%05zu.png", paused);
  std::snprintf(b, sizeof b, "frame_%05zu.png", count() - 2);
  const Image x = Frame(out / a), y = Frame(out / b);
  ASSERT_FALSE(x.empty());
  EXPECT_EQ(x.rgba, y.rgba) << "the show stands still while paused";
  int code = -1;
  EXPECT_FALSE(player.WaitExit(300ms, code)) << "space does not end play";
  Xdo("key q");
  ASSERT_TRUE(player.WaitExit(10s, code)) << "Q quits";
  EXPECT_EQ(code, 0);
}

TEST_F(SaverWindows, PreviewDrawsTheLoadingPictureThenTheShowIntoAGivenWindow) {
  const Window parent =
      XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 150, 0, 0, 0);
  XMapWindow(display_, parent);
  XSync(display_, False);
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%lx", parent);
  const std::vector<std::vector<std::string>> forms = {
      {"/p", std::to_string(parent)}, {"-window-id", hex}, {"-root"}};
  for (size_t f = 0; f < forms.size(); ++f) {
    std::vector<std::string> args = forms[f];
    const fs::path out = dir_ / std::to_string(f);
    // The loading picture stays until the first slide's picture is decoded:
    // frames enough for that on a loaded machine.
    args.insert(args.end(), {"--max-frames", "30", "--dump-frames", out.string()});
    // -root draws into the daemon's window when it names one.
    Child saver(args, f == 2 ? std::vector<std::string>{"XSCREENSAVER_WINDOW=" + std::string(hex)}
                             : std::vector<std::string>{});
    ASSERT_TRUE(saver.Started());
    int code = -1;
    ASSERT_TRUE(saver.WaitExit(60s, code)) << args[0];
    ASSERT_EQ(code, 0) << args[0];
    const Image loading = Frame(out / "frame_00000.png");
    ASSERT_EQ(loading.width, 200u) << args[0] << ": the window's own size";
    ASSERT_EQ(loading.height, 150u);
    EXPECT_LT(Lit(loading, 0, 0, 200, 150), 0.2) << "the loading picture: white words on black";
    EXPECT_GT(Lit(loading, 50, 25, 150, 125), 0.01) << "with its words in the middle";
    EXPECT_EQ(Lit(loading, 0, 0, 30, 150), 0.0) << "and black at the sides";
    const Image slide = Frame(out / "frame_00029.png");
    EXPECT_GT(Lit(slide, 0, 0, 30, 150), 0.5) << args[0] << ": the first slide fills the window";
  }
  XDestroyWindow(display_, parent);
}

TEST_F(SaverWindows, AShowThatCannotLoadEndsWithItsMessage) {
  const fs::path bad = dir_ / "broken.dds";
  std::ofstream(bad) << "not a show at all";
  const fs::path err = dir_ / "stderr.txt";
  const std::string cmd =
      std::string(GLIMMER_BINARY) + " " + bad.string() + " /t --max-frames 4 2> " + err.string();
  EXPECT_NE(std::system(cmd.c_str()), 0);
  std::ifstream in(err);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("Could not load required media."), std::string::npos) << text;
}

// The largest sample magnitude in the second after the first sound of a raw
// stereo 16-bit file SDL's "disk" audio driver wrote; -1 when it holds none.
int PeakOfFirstSecond(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  size_t start = 0;
  while (start < s.size() && s[start] == 0) ++start;
  if (s.empty()) return -1;
  if (start == s.size()) return 0;
  if (s.size() - start < 2 * 44100) return -1;
  int peak = 0;
  for (size_t i = start; i < start + 2 * 44100; ++i) peak = std::max(peak, std::abs(int(s[i])));
  return peak;
}

TEST_F(SaverWindows, TheShowsMusicIsHeardAtTheUsersVolumeAndPreviewsAreSilent) {
  const Window parent =
      XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 150, 0, 0, 0);
  XMapWindow(display_, parent);
  XSync(display_, False);
  const std::vector<std::vector<std::string>> runs = {{"/t", "--volume", "100"},
                                                      {"/t", "--volume", "50"},
                                                      {"/t", "--mute"},
                                                      {"/p", std::to_string(parent)}};
  std::vector<int> peaks;
  for (size_t r = 0; r < runs.size(); ++r) {
    std::vector<std::string> args = runs[r];
    args.insert(args.end(), {"--max-frames", "200"});
    const fs::path raw = dir_ / ("sound" + std::to_string(r) + ".raw");
    Child saver(args, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw.string(),
                       "XDG_CONFIG_HOME=" + dir_.string()});
    ASSERT_TRUE(saver.Started());
    int code = -1;
    ASSERT_TRUE(saver.WaitExit(60s, code)) << args[0];
    ASSERT_EQ(code, 0) << args[0];
    peaks.push_back(fs::exists(raw) ? PeakOfFirstSecond(raw) : 0);
  }
  XDestroyWindow(display_, parent);
  ASSERT_GT(peaks[0], 5000) << "the demo show's music at full volume";
  // Volume 50: (5000 − 10000) × 0.4 = −2000 mB, a tenth (to the mixer's 128 steps).
  EXPECT_NEAR(peaks[1], peaks[0] * 0.1, peaks[0] * 0.01);
  EXPECT_EQ(peaks[2], 0) << "muted";
  EXPECT_EQ(peaks[3], 0) << "a preview has no sound";
}

}  // namespace
}  // namespace glimmer
