// The preview's seek against the plain run: the sample show played by the
// run sequence on the virtual clock, filmed, and the preview's picture after
// a seek to several times compared with the film's frame of that time, byte
// for byte; then the keys and the pointer fed through the window system, and
// a reload.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/display_start.h"
#include "app/run_show.h"
#include "music/music_test_support.h"
#include "data/data_archive.h"
#include "platform/ddraw/display_objects.h"
#include "platform/fmod/sound_system.h"
#include "platform/null/null_window_system.h"
#include "platform/win32/window_table.h"
#include "platform/win32/windows.h"
#include "platform/setup/platform_settings.h"
#include "previewer.h"
#include "state/engine_state.h"
#include "support/temp_files.h"

using namespace velmora::tools;
namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 160, kHeight = 120;
constexpr uint64_t kRate = 10;

// Keeps the film frames asked for, and the last frame presented.
class FrameKeeper : public velmora::platform::FrameWriter {
public:
    explicit FrameKeeper(std::set<uint64_t> wanted = {}) : wanted_(std::move(wanted)) {}
    bool WriteFrame(const uint32_t* pixels, int width, int height) override {
        last.assign(pixels, pixels + static_cast<size_t>(width) * height);
        if (wanted_.count(count_)) kept[count_] = last;
        ++count_;
        return true;
    }
    std::vector<uint32_t> last;
    std::map<uint64_t, std::vector<uint32_t>> kept;

private:
    std::set<uint64_t> wanted_;
    uint64_t count_ = 0;
};

velmora::platform::PlatformSettings Settings(std::shared_ptr<FrameKeeper> keeper, bool film) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    velmora::platform::PlatformSettings settings;
    settings.videoDriver = velmora::platform::VideoDriver::Offscreen;
    settings.sound = velmora::platform::SoundBackEnd::Silent;
    settings.virtualClock = true;
    settings.frameRate = {kRate, 1};
    settings.frameWriter = std::move(keeper);
    settings.filmCapture = film;
    settings.extraModeWidth = kWidth;
    settings.extraModeHeight = kHeight;
    return settings;
}

// Brings the display up for a test and takes it down after.
class Display {
public:
    Display(std::shared_ptr<FrameKeeper> keeper, bool film) {
        velmora::platform::InstallPlatform(Settings(std::move(keeper), film));
        std::string why;
        up = StartDisplayAt(kWidth, kHeight, "preview test", why) && velmora::platform::DisplayDrawnByOpenGl();
        EXPECT_TRUE(up) << why;
    }
    ~Display() {
        velmora::platform::UninstallPlatform();
        ForgetDisplay();
    }
    bool up = false;
};

uint64_t At(double seconds) { return static_cast<uint64_t>(seconds * kRate + 1e-6); }

PreviewOptions Options() {
    PreviewOptions options;
    options.width = kWidth;
    options.height = kHeight;
    options.rate = {kRate, 1};
    return options;
}

class PreviewSeekTest : public ::testing::Test {
protected:
    void SetUp() override { before_ = fs::current_path(); }
    void TearDown() override { fs::current_path(before_); }
    fs::path before_;
};

TEST_F(PreviewSeekTest, TheFrameAfterASeekIsThePlainRunsFrame) {
    // In the looped stars under the title, in the title's glow trail, inside
    // the hold, just after the tunnel's textures are released and after it
    // is unloaded, in the knot's echo trail, and in the close.
    const std::vector<double> times = {3.0, 4.2, 15.6, 15.8, 23.6, 23.9, 30.3, 55.0};
    std::set<uint64_t> wanted;
    for (double t : times) wanted.insert(At(t));
    auto plain = std::make_shared<FrameKeeper>(wanted);
    std::vector<int16_t> plainMix;
    {
        Display display(plain, true);
        ASSERT_TRUE(display.up);
        fs::current_path(VELMORA_SAMPLE_SHOW_DIR);
        velmora::testing::MixRecorder mix;
        RunShow();
        plainMix = mix.samples();
        EXPECT_EQ(showStartTime, 0u) << "the film's frame k is the show's time k / rate";
        velmora::platform::FinishFrameCapture();
    }
    ASSERT_EQ(plain->kept.size(), wanted.size());
    // Pictures that differ from one time to the next, or the comparison says nothing.
    EXPECT_FALSE(plain->kept[At(3.0)] == plain->kept[At(4.2)]);
    EXPECT_FALSE(plain->kept[At(15.6)] == plain->kept[At(30.3)]);

    auto seen = std::make_shared<FrameKeeper>();
    Display display(seen, false);
    ASSERT_TRUE(display.up);
    Previewer preview(VELMORA_SAMPLE_SHOW_DIR, Options());
    preview.ShowBar(false);
    std::string why;
    ASSERT_TRUE(preview.Open(why)) << why;
    // Out of order, so that each seek starts from a show somewhere else.
    for (auto it = times.rbegin(); it != times.rend(); ++it) {
        preview.SeekTo(At(*it));
        EXPECT_TRUE(seen->last == plain->kept[At(*it)]) << "at " << *it << " s";
    }
    // Twice to one time gives one picture; so does a seek back after playing on.
    preview.SeekTo(At(15.6));
    const std::vector<uint32_t> first = seen->last;
    preview.SeekTo(At(40.0));
    preview.SeekTo(At(15.6));
    EXPECT_TRUE(seen->last == first);
    EXPECT_TRUE(seen->last == plain->kept[At(15.6)]);

    // The music playing at a time sounds from its place then, as in the
    // plain run at that time of the clock: the stream under the title, the
    // module 2 s and 22 s in, the stream again in the close. (After the hold
    // at 15.5 s the clock runs 69 ms past the film's frames, in both runs.)
    // Streams land on their sample; a module where libopenmpt's seek puts
    // it, within a few milliseconds.
    constexpr size_t kSamplesAFrame = 44100 / kRate;
    constexpr long kModuleSlack = 441;
    for (double t : {4.2, 10.0, 30.3, 55.0}) {
        preview.SeekTo(At(t));
        const size_t from = velmora::platform::SamplesMixed();
        EXPECT_GE(from, (At(t) + 1) * kSamplesAFrame);
        EXPECT_LT(from, (At(t) + 2) * kSamplesAFrame);
        velmora::testing::MixRecorder heard;
        for (int i = 0; i < 5; ++i) {
            preview.session().Pass(true);
            preview.session().Present();
        }
        ASSERT_EQ(heard.frames(), 5 * kSamplesAFrame);
        const bool stream = t < 8.0 || t > 53.0;
        const long slack = stream ? 0 : kModuleSlack;
        double best = -1.0;
        long bestLag = 0;
        for (long lag = -slack; lag <= slack; ++lag) {
            const long first = static_cast<long>(from) + lag;
            ASSERT_LE(static_cast<size_t>(first + kModuleSlack) * 2 + heard.samples().size(), plainMix.size());
            const auto begin = plainMix.begin() + first * 2;
            const std::vector<int16_t> played(begin, begin + static_cast<long>(heard.samples().size()));
            const double alike = velmora::testing::Alike(heard.samples(), played);
            if (alike > best) {
                best = alike;
                bestLag = lag;
            }
            if (lag == 0) {
                EXPECT_GT(velmora::testing::Rms(played, 0, heard.frames()), 300.0) << "at " << t << " s";
            }
        }
        EXPECT_GT(best, 0.99) << "at " << t << " s, best at " << bestLag;
    }
    preview.session().Stop();
}

TEST_F(PreviewSeekTest, AClickOnTheBarShowsThePictureOfASeekToTheFrameUnderIt) {
    auto seen = std::make_shared<FrameKeeper>();
    Display display(seen, false);
    ASSERT_TRUE(display.up);
    Previewer preview(VELMORA_SAMPLE_SHOW_DIR, Options());
    std::string why;
    ASSERT_TRUE(preview.Open(why)) << why;
    preview.Perform(PreviewCommand::PauseOrResume);
    const int x = kWidth * 2 / 3, y = kHeight - 3;
    const uint64_t frame = FrameAtColumn(preview.outline(), x, kWidth);
    const HWND window = velmora::platform::MainWindow();
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    preview.Turn();
    ASSERT_EQ(preview.bar().frame, frame);
    const std::vector<uint32_t> clicked = seen->last;
    preview.SeekTo(0);
    EXPECT_FALSE(seen->last == clicked);
    preview.SeekTo(frame);
    EXPECT_TRUE(seen->last == clicked) << "the click's picture, bar and all, is the seek's";
    preview.session().Stop();
}

}  // namespace

namespace {

// The preview on the null window system and drawing device, whose window
// takes the keys a test queues.
class NullPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        before_ = fs::current_path();
        velmora::platform::PlatformSettings settings;
        settings.windowSystem = velmora::platform::WindowBackEnd::Null;
        settings.renderDevice = velmora::platform::RenderBackEnd::Null;
        settings.sound = velmora::platform::SoundBackEnd::Silent;
        settings.virtualClock = true;
        settings.frameRate = {kRate, 1};
        settings.extraModeWidth = kWidth;
        settings.extraModeHeight = kHeight;
        velmora::platform::InstallPlatform(settings);
        std::string why;
        ASSERT_TRUE(StartDisplayAt(kWidth, kHeight, "preview test", why)) << why;
        window_ = dynamic_cast<velmora::platform::NullWindowSystem*>(&velmora::platform::CurrentWindowSystem());
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (preview_) preview_->session().Stop();
        preview_.reset();
        velmora::platform::UninstallPlatform();
        ForgetDisplay();
        fs::current_path(before_);
    }
    Previewer& Open(const std::string& folder) {
        preview_ = std::make_unique<Previewer>(folder, Options());
        std::string why;
        EXPECT_TRUE(preview_->Open(why)) << why;
        return *preview_;
    }
    // One key pressed and let go, then a turn of the preview's loop.
    void Press(int key, bool shift = false) {
        using velmora::platform::WindowEventType;
        if (shift) window_->QueueEvent(WindowEventType::KeyDown, VK_SHIFT);
        window_->QueueEvent(WindowEventType::KeyDown, key);
        window_->QueueEvent(WindowEventType::KeyUp, key);
        if (shift) window_->QueueEvent(WindowEventType::KeyUp, VK_SHIFT);
        preview_->Turn();
    }
    void Pointer(velmora::platform::WindowEventType type, int x, int y) { window_->QueuePointer(type, x, y); }
    // The left button pressed and let go at x, y, then a turn.
    void Click(int x, int y) {
        using velmora::platform::WindowEventType;
        Pointer(WindowEventType::PointerDown, x, y);
        Pointer(WindowEventType::PointerUp, x, y);
        preview_->Turn();
    }
    uint64_t FrameAt(int x) const { return FrameAtColumn(preview_->outline(), x, kWidth); }
    velmora::platform::NullWindowSystem* window_ = nullptr;
    std::unique_ptr<Previewer> preview_;
    fs::path before_;
};

TEST_F(NullPreviewTest, KeysPauseSeekStepLoopAndQuit) {
    Previewer& preview = Open(VELMORA_SAMPLE_SHOW_DIR);
    EXPECT_GT(preview.outline().length, At(60.0)) << "the sample show runs a minute and more";
    Press(VK_SPACE);
    ASSERT_TRUE(preview.bar().paused);
    // Paused, the picture and the mix stand still however long it lasts.
    const uint64_t frame = preview.bar().frame;
    const uint64_t mixed = velmora::platform::SamplesMixed();
    for (int i = 0; i < 20; ++i) preview.Turn();
    EXPECT_EQ(preview.bar().frame, frame);
    EXPECT_EQ(velmora::platform::SamplesMixed(), mixed);

    Press(VK_RIGHT, true);
    EXPECT_EQ(preview.bar().frame, frame + 10 * kRate);
    Press(VK_LEFT);
    EXPECT_EQ(preview.bar().frame, frame + 9 * kRate);
    Press(VK_OEM_PERIOD);
    Press(VK_OEM_PERIOD);
    Press(VK_OEM_COMMA);
    EXPECT_EQ(preview.bar().frame, frame + 9 * kRate + 1);
    Press(VK_HOME);
    EXPECT_EQ(preview.bar().frame, 0u);
    Press(VK_LEFT, true);
    EXPECT_EQ(preview.bar().frame, 0u) << "no time before the start";
    // The actions at the start fall one a frame; the next after them is the
    // tunnel's preload at 6 s.
    Press(VK_NEXT);
    const uint64_t next = preview.bar().frame;
    EXPECT_GT(next, 0u);
    Press(VK_NEXT);
    Press(VK_PRIOR);
    EXPECT_EQ(preview.bar().frame, next);

    Press(VK_HOME);
    Press(VK_RIGHT);
    Press('I');
    for (int i = 0; i < 3; ++i) Press(VK_OEM_PERIOD);
    Press('O');
    Press('L');
    EXPECT_TRUE(preview.bar().loopOn);
    EXPECT_EQ(preview.bar().loopIn, At(1.0));
    EXPECT_EQ(preview.bar().loopOut, At(1.0) + 3);
    // Played, the loop brings the show back to its in mark.
    Press(VK_SPACE);
    ASSERT_FALSE(preview.bar().paused);
    bool wentBack = false;
    for (int i = 0; i < 20000 && !wentBack; ++i) {
        const uint64_t before = preview.bar().frame;
        preview.Turn();
        wentBack = preview.bar().frame < before;
    }
    EXPECT_TRUE(wentBack);
    EXPECT_EQ(preview.bar().frame, At(1.0));

    Press('F');
    EXPECT_EQ(showStatistics, 1);
    Press('F');
    EXPECT_EQ(showStatistics, 0);
    Press(VK_ESCAPE);
    EXPECT_TRUE(preview.quit());
    EXPECT_FALSE(preview.Turn());
}

TEST_F(NullPreviewTest, AClickOnTheBarSeeksToTheFrameUnderItAndAboveItDoesNot) {
    using velmora::platform::WindowEventType;
    Previewer& preview = Open(VELMORA_SAMPLE_SHOW_DIR);
    Press(VK_SPACE);
    ASSERT_TRUE(preview.bar().paused);
    const int top = BarTop(preview.outline(), kHeight);
    ASSERT_GT(top, 0);
    ASSERT_LT(top, kHeight);
    const uint64_t before = preview.bar().frame;
    const uint64_t seeks = preview.seeks();
    // The playing scenes' line just above the bar, and the bar only hovered.
    Click(kWidth / 2, top - 1);
    Pointer(WindowEventType::PointerOver, kWidth / 2, top + 1);
    preview.Turn();
    EXPECT_EQ(preview.bar().frame, before);
    EXPECT_EQ(preview.seeks(), seeks);

    // The bar's top row and its bottom one.
    Click(kWidth * 3 / 4, top);
    EXPECT_EQ(preview.bar().frame, FrameAt(kWidth * 3 / 4));
    EXPECT_NE(preview.bar().frame, before);
    Click(kWidth / 8, kHeight - 1);
    EXPECT_EQ(preview.bar().frame, FrameAt(kWidth / 8));
    EXPECT_TRUE(preview.bar().paused) << "a click keeps the preview paused";
    EXPECT_EQ(preview.seeks(), seeks + 2);

    // Playing, a click goes on playing from the frame under it.
    Press(VK_SPACE);
    ASSERT_FALSE(preview.bar().paused);
    Click(kWidth / 2, kHeight - 1);
    EXPECT_FALSE(preview.bar().paused);
    EXPECT_GE(preview.bar().frame, FrameAt(kWidth / 2));
    EXPECT_LT(preview.bar().frame, FrameAt(kWidth / 2) + kRate);
}

TEST_F(NullPreviewTest, ADragSeeksOnceATurnAndEndsWhereThePointerWasLetGo) {
    using velmora::platform::WindowEventType;
    Previewer& preview = Open(VELMORA_SAMPLE_SHOW_DIR);
    Press(VK_SPACE);
    const int top = BarTop(preview.outline(), kHeight);
    // A whole drag in one turn, leaving the bar's rows and the picture on
    // the way: one seek, to the column of the release.
    uint64_t seeks = preview.seeks();
    Pointer(WindowEventType::PointerDown, 20, top + 2);
    Pointer(WindowEventType::PointerOver, 40, 5);
    Pointer(WindowEventType::PointerOver, 100, kHeight + 30);
    Pointer(WindowEventType::PointerUp, 120, 10);
    preview.Turn();
    EXPECT_EQ(preview.bar().frame, FrameAt(120));
    EXPECT_EQ(preview.seeks(), seeks + 1);

    // Over several turns: each turn goes to where the pointer is by then.
    Pointer(WindowEventType::PointerDown, 30, top);
    preview.Turn();
    EXPECT_EQ(preview.bar().frame, FrameAt(30));
    seeks = preview.seeks();
    Pointer(WindowEventType::PointerOver, 50, 0);
    Pointer(WindowEventType::PointerOver, 60, 0);
    preview.Turn();
    EXPECT_EQ(preview.bar().frame, FrameAt(60));
    EXPECT_EQ(preview.seeks(), seeks + 1);
    // Past the picture's right edge: the show's last frame.
    Pointer(WindowEventType::PointerOver, kWidth + 40, top);
    Pointer(WindowEventType::PointerUp, kWidth + 40, top);
    preview.Turn();
    EXPECT_EQ(preview.bar().frame, preview.outline().length - 1);

    // Let go, the pointer moves without seeking, and a release without a
    // press does nothing.
    seeks = preview.seeks();
    Pointer(WindowEventType::PointerOver, 10, top);
    preview.Turn();
    Pointer(WindowEventType::PointerUp, 90, top);
    preview.Turn();
    EXPECT_EQ(preview.bar().frame, preview.outline().length - 1);
    EXPECT_EQ(preview.seeks(), seeks);

    // A key after a click in the same turn starts from the click's frame.
    Pointer(WindowEventType::PointerDown, 80, top);
    Pointer(WindowEventType::PointerUp, 80, top);
    Press(VK_OEM_PERIOD);
    EXPECT_EQ(preview.bar().frame, FrameAt(80) + 1);
    EXPECT_TRUE(preview.bar().paused);
}

TEST_F(NullPreviewTest, ThePointerShowsOverThePreview) {
    Open(VELMORA_SAMPLE_SHOW_DIR);
    SetCursor(nullptr);
    ASSERT_FALSE(window_->cursorVisible);
    Pointer(velmora::platform::WindowEventType::PointerOver, 10, 10);
    preview_->Turn();
    EXPECT_TRUE(window_->cursorVisible) << "the player hides it; the preview's bar is used with it";
}

// The sample show's script with one line replaced by another.
void EditScript(const fs::path& folder, const std::string& line, const std::string& by) {
    std::ifstream in(folder / "MORVAST.QXP", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find(line);
    ASSERT_NE(at, std::string::npos) << line;
    text.replace(at, line.size(), by);
    std::ofstream(folder / "MORVAST.QXP", std::ios::binary | std::ios::trunc) << text;
}

TEST_F(NullPreviewTest, AReloadShowsTheEditAtTheSameTimeAndABrokenOneKeepsTheShow) {
    // The sample show unpacked into loose files: the archive's own script
    // would be read before a loose one.
    const fs::path folder = velmora::testing::MakeTempDirectory();
    fs::current_path(folder);
    LoadDataArchive((fs::path(VELMORA_SAMPLE_SHOW_DIR) / "MORVAST.QXD").c_str());
    UnpackDataArchive();
    LoadDataArchive("none");
    Previewer& preview = Open(folder.string());
    Press(VK_SPACE);
    preview.SeekTo(At(20.0));
    const size_t actions = preview.outline().actions.size();

    // Without its hold line the show has no hold.
    auto holds = [&] {
        int count = 0;
        for (const OutlineAction& action : preview.outline().actions) count += action.type == kActionHold;
        return count;
    };
    EXPECT_EQ(holds(), 1);
    EditScript(folder, "[Engine][Hold] 15.5 469\r\n", "");
    preview.Reload();
    EXPECT_EQ(preview.bar().frame, At(20.0));
    EXPECT_EQ(preview.outline().actions.size(), actions - 1);
    EXPECT_EQ(holds(), 0);
    EXPECT_TRUE(preview.bar().notes.empty()) << ::testing::PrintToString(preview.bar().notes);

    // A scene that no longer reads: the show on screen stays, and the bar
    // names the line.
    EditScript(folder, "[QX3][01][Filename] ", "[QX3][01][Filename] missing");
    preview.Reload();
    EXPECT_EQ(preview.bar().frame, At(20.0));
    EXPECT_EQ(preview.outline().actions.size(), actions - 1);
    ASSERT_GE(preview.bar().notes.size(), 2u);
    EXPECT_EQ(preview.bar().notes[0], "not reloaded, the last show kept:");
    EXPECT_EQ(preview.bar().notes[1].rfind("line ", 0), 0u) << preview.bar().notes[1];
    EXPECT_NE(preview.bar().notes[1].find("could not be read"), std::string::npos) << preview.bar().notes[1];

    // Mended, with a texture gone from the folder: the show reads, and the
    // bar gives the log's error for it, once however often the show ran.
    // (That every loose file is not in the archive is no error.)
    EditScript(folder, "[QX3][01][Filename] missing", "[QX3][01][Filename] ");
    fs::remove(folder / "glow.tga");
    preview.Reload();
    const std::vector<std::string>& notes = preview.bar().notes;
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "not reloaded, the last show kept:"), 0);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "ERROR: glow.tga file not found in datafile"), 1)
        << ::testing::PrintToString(notes);
    fs::remove_all(folder);
}

}  // namespace
