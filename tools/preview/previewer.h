// The preview: a show played in the window on the virtual clock, paced to
// real time, with the keys and the bar, where a click or a drag seeks. Every
// seek starts the show afresh and runs it undrawn up to the time, so that the
// picture is the plain run's.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "preview_keys.h"
#include "preview_options.h"
#include "show_outline.h"
#include "show_session.h"
#include "show_snapshot.h"
#include "timeline_bar.h"

namespace velmora::tools {

class Previewer {
public:
    // showFolder: absolute. The display must be up.
    Previewer(const std::string& showFolder, const PreviewOptions& options);
    ~Previewer();
    Previewer(const Previewer&) = delete;
    Previewer& operator=(const Previewer&) = delete;

    // Reads the show (a copy of the folder) and goes to --at, paused there
    // when the show did not read. False, with why, when not even a copy of
    // the folder could be made.
    bool Open(std::string& why);

    // Takes the window's messages and, when its time has come, draws the next
    // frame; false once the preview should end.
    bool Turn();

    void Perform(PreviewCommand command);
    // The show at film frame frame, drawn with the bar and presented.
    void SeekTo(uint64_t frame);
    // Reads the show folder again and returns to the same time (or the loop's
    // start); keeps the show on screen when the new one does not read.
    void Reload();
    // The bar drawn over the frame, or the frame alone (for comparisons).
    void ShowBar(bool shown) { barShown_ = shown; }

    const BarState& bar() const { return bar_; }
    const ShowOutline& outline() const { return outline_; }
    ShowSession& session() { return session_; }
    bool quit() const { return quit_; }
    // The seconds the last seek and the last reload took.
    double lastSeekSeconds() const { return seekSeconds_; }
    double lastReloadSeconds() const { return reloadSeconds_; }
    // How many seeks have been made since the preview was made.
    uint64_t seeks() const { return seeks_; }

private:
    uint64_t Frames(double seconds) const;
    uint64_t Clamp(int64_t frame) const;
    // Reads the show in the current folder and makes its outline; false when
    // it did not read, with the reasons in notes, and after them the last
    // ERROR lines the log was given meanwhile.
    bool ReadShow(std::vector<std::string>& notes);
    bool ReadShowAndOutline(std::vector<std::string>& notes);
    void HearLog(const char* line);
    void PlayFrame();
    void Finish();  // the bar over the frame drawn, then presented
    void Anchor();
    void Key(unsigned message, int key);
    // A mouse message with the pointer at picture pixel x, y, the left button
    // held or not; a press on the bar starts a drag.
    void Pointer(unsigned message, bool held, int x, int y);
    // Goes to the frame under the drag's last column, if it moved there.
    void SeekToPointer();

    std::string folder_;
    PreviewOptions options_;
    ShowSession session_;
    ShowOutline outline_;
    ShowSnapshot snapshot_;
    BarState bar_;
    bool barShown_ = true;
    bool shift_ = false;
    bool dragging_ = false;              // the left button went down on the bar and is held
    std::optional<int> pointerColumn_;   // where the drag went since the last seek
    bool quit_ = false;
    std::chrono::steady_clock::time_point anchorTime_;
    uint64_t anchorFrame_ = 0;
    double seekSeconds_ = 0.0, reloadSeconds_ = 0.0;
    uint64_t seeks_ = 0;
    bool collecting_ = false;             // the log's ERROR lines are being kept
    std::vector<std::string> logErrors_;  // the distinct ones, the latest last
};

}  // namespace velmora::tools
