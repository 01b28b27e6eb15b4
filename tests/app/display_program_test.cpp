// The real program's display: headless capture, the fall-back without
// OpenGL, and a run under Xvfb that Escape ends.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "scene_writer/scene_writer.h"
#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;
using namespace velmora::tools;

namespace {

// A scene of 30 frames: a turning cube before its one camera, lit by one light.
SceneDescription ShowScene() {
    SceneDescription scene;
    scene.frameCount = 30;
    scene.ambient.assign(30, 0x303030);
    WriterDrawStyle style;
    style.red = 0.9f;
    style.green = 0.5f;
    style.blue = 0.2f;
    scene.drawStyles.push_back(style);
    WriterObject cube = CubeObject("Cube", 4.0f, 0);
    cube.animated = true;
    cube.matrices.clear();
    for (int f = 0; f < 30; ++f) {
        float angle = 6.2831853f * f / 30.0f;
        D3DMATRIX m = TranslationMatrix(0, 0, 15);
        m._11 = std::cos(angle);
        m._13 = -std::sin(angle);
        m._31 = std::sin(angle);
        m._33 = std::cos(angle);
        cube.matrices.push_back(m);
    }
    scene.objects.push_back(cube);
    WriterCamera camera;
    camera.name = "Camera01";
    camera.fov.assign(30, 0.7853982f);
    camera.matrices.assign(30, IdentityMatrix());
    scene.cameras.push_back(camera);
    WriterLight light;
    light.name = "Light01";
    light.frames.resize(1);
    light.frames[0].position = {{-10}, {10}, {0}};
    light.range = 500.0f;
    scene.lights.push_back(light);
    return scene;
}

class DisplayProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = MakeTempDirectory();
        ASSERT_FALSE(directory.empty());
        program = directory + "/velmora";
        std::filesystem::copy_file(VELMORA_PROGRAM, program);
    }
    // The show: the scene looping from 0 s, stopped at stopSeconds unless that is negative.
    void WriteShow(double stopSeconds) {
        std::string error;
        ASSERT_TRUE(WriteSceneFile(directory + "/show.QX3", ShowScene(), &error)) << error;
        std::ofstream script(directory + "/MORVAST.QXP", std::ios::binary);
        script << "[QX3][00] 1\r\n"
               << "[QX3][01][Filename] show.QX3\r\n"
               << "[QX3][01][Load]\r\n"
               << "[QX3][01][Camera] 0 30 Camera01 0 0 100 0 FALSE\r\n"
               << "[QX3][01][Backface] Cube FALSE\r\n"
               << "[QX3][01][Play] 0 TRUE\r\n";
        if (stopSeconds >= 0) script << "[QX3][01][Stop] " << stopSeconds << "\r\n";
    }
    // True when this build reads play scripts; the show tests need it. Leaves
    // a show that stops after half a second.
    ProgramResult Run(std::map<std::string, std::string> variables, double limit = 20.0) {
        std::map<std::string, std::string> environment = {
            {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}, {"VELMORA_LOG", ""},
            {"VELMORA_FPS", ""}, {"VELMORA_CAPTURE", ""}, {"VELMORA_WINDOWED", ""}};
        for (const auto& [name, value] : variables) environment[name] = value;
        return RunProgram(program, {}, directory, environment, limit);
    }
    int CountFrames(const std::string& folder) {
        int count = 0;
        while (FileExists(folder + "/frame_" + Number(count) + ".png")) ++count;
        return count;
    }
    static std::string Number(int frame) {
        char text[16];
        std::snprintf(text, sizeof text, "%06d", frame);
        return text;
    }
    std::string directory;
    std::string program;
};

TEST_F(DisplayProgramTest, HeadlessRunCapturesEachPresentedFrame) {
    // No show: one frame is drawn and presented, at the pre-selected 640x480.
    ProgramResult result = Run({{"VELMORA_FPS", "30"}, {"VELMORA_CAPTURE", directory + "/frames"}});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(CountFrames(directory + "/frames"), 1);
    EXPECT_EQ(result.standardError.find("nothing will be drawn"), std::string::npos) << result.standardError;
    std::ifstream png(directory + "/frames/frame_000000.png", std::ios::binary);
    unsigned char header[24] = {};
    png.read(reinterpret_cast<char*>(header), sizeof header);
    EXPECT_EQ(header[1], 'P');
    uint32_t width = header[16] << 24 | header[17] << 16 | header[18] << 8 | header[19];
    uint32_t height = header[20] << 24 | header[21] << 16 | header[22] << 8 | header[23];
    EXPECT_EQ(width, 640u);
    EXPECT_EQ(height, 480u);
}

TEST_F(DisplayProgramTest, WithoutOpenGLTheShowStillRunsAndSaysSoOnce) {
    WriteShow(1.0);
    ProgramResult result = Run({{"VELMORA_FPS", "30"}, {"VELMORA_LOG", "1"},
                                {"SDL_VIDEO_EGL_DRIVER", directory + "/no-such-egl.so"},
                                {"VELMORA_CAPTURE", directory + "/frames"}});
    ASSERT_TRUE(result.finished) << "hung without OpenGL";
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    std::string said = result.standardError;
    size_t first = said.find("nothing will be drawn");
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("nothing will be drawn", first + 1), std::string::npos) << said;
    // The frame clock still moves: the run's time covers the frames and the pause.
    std::string log = ReadFile(directory + "/Log.TXT");
    EXPECT_NE(log.find("Time(sec):"), std::string::npos) << log;
    EXPECT_GE(CountFrames(directory + "/frames"), 1);
}

TEST_F(DisplayProgramTest, ShowPlaysHeadlessOnTheFrameClock) {
    WriteShow(1.0);
    ProgramResult result = Run({{"VELMORA_FPS", "30"}, {"VELMORA_CAPTURE", directory + "/frames"}});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    // Stopped at 1 s: the frames up to then, and the one in which the stop happens.
    int frames = CountFrames(directory + "/frames");
    EXPECT_GE(frames, 30);
    EXPECT_LE(frames, 33);
}

// Runs a child that the test can watch while it runs.
struct Child {
    pid_t pid = -1;
    bool Start(const std::vector<std::string>& command, const std::map<std::string, std::string>& environment,
               const std::string& directory) {
        pid = fork();
        if (pid != 0) return pid > 0;
        if (chdir(directory.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : environment) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> argv;
        for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    // The exit status once it has ended within seconds; -1 while it runs.
    int Wait(double seconds) {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        while (std::chrono::steady_clock::now() < until) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
    void Stop() {
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~Child() { Stop(); }
};

// The standard output of a short command.
std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
    pclose(pipe);
    return text;
}

// An X server of its own on a display number nobody uses; empty when it did not start.
std::string StartXvfb(Child& server, const std::string& directory) {
    int number = 90 + static_cast<int>(getpid() % 9);
    while (FileExists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    std::string display = ":" + std::to_string(number);
    if (!server.Start({"Xvfb", display, "-screen", "0", "800x600x24", "-nolisten", "tcp"}, {}, directory))
        return "";
    for (int i = 0; i < 250 && !FileExists("/tmp/.X11-unix/X" + std::to_string(number)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return FileExists("/tmp/.X11-unix/X" + std::to_string(number)) ? display : "";
}

// Waits for the configuration dialog on display and presses key in it.
bool AnswerDialog(const std::string& display, const std::string& key) {
    std::string xdotool = "DISPLAY=" + display + " timeout 20 xdotool ";
    std::string dialog = Output(xdotool + "search --sync --onlyvisible --name 'Velmora Engine' 2>/dev/null | head -n 1");
    if (dialog.empty()) return false;
    dialog.erase(dialog.find_last_not_of("\n") + 1);
    Output(xdotool + "windowfocus --sync " + dialog + " key " + key);
    return true;
}

std::map<std::string, std::string> ProgramEnvironment(const std::string& display, const std::string& frames) {
    return {{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}, {"VELMORA_FPS", ""},
            {"VELMORA_WINDOWED", ""}, {"VELMORA_CAPTURE", frames}};
}

TEST_F(DisplayProgramTest, UnderXvfbCancelInTheDialogEndsTheProgramWithoutADisplay) {
    WriteShow(-1.0);
    ASSERT_FALSE(Output("command -v xdotool").empty()) << "xdotool is missing (scripts/install-deps.sh)";
    Child server;
    std::string display = StartXvfb(server, directory);
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    std::string frames = directory + "/frames";
    Child player;
    ASSERT_TRUE(player.Start({program}, ProgramEnvironment(display, frames), directory));
    ASSERT_TRUE(AnswerDialog(display, "Escape")) << "no dialog within 20 s";
    EXPECT_EQ(player.Wait(10.0), 0) << "Cancel did not end the program";
    EXPECT_EQ(CountFrames(frames), 0);
}

TEST_F(DisplayProgramTest, UnderXvfbTheShowIsFullScreenAndEscapeEndsIt) {
    WriteShow(-1.0);  // loops until Escape
    ASSERT_FALSE(Output("command -v Xvfb").empty()) << "Xvfb is missing (scripts/install-deps.sh)";
    ASSERT_FALSE(Output("command -v xdotool").empty()) << "xdotool is missing (scripts/install-deps.sh)";
    Child server;
    std::string display = StartXvfb(server, directory);
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";

    std::string frames = directory + "/frames";
    Child player;
    ASSERT_TRUE(player.Start({program}, ProgramEnvironment(display, frames), directory));
    // Without a settings file the dialog comes first; Enter is OK.
    ASSERT_TRUE(AnswerDialog(display, "Return")) << "no dialog within 20 s";
    // Its first frames.
    for (int i = 0; i < 1000 && !FileExists(frames + "/frame_000003.png"); ++i) {
        ASSERT_EQ(player.Wait(0.02), -1) << "the program ended before Escape";
    }
    ASSERT_TRUE(FileExists(frames + "/frame_000003.png")) << "no frames within 20 s";
    std::string xdotool = "DISPLAY=" + display + " xdotool ";
    std::string window = Output(xdotool + "search --sync --name 'Velmora Demo' 2>/dev/null | head -n 1");
    ASSERT_FALSE(window.empty());
    window.erase(window.find_last_not_of("\n") + 1);
    // Full-screen on the desktop: the window covers the whole screen.
    std::string geometry = Output(xdotool + "getwindowgeometry " + window);
    EXPECT_NE(geometry.find("800x600"), std::string::npos) << geometry;

    Output(xdotool + "windowfocus --sync " + window + " key Escape");
    int status = player.Wait(10.0);
    EXPECT_EQ(status, 0) << "Escape did not end the program";
    int shown = CountFrames(frames);
    EXPECT_GE(shown, 4);
    // Nothing is presented after the exit.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(CountFrames(frames), shown);
}

}  // namespace
