#include "previewer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "data/data_archive.h"
#include "diag/log.h"
#include "platform/fmod/sound_system.h"
#include "platform/win32/windows.h"
#include "qxcheck/script_check.h"
#include "show/show_files.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

using Clock = std::chrono::steady_clock;

// The log's ERROR lines a reload notes on the bar, at most: the last ones.
constexpr size_t kLogErrorsNoted = 3;

// A show that never ends (a looped scene never stopped) is outlined this far.
constexpr double kLongestOutline = 3600.0;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A finding that means the show no longer reads as it did: a scene that
// cannot be read, or a line the player refuses.
bool Breaks(const ScriptFinding& finding) {
    return finding.warning && (finding.text.find("could not be read") != std::string::npos ||
                               finding.text.find("the player refuses") != std::string::npos);
}

// What the player logs as an error but is none for a show of loose files,
// as a show being made is: that the folder has no archive, and that a file
// the archive does not hold is read from the folder (one line for every file).
// The line begins with "ERROR:".
bool LooseFileLine(const char* line) {
    const char* name = line + 6 + std::strspn(line + 6, "\t");
    const char* end = std::strchr(name, '\t');
    if (!end || end == name) return false;
    const std::string file(name, end);
    std::error_code failed;
    if (std::strcmp(end, "\tdata file not found") == 0)
        return file == kShowArchiveName && std::filesystem::is_regular_file(kShowScriptName, failed);
    return std::strcmp(end, "\tfile not found in datafile") == 0 && std::filesystem::is_regular_file(file, failed);
}

}  // namespace

Previewer::Previewer(const std::string& showFolder, const PreviewOptions& options)
    : folder_(showFolder), options_(options), session_(options.rate) {
    ListenToLog([this](const char* line) { HearLog(line); });
    if (options.loop) {
        bar_.loopOn = true;
        bar_.loopIn = Frames(options.loopFrom);
        bar_.loopOut = Frames(options.loopTo);
    }
}

uint64_t Previewer::Frames(double seconds) const {
    return static_cast<uint64_t>(seconds * static_cast<double>(options_.rate.numerator) /
                                     static_cast<double>(options_.rate.denominator) +
                                 1e-6);
}

uint64_t Previewer::Clamp(int64_t frame) const {
    if (frame < 0) return 0;
    const auto last = static_cast<int64_t>(outline_.length > 0 ? outline_.length - 1 : 0);
    return static_cast<uint64_t>(frame > last ? last : frame);
}

Previewer::~Previewer() { ListenToLog(nullptr); }

void Previewer::HearLog(const char* line) {
    if (!collecting_ || std::strncmp(line, "ERROR:", 6) != 0 || LooseFileLine(line)) return;
    // The log's columns are tabs; on the bar one space each.
    std::string shown;
    for (const char* c = line; *c; ++c) {
        if (*c != '\t')
            shown += *c;
        else if (!shown.empty() && shown.back() != ' ')
            shown += ' ';
    }
    // The same error again (each run of the show logs it anew) is one note.
    logErrors_.erase(std::remove(logErrors_.begin(), logErrors_.end(), shown), logErrors_.end());
    logErrors_.push_back(shown);
}

bool Previewer::ReadShow(std::vector<std::string>& notes) {
    // The errors this show's reading and run log, the last few of them noted.
    logErrors_.clear();
    collecting_ = true;
    const bool read = ReadShowAndOutline(notes);
    collecting_ = false;
    const size_t shown = std::min(logErrors_.size(), kLogErrorsNoted);
    notes.insert(notes.end(), logErrors_.end() - static_cast<std::ptrdiff_t>(shown), logErrors_.end());
    return read;
}

bool Previewer::ReadShowAndOutline(std::vector<std::string>& notes) {
    session_.Stop();
    LoadDataArchive(kShowArchiveName);
    ScriptCheck check;
    std::string error;
    bool reads = CheckPlayScript(kShowScriptName, check, error);
    if (!reads) notes.push_back(error);
    for (const ScriptFinding& finding : check.findings) {
        if (!finding.warning) continue;
        // The checker says it for each part a texture is on; the bar once.
        std::string note = "line " + std::to_string(finding.line) + ": " + finding.text;
        if (std::find(notes.begin(), notes.end(), note) == notes.end()) notes.push_back(std::move(note));
        if (Breaks(finding)) reads = false;
    }
    if (!reads) return false;
    session_.Start();
    outline_ = OutlineShow(session_, Frames(kLongestOutline));
    return true;
}

bool Previewer::Open(std::string& why) {
    if (!snapshot_.Take(folder_, why)) return false;
    if (chdir(snapshot_.path().c_str()) != 0) {
        why = "cannot enter " + snapshot_.path() + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::string> notes;
    if (!ReadShow(notes)) {
        notes.insert(notes.begin(), "the show in " + folder_ + " does not read:");
        bar_.notes = notes;
        bar_.paused = true;
    } else {
        bar_.notes = notes;
    }
    SeekTo(Clamp(static_cast<int64_t>(Frames(options_.atSeconds))));
    return true;
}

void Previewer::Reload() {
    const auto start = Clock::now();
    const uint64_t at = bar_.loopOn ? bar_.loopIn : bar_.frame;
    std::string why;
    ShowSnapshot fresh;
    std::vector<std::string> notes;
    bool read = fresh.Take(folder_, why) && chdir(fresh.path().c_str()) == 0;
    if (!read) notes.push_back(why);
    if (read) read = ReadShow(notes);
    if (read) {
        snapshot_ = std::move(fresh);
        bar_.notes = notes;
    } else {
        // The last show that read, back on screen at the same time.
        notes.insert(notes.begin(), "not reloaded, the last show kept:");
        bar_.notes = notes;
        if (chdir(snapshot_.path().c_str()) == 0) {
            std::vector<std::string> ignored;
            ReadShow(ignored);
        }
    }
    SeekTo(Clamp(static_cast<int64_t>(at)));
    reloadSeconds_ = Since(start);
}

void Previewer::Finish() {
    if (barShown_) DrawTimelineBar(outline_, bar_, static_cast<double>(options_.rate.numerator) /
                                                       static_cast<double>(options_.rate.denominator),
                                   screenWidth, screenHeight);
    session_.Present();
    bar_.frame = session_.ShownFrame();
}

void Previewer::SeekTo(uint64_t frame) {
    const auto start = Clock::now();
    session_.SeekTo(frame);
    bar_.frame = frame;
    Finish();
    // Presenting moved the clock a frame on: paused, that frame's sound is not heard.
    if (bar_.paused) platform::DropHeardMix();
    // The picture of frame shows until the next pass presents.
    bar_.frame = frame;
    seekSeconds_ = Since(start);
    ++seeks_;
    Anchor();
}

void Previewer::Anchor() {
    anchorTime_ = Clock::now();
    anchorFrame_ = bar_.frame;
}

void Previewer::PlayFrame() {
    session_.Pass(true);
    Finish();
}

void Previewer::Perform(PreviewCommand command) {
    const auto second = static_cast<int64_t>(Frames(1.0));
    const auto now = static_cast<int64_t>(bar_.frame);
    switch (command) {
        case PreviewCommand::None: break;
        case PreviewCommand::PauseOrResume:
            bar_.paused = !bar_.paused;
            SeekTo(bar_.frame);  // the bar says so; playing goes on from here
            break;
        case PreviewCommand::Back: SeekTo(Clamp(now - second)); break;
        case PreviewCommand::Forward: SeekTo(Clamp(now + second)); break;
        case PreviewCommand::BackLong: SeekTo(Clamp(now - 10 * second)); break;
        case PreviewCommand::ForwardLong: SeekTo(Clamp(now + 10 * second)); break;
        case PreviewCommand::PreviousAction: SeekTo(PreviousActionFrame(outline_, bar_.frame)); break;
        case PreviewCommand::NextAction: SeekTo(NextActionFrame(outline_, bar_.frame)); break;
        case PreviewCommand::ToStart: SeekTo(0); break;
        case PreviewCommand::StepBack:
            if (bar_.paused) SeekTo(Clamp(now - 1));
            break;
        case PreviewCommand::StepForward:
            if (bar_.paused) SeekTo(Clamp(now + 1));
            break;
        case PreviewCommand::MarkIn:
            bar_.loopIn = bar_.frame;
            if (bar_.loopOut <= bar_.loopIn) bar_.loopOut = Clamp(now + 5 * second);
            SeekTo(bar_.frame);
            break;
        case PreviewCommand::MarkOut:
            bar_.loopOut = bar_.frame;
            if (bar_.loopIn >= bar_.loopOut) bar_.loopIn = 0;
            SeekTo(bar_.frame);
            break;
        case PreviewCommand::ToggleLoop:
            bar_.loopOn = !bar_.loopOn && bar_.loopOut > bar_.loopIn;
            SeekTo(bar_.frame);
            break;
        case PreviewCommand::Reload: Reload(); break;
        case PreviewCommand::ToggleStatistics:
            showStatistics = !showStatistics;
            SeekTo(bar_.frame);
            break;
        case PreviewCommand::Quit: quit_ = true; break;
    }
}

void Previewer::Key(unsigned message, int key) {
    if (key == VK_SHIFT) {
        shift_ = message == WM_KEYDOWN;
        return;
    }
    if (message == WM_KEYDOWN) Perform(CommandForKey(key, shift_));
}

void Previewer::Pointer(unsigned message, bool held, int x, int y) {
    switch (message) {
        case WM_LBUTTONDOWN:
            dragging_ = InsideBar(outline_, y, screenHeight);
            if (dragging_) pointerColumn_ = x;
            break;
        case WM_MOUSEMOVE:
            // Once the drag has begun, the pointer may leave the bar's rows.
            if (dragging_ && held) pointerColumn_ = x;
            if (!held) dragging_ = false;  // the release happened where the window did not see it
            break;
        case WM_LBUTTONUP:
            if (dragging_) pointerColumn_ = x;
            dragging_ = false;
            break;
        default: break;
    }
}

void Previewer::SeekToPointer() {
    if (!pointerColumn_) return;
    const uint64_t frame = FrameAtColumn(outline_, *pointerColumn_, screenWidth);
    pointerColumn_.reset();
    if (frame != bar_.frame) SeekTo(frame);
}

bool Previewer::Turn() {
    MSG msg;
    // Of the pointer's moves taken in one turn only the last seeks, as every
    // seek runs the show again from its start; a key goes after the moves
    // before it.
    while (!quit_ && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
            SeekToPointer();
            Key(msg.message, static_cast<int>(msg.wParam));
        } else if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP || msg.message == WM_MOUSEMOVE) {
            Pointer(msg.message, (msg.wParam & MK_LBUTTON) != 0, GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
        } else if (msg.message == WM_SETCURSOR) {
            // The window class's arrow, where the player hides the pointer:
            // the bar is used with it.
            DefWindowProcA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        } else if (msg.message == WM_CLOSE || msg.message == WM_QUIT) {
            quit_ = true;
        } else {
            DispatchMessageA(&msg);
        }
    }
    if (quit_) return false;
    SeekToPointer();
    const double rate = static_cast<double>(options_.rate.numerator) / static_cast<double>(options_.rate.denominator);
    if (bar_.paused || !session_.started()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;
    }
    if (bar_.loopOn && session_.NextPresentFrame() > bar_.loopOut) {
        SeekTo(bar_.loopIn);
        return true;
    }
    if (session_.Ended()) {
        bar_.paused = true;
        SeekTo(Clamp(static_cast<int64_t>(outline_.length) - 1));
        return true;
    }
    // Real time says which film frame should be on screen.
    const double due = static_cast<double>(anchorFrame_) + Since(anchorTime_) * rate;
    const auto next = static_cast<double>(session_.NextPresentFrame());
    if (next > due) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        return true;
    }
    PlayFrame();
    // Drawing slower than real time: the show time runs slower, from here.
    if (due - static_cast<double>(bar_.frame) > 2.0) {
        const double real = Since(anchorTime_);
        bar_.speed = real > 0.0 ? static_cast<double>(bar_.frame - anchorFrame_) / (real * rate) : 1.0;
        if (real > 1.0) Anchor();
    } else if (Since(anchorTime_) > 1.0) {
        bar_.speed = 1.0;
    }
    return true;
}

}  // namespace velmora::tools
