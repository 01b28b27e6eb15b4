#include "qxcheck/show_timeline.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "qxcheck/check_report.h"
#include "state/action.h"

namespace velmora::tools {

namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();

// Black stretches shorter than this are pauses a show makes on purpose (a cut
// to black between scenes, a moment before its textures are given back at
// the end), and the player pauses a second after every show besides.
constexpr double kLeastBlackStretch = 1000.0;

bool HasFrames(const std::vector<SceneLength>& scenes, int index) {
    return index >= 0 && static_cast<size_t>(index) < scenes.size() && scenes[index].frameCount > 0;
}

// The moment a scene's playback started by play is over, by the stop and
// unload actions and its length; infinity for a loop never stopped.
// endings holds each scene's stop and unload times, sorted.
double PlaybackEnd(const ActionRecord& play, const std::map<int, std::vector<int32_t>>& endings,
                   const std::vector<SceneLength>& scenes) {
    const int index = static_cast<int>(play.argument);
    double end = kForever;
    if (play.type == kActionPlayScene && HasFrames(scenes, index) && scenes[index].framesPerSecond > 0.0f)
        end = play.time + scenes[index].frameCount / scenes[index].framesPerSecond * 1000.0;
    auto ending = endings.find(index);
    if (ending != endings.end()) {
        auto first = std::lower_bound(ending->second.begin(), ending->second.end(), play.time);
        if (first != ending->second.end()) end = std::min(end, static_cast<double>(*first));
    }
    if (!HasFrames(scenes, index)) end = play.time;  // nothing to draw
    return end;
}

// The first whole millisecond at which a playback from start is past its
// last frame, as the timeline computes a scene's frame from the clock.
double NaturalEnd(int32_t start, int32_t frameCount, float framesPerSecond) {
    const double exact = start + frameCount / static_cast<double>(framesPerSecond) * 1000.0;
    if (!(exact < 4e9)) return kForever;
    int64_t t = std::max<int64_t>(start, static_cast<int64_t>(std::floor(exact)) - 3);
    while (static_cast<float>((t - start) / 1000.0 * framesPerSecond) < static_cast<float>(frameCount)) ++t;
    return static_cast<double>(t);
}

// The stretch in whole milliseconds in which a playback draws: from its start
// to its natural end, or to the first stop or unload of its scene from then
// on; empty when the scene has nothing to draw.
double DrawnUntil(const ActionRecord& play, const std::map<int, std::vector<int32_t>>& endings,
                  const std::vector<SceneLength>& scenes) {
    const int index = static_cast<int>(play.argument);
    if (!HasFrames(scenes, index)) return play.time;
    double end = kForever;
    if (play.type == kActionPlayScene && scenes[index].framesPerSecond > 0.0f)
        end = NaturalEnd(play.time, scenes[index].frameCount, scenes[index].framesPerSecond);
    auto ending = endings.find(index);
    if (ending != endings.end()) {
        auto first = std::lower_bound(ending->second.begin(), ending->second.end(), play.time);
        if (first != ending->second.end()) end = std::min(end, static_cast<double>(*first));
    }
    return end;
}

bool IsPlay(const ActionRecord& a) { return a.type == kActionPlayScene || a.type == kActionPlaySceneLooped; }

// Each action's own end, a hold's included.
double EndOf(const ActionRecord& a) { return a.time + (a.type == kActionHold ? a.argument : 0.0); }

// A stretch of time in which the picture is a scene's or a hold's.
struct Covered {
    double start, end;
    int line;
    bool hold;
};

class TimelineCheck {
public:
    TimelineCheck(const std::vector<TimedAction>& timed, const std::vector<SceneLength>& scenes)
        : timed_(timed), scenes_(scenes) {
        for (const TimedAction& t : timed)
            if (t.action.type == kActionStopScene || t.action.type == kActionUnloadScene)
                endings_[static_cast<int>(t.action.argument)].push_back(t.action.time);
        for (auto& [index, times] : endings_) std::sort(times.begin(), times.end());
        for (const TimedAction& t : timed)
            if (IsPlay(t.action)) sceneEnd_ = std::max(sceneEnd_, PlaybackEnd(t.action, endings_, scenes));
    }

    std::vector<TimelineWarning> Run() {
        const size_t late = CheckLateTimes();
        CheckBlackStretches(late);
        return std::move(warnings_);
    }

private:
    // The action later than everything else, warned at its line; its index
    // in timed, or timed.size() for none.
    size_t CheckLateTimes() {
        if (std::isinf(sceneEnd_)) return timed_.size();  // a loop keeps the show running
        // The latest end of all the others is the largest, or the second
        // largest for the largest itself.
        double largest = -kForever, second = largest;
        size_t largestAt = timed_.size();
        for (size_t j = 0; j < timed_.size(); ++j) {
            const double e = EndOf(timed_[j].action);
            if (e > largest) {
                second = largest;
                largest = e;
                largestAt = j;
            } else if (e > second) {
                second = e;
            }
        }
        size_t found = timed_.size();
        for (size_t i = 0; i < timed_.size(); ++i) {
            const double others = std::max(sceneEnd_, i == largestAt ? second : largest);
            const ActionRecord& a = timed_[i].action;
            if (a.time > others) {
                found = i;
                warnings_.push_back(
                    {timed_[i].line,
                     Format("%s is later than everything else in the show, which is over at %s: the player "
                            "shows a black screen until then",
                            Seconds(a.time).c_str(), Seconds(static_cast<int32_t>(others)).c_str())});
                lateWarning_ = warnings_.size() - 1;
            }
        }
        return found;
    }

    // Both in whole milliseconds: the picture is black from from up to until.
    static double BlackLength(double from, double until) { return until - from; }

    void CheckBlackStretches(size_t late) {
        std::vector<Covered> covered;
        double showEnd = 0.0;
        for (const TimedAction& t : timed_) {
            const ActionRecord& a = t.action;
            showEnd = std::max(showEnd, EndOf(a));
            if (IsPlay(a)) {
                const double end = DrawnUntil(a, endings_, scenes_);
                showEnd = std::max(showEnd, end);
                if (end > a.time) covered.push_back({static_cast<double>(a.time), end, t.line, false});
            } else if (a.type == kActionHold && a.argument > 0.0f) {
                // A hold freezes the picture there was: not a black stretch
                // of the timeline's making.
                covered.push_back({static_cast<double>(a.time), EndOf(a), t.line, true});
            }
        }
        if (timed_.empty()) return;
        std::stable_sort(covered.begin(), covered.end(), [](const Covered& a, const Covered& b) {
            return a.start < b.start || (a.start == b.start && a.line < b.line);
        });
        double cursor = 0.0;  // the picture is a scene's or a hold's up to here
        bool started = false;
        for (const Covered& c : covered) {
            if (c.start > cursor && BlackLength(cursor, c.start) >= kLeastBlackStretch) {
                const std::string from = started ? Seconds(cursor) : "the start of the show";
                warnings_.push_back({c.line, Format("no scene plays from %s until this line's %s at %s: %s of "
                                                    "black screen",
                                                    from.c_str(), c.hold ? "hold" : "play",
                                                    Seconds(c.start).c_str(),
                                                    Seconds(BlackLength(cursor, c.start)).c_str())});
            }
            cursor = std::max(cursor, c.end);
            started = true;
        }
        if (std::isinf(showEnd) || std::isinf(cursor)) return;
        const bool longBlack = BlackLength(cursor, showEnd) >= kLeastBlackStretch;
        // The actions that keep the show going past its last picture.
        std::vector<int> lines;
        size_t last = timed_.size();
        for (size_t i = 0; i < timed_.size(); ++i) {
            if (!(EndOf(timed_[i].action) > cursor)) continue;
            lines.push_back(timed_[i].line);
            if (last == timed_.size() || EndOf(timed_[i].action) >= EndOf(timed_[last].action)) last = i;
        }
        if (last == timed_.size() || BlackLength(cursor, showEnd) < 1.0) return;
        const std::string length = Seconds(BlackLength(cursor, showEnd));
        if (lines.size() == 1 && late == last && lateWarning_ < warnings_.size()) {
            // The one late action is warned already, however short the
            // stretch: it says how long.
            std::string& text = warnings_[lateWarning_].text;
            text.insert(text.size() - std::string(" until then").size(), " for " + length);
            return;
        }
        if (!longBlack) return;
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        std::string from = started ? Seconds(cursor) : "the start of the show";
        warnings_.push_back(
            {timed_[last].line,
             Format("no scene plays from %s to the end of the show at %s: %s of black screen, kept going by %zu "
                    "action%s after the last scene's end (%s)",
                    from.c_str(), Seconds(showEnd).c_str(), length.c_str(), lines.size(),
                    lines.size() == 1 ? "" : "s", LineList(lines).c_str())});
    }

    const std::vector<TimedAction>& timed_;
    const std::vector<SceneLength>& scenes_;
    std::map<int, std::vector<int32_t>> endings_;
    double sceneEnd_ = 0.0;
    std::vector<TimelineWarning> warnings_;
    size_t lateWarning_ = static_cast<size_t>(-1);
};

}  // namespace

std::vector<TimelineWarning> CheckTimeline(const std::vector<TimedAction>& timed,
                                           const std::vector<SceneLength>& scenes) {
    return TimelineCheck(timed, scenes).Run();
}

}  // namespace velmora::tools
