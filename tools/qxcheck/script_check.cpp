#include "qxcheck/script_check.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "data/data_archive.h"
#include "diag/log.h"
#include "music/music_player.h"
#include "scene/scene.h"
#include "show/free_show.h"
#include "show/play_script.h"
#include "show/script_grammar.h"
#include "state/engine_state.h"
#include "texture/texture_cache.h"
#include "texture/texture_container.h"

namespace velmora::tools {

namespace {

// One line of the text as the reader sees it: where it starts, where its line
// end starts and where the next line starts.
struct TextLine {
    int32_t start = 0;
    int32_t contentEnd = 0;
    int32_t next = 0;
    bool lfAlone = false;  // ended by LF with no CR before it
};

std::vector<TextLine> SplitLines(const uint8_t* data, int32_t size) {
    std::vector<TextLine> lines;
    int32_t start = 0;
    for (int32_t i = 0; i < size; ++i) {
        if (data[i] != '\n') continue;
        bool cr = i > start && data[i - 1] == '\r';
        lines.push_back({start, cr ? i - 1 : i, i + 1, !cr});
        start = i + 1;
    }
    if (start < size) lines.push_back({start, size, size, false});
    return lines;
}

struct ActionRecord {
    int32_t time;
    int32_t type;
    float argument;
    bool operator==(const ActionRecord&) const = default;
};

struct CameraState {
    std::string name;
    int32_t blur = 1;
    std::vector<float> blend;
    std::vector<int32_t> ambient;
};

struct ObjectState {
    std::string name;
    int32_t shade = 0, overlay = 0, cull = 0;
};

struct SceneState {
    std::string fileName;
    int32_t frameCount = 0;
    float fps = 0.0f;
    std::vector<CameraState> cameras;
    std::vector<int32_t> order;
    std::vector<ObjectState> objects;
};

struct ShowState {
    int localPath = 0;
    int32_t sceneCount = 0;
    int32_t musicCount = 0;
    std::vector<SceneState> scenes;
    std::vector<std::string> music;
};

std::string Text(const char* s) { return s ? s : ""; }

// The run state a line may change. The scenes' per-frame values are taken
// only when asked for: copied for every line, they would make the check of a
// long script slow.
ShowState Snapshot(bool withScenes) {
    ShowState state;
    state.localPath = localPath;
    state.sceneCount = sceneCount;
    state.musicCount = musicTrackCount;
    for (int32_t i = 0; withScenes && i < sceneCount && scenes; ++i) {
        const Scene& s = scenes[i];
        SceneState scene;
        scene.fileName = Text(s.fileName);
        scene.frameCount = s.frameCount;
        scene.fps = s.framesPerSecond;
        for (int32_t c = 0; c < s.cameraCount && s.frameCount > 0; ++c) {
            const SceneCamera& camera = s.cameras[c];
            CameraState cs;
            cs.name = Text(camera.name);
            cs.blur = camera.blurFrames;
            cs.blend.assign(camera.frameBlend, camera.frameBlend + s.frameCount);
            cs.ambient.assign(camera.frameExtraAmbient, camera.frameExtraAmbient + s.frameCount);
            scene.cameras.push_back(std::move(cs));
            scene.order.push_back(s.cameraOrder[c]);
        }
        for (int32_t o = 0; o < s.objectCount; ++o)
            scene.objects.push_back({Text(s.objects[o].name), s.objects[o].shadeMode,
                                     s.objects[o].overlay, s.objects[o].cullBackfaces});
        state.scenes.push_back(std::move(scene));
    }
    for (int32_t i = 0; i < musicTrackCount && musicTracks; ++i)
        state.music.push_back(Text(musicTracks[i].fileName));
    return state;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    return buffer;
}

std::string Seconds(int32_t milliseconds) { return Format("%.3f s", milliseconds / 1000.0); }

std::string DescribeAction(const ActionRecord& a) {
    const int index = static_cast<int>(a.argument) + 1;
    switch (a.type) {
        case kActionPlayScene: return Format("at %s: play scene %d once", Seconds(a.time).c_str(), index);
        case kActionPlaySceneLooped: return Format("at %s: play scene %d looped", Seconds(a.time).c_str(), index);
        case kActionPlayMusic: return Format("at %s: play music track %d", Seconds(a.time).c_str(), index);
        case kActionStopMusic: return Format("at %s: stop music track %d", Seconds(a.time).c_str(), index);
        case kActionHold:
            return Format("at %s: hold the show for %.0f ms", Seconds(a.time).c_str(),
                          static_cast<double>(a.argument));
        case kActionUnloadScene: return Format("at %s: unload scene %d", Seconds(a.time).c_str(), index);
        case kActionStopScene: return Format("at %s: stop scene %d", Seconds(a.time).c_str(), index);
        case kActionPreloadTextures:
            return Format("at %s: preload the textures of scene %d", Seconds(a.time).c_str(), index);
        case kActionReleaseTextures:
            return Format("at %s: release the textures of scene %d", Seconds(a.time).c_str(), index);
    }
    return Format("at %s: action %d", Seconds(a.time).c_str(), a.type);
}

std::string NameList(const std::vector<std::string>& names) {
    if (names.empty()) return "none";
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list;
}

// What the bytes at a line's start name: the chunk and key the reader compares.
struct LineKind {
    std::string name;     // as a show maker writes it, e.g. "[QX3][Camera]"
    bool comment = false;
    bool knownChunk = false;
    bool knownKey = false;
    bool count = false;   // a "[00]" count line
    int32_t valueAt = 0;  // where a count line's digits begin
    int index = -1;       // the 0-based scene or track a line names
    std::string chunk, key;
};

LineKind Classify(const MemoryFile& file, int32_t start) {
    auto at = [&](int32_t offset, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) {
            int64_t p = static_cast<int64_t>(start) + offset + i;
            s += p < file.size ? static_cast<char>(file.data[p]) : '\0';
        }
        return s;
    };
    LineKind kind;
    kind.chunk = at(0, kScriptChunkLength);
    if (kind.chunk[0] == '\'') {
        kind.comment = kind.knownChunk = kind.knownKey = true;
        kind.name = "comment";
        return kind;
    }
    const ScriptChunkName* chunk = FindScriptChunk(kind.chunk.c_str());
    if (!chunk) return kind;
    kind.knownChunk = true;
    kind.name = chunk->written;
    int32_t keyAt = kScriptChunkLength + chunk->skipped;
    if (chunk->tagged) {
        const std::string tag = at(keyAt, kScriptTagLength);
        kind.index = std::atoi(tag.c_str() + 1) - 1;
        if (tag == "[00]") {
            kind.count = kind.knownKey = true;
            kind.valueAt = start + keyAt + kScriptTagLength + 1;
            kind.name += tag;
            return kind;
        }
        keyAt += kScriptTagLength;
    }
    kind.key = at(keyAt, kScriptKeyLength);
    if (const ScriptKeyName* key = FindScriptKey(chunk->chunk, kind.key.c_str())) {
        kind.knownKey = true;
        kind.name += key->written;
    }
    return kind;
}

// Whether the line, as the reader takes it, may change a scene: anything but a
// comment, an engine or music line and the scene chunk's timed keys.
bool MayChangeScenes(const LineKind& kind) {
    if (kind.comment) return false;
    if (!kind.knownChunk || !kind.knownKey) return true;
    for (const char* name : {"[QX3][Play]", "[QX3][Stop]", "[QX3][Unload]", "[QX3][PreLoad]",
                             "[QX3][Release]"})
        if (kind.name == name) return false;
    return kind.name.rfind("[QX3]", 0) == 0;
}

// Printable form of characters the reader took, for messages.
std::string Shown(const std::string& s) {
    std::string shown;
    for (char c : s) {
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n";
        else if (c == '\0') shown += "(end)";
        else if (static_cast<unsigned char>(c) < 32) shown += Format("\\x%02x", c & 0xff);
        else shown += c;
    }
    return shown;
}

// A scene's cameras, objects and counts once it is loaded.
std::string DescribeLoaded(const SceneState& scene, int index) {
    std::vector<std::string> cameras, objects;
    for (const CameraState& c : scene.cameras) cameras.push_back(c.name);
    for (const ObjectState& o : scene.objects) objects.push_back(o.name);
    return Format("scene %d loaded from %s: %d frames; cameras: %s; objects: %s", index + 1,
                  scene.fileName.c_str(), scene.frameCount, NameList(cameras).c_str(),
                  NameList(objects).c_str());
}

const char* ShadeName(int32_t mode) {
    return mode == 1 ? "flat" : mode == 2 ? "Gouraud" : mode == 3 ? "Phong" : "unknown";
}

class Checker : public ScriptLineWatch {
public:
    Checker(ScriptCheck& check, std::string logPath) : check(check), logPath(std::move(logPath)) {}

    void LineBegins(const MemoryFile& file, int32_t position) override {
        if (text.empty() && file.size > 0) text = SplitLines(file.data, file.size);
        begin = position;
        withScenes = MayChangeScenes(Classify(file, position));
        before = Snapshot(withScenes);
        added.clear();
        logOffset = LogSize();
    }

    void ActionAdded(const Action& action) override {
        added.push_back({action.time, action.type, action.argument});
    }

    void LineEnds(const MemoryFile& file, int32_t position) override {
        ShowState after = Snapshot(withScenes);
        int line = LineAt(begin);
        starts.push_back(begin);
        const TextLine* t = line > 0 ? &text[line - 1] : nullptr;
        // The reader's last skip stops short of the end of the data, so the
        // last line's leftover characters are read as one more chunk name:
        // harmless, and no fault of the script.
        if (t && begin != t->start && IsLastLine(line) && lastLineRead == line) return;
        lastLineRead = line;
        LineKind kind = Classify(file, begin);
        const bool midLine = t && begin != t->start;
        if (midLine && outOfStep.insert(line).second)
            Warn(line, Format("read out of step: the reader starts at column %d, inside the line, "
                              "where the line before left it",
                              begin - t->start + 1));
        if (midLine && !kind.knownChunk) {
            Note(line, Format("\"%s\" taken as a chunk name and dropped", Shown(kind.chunk).c_str()));
        } else if (!kind.knownChunk) {
            Warn(line, Format("unknown chunk \"%s\": the player skips these five characters and "
                              "reads on right after them",
                              Shown(kind.chunk).c_str()));
        } else if (!kind.knownKey) {
            Warn(line, Format("unknown key \"%s\" in a %s line: the player ignores it and reads "
                              "on right after it",
                              Shown(kind.key).c_str(), kind.name.c_str()));
        } else if (kind.comment) {
            Note(line, "comment");
        } else {
            Note(line, kind.name);
        }
        if (kind.count) CheckCount(file, line, kind);
        ReadLog(line);
        DescribeChanges(line, kind, after);
        // Lines this reader line ran over without starting them.
        for (size_t i = static_cast<size_t>(line); i < text.size() && text[i].start < position; ++i)
            swallowedBy[static_cast<int>(i) + 1] = line;
    }

    // Whole-script checks once the reader is done.
    void Finish(bool lfOnly, bool crOnly, const std::vector<TextLine>& rawLines) {
        if (crOnly)
            Warn(1, "the script's lines end with CR alone: the player takes the character after "
                    "each CR for the LF of CR LF and reads every later line out of step; save it "
                    "with CR LF");
        else if (lfOnly && !rawLines.empty())
            Warn(1, "the script's lines end with LF alone: the player reads each LF as CR LF, "
                    "but one CR anywhere in the file would end that; save it with CR LF");
        else
            for (size_t i = 0; i < rawLines.size(); ++i)
                if (rawLines[i].lfAlone)
                    Warn(static_cast<int>(i) + 1, "ends with LF alone while other lines end with "
                                                  "CR LF: the player reads the next line out of step");
        std::sort(starts.begin(), starts.end());
        for (size_t i = 0; i < text.size(); ++i) {
            const int line = static_cast<int>(i) + 1;
            if (text[i].start == text[i].contentEnd)
                Warn(line, "blank line: the player reads it as a chunk name and takes the start "
                           "of the next line with it");
            if (std::binary_search(starts.begin(), starts.end(), text[i].start)) continue;
            if (outOfStep.count(line)) continue;
            auto by = swallowedBy.find(line);
            if (by != swallowedBy.end())
                Warn(line, Format("not read as a line of its own: the reader ran into it from "
                                  "line %d",
                                  by->second));
            else
                Warn(line, "not read as a line of its own");
        }
        CheckCameraWindows();
        CheckLateTimes();
    }

private:
    void Note(int line, const std::string& s) {
        check.findings.push_back({std::max(line, 1), false, s});
    }
    void Warn(int line, const std::string& s) {
        check.findings.push_back({std::max(line, 1), true, s});
        ++check.warnings;
    }

    // The last line that starts at or before position; 0 for none.
    int LineAt(int32_t position) const {
        auto after = std::upper_bound(text.begin(), text.end(), position,
                                      [](int32_t p, const TextLine& t) { return p < t.start; });
        return static_cast<int>(after - text.begin());
    }
    bool IsLastLine(int line) const { return static_cast<size_t>(line) == text.size(); }

    // The player's log, held open from the first line it has: the player
    // appends a line at a time, and this reads on from where a line began.
    std::ifstream* Log() {
        if (!log.is_open()) log.open(logPath, std::ios::binary);
        if (!log.is_open()) return nullptr;
        log.clear();
        return &log;
    }

    long LogSize() {
        std::ifstream* file = Log();
        if (!file || !file->seekg(0, std::ios::end)) return 0;
        return static_cast<long>(file->tellg());
    }

    void CheckCount(const MemoryFile& file, int line, const LineKind& kind) {
        int32_t p = kind.valueAt;
        std::string digits;
        while (p < file.size && file.data[p] >= '0' && file.data[p] <= '9')
            digits += static_cast<char>(file.data[p++]);
        if (digits.size() > 2)
            Warn(line, Format("count %s has more than two digits: the player takes %s and reads "
                              "the rest as the next line",
                              digits.c_str(), digits.substr(0, 2).c_str()));
    }

    void DescribeChanges(int line, const LineKind& kind, const ShowState& after) {
        if (kind.name == "[Engine][Local path]")
            Note(line, after.localPath ? "local paths on: names lose their directory part"
                                       : "local paths off: names keep their directory part");
        if (kind.count && kind.name == "[QX3][00]") Note(line, Format("%d scene%s", after.sceneCount, after.sceneCount == 1 ? "" : "s"));
        if (kind.count && kind.name == "[Music][00]")
            Note(line, Format("%d music track%s", after.musicCount, after.musicCount == 1 ? "" : "s"));
        for (const ActionRecord& a : added) {
            Note(line, DescribeAction(a));
            timed.push_back({a, line});
        }
        for (size_t i = 0; i < after.music.size(); ++i)
            if (i >= before.music.size() || before.music[i] != after.music[i])
                if (!after.music[i].empty())
                    Note(line, Format("music track %zu: %s", i + 1, after.music[i].c_str()));
        if (after.sceneCount != before.sceneCount) return;
        if (kind.name == "[QX3][Load]" && kind.index >= 0 &&
            static_cast<size_t>(kind.index) < after.scenes.size() &&
            after.scenes[kind.index].frameCount <= 0 && !after.scenes[kind.index].fileName.empty())
            Warn(line, Format("scene %d could not be read from %s: it stays empty", kind.index + 1,
                              after.scenes[kind.index].fileName.c_str()));
        for (size_t i = 0; i < after.scenes.size() && i < before.scenes.size(); ++i)
            DescribeScene(line, static_cast<int>(i), before.scenes[i], after.scenes[i]);
    }

    void DescribeScene(int line, int index, const SceneState& was, const SceneState& now) {
        if (now.fileName != was.fileName && now.frameCount == was.frameCount)
            Note(line, Format("scene %d file: %s", index + 1, now.fileName.c_str()));
        if (now.frameCount != was.frameCount) {
            if (now.frameCount > 0) {
                Note(line, DescribeLoaded(now, index));
                loadLine[index] = line;
                CheckTextures(line, index);
            }
            return;
        }
        if (now.fps != was.fps)
            Note(line, Format("scene %d plays at %g frames a second", index + 1,
                              static_cast<double>(now.fps)));
        for (size_t c = 0; c < now.cameras.size() && c < was.cameras.size(); ++c) {
            const CameraState& a = was.cameras[c];
            const CameraState& b = now.cameras[c];
            int32_t first = -1, last = -1;
            float low = std::numeric_limits<float>::max(), high = -low;
            for (size_t f = 0; f < b.blend.size(); ++f)
                if (b.blend[f] != a.blend[f] || b.ambient[f] != a.ambient[f]) {
                    if (first < 0) first = static_cast<int32_t>(f);
                    last = static_cast<int32_t>(f);
                    low = std::min(low, b.blend[f]);
                    high = std::max(high, b.blend[f]);
                }
            if (first >= 0)
                Note(line, Format("scene %d camera %s: frames %d to %d changed, blend %.3f to %.3f "
                                  "(above 1: drawn additively), extra ambient %d",
                                  index + 1, b.name.c_str(), first, last, static_cast<double>(low),
                                  static_cast<double>(high), b.ambient[first]));
            if (a.blur != b.blur)
                Note(line, Format("scene %d camera %s: a trail of %d frames", index + 1,
                                  b.name.c_str(), b.blur));
        }
        if (now.order != was.order) {
            std::vector<std::string> names;
            for (int32_t c : now.order)
                names.push_back(c >= 0 && static_cast<size_t>(c) < now.cameras.size()
                                    ? now.cameras[c].name
                                    : "?");
            Note(line, Format("scene %d cameras drawn in the order %s", index + 1,
                              NameList(names).c_str()));
        }
        for (size_t o = 0; o < now.objects.size() && o < was.objects.size(); ++o) {
            const ObjectState& a = was.objects[o];
            const ObjectState& b = now.objects[o];
            if (a.shade != b.shade)
                Note(line, Format("scene %d object %s: %s shading", index + 1, b.name.c_str(),
                                  ShadeName(b.shade)));
            if (a.overlay != b.overlay)
                Note(line, Format("scene %d object %s: overlay %s", index + 1, b.name.c_str(),
                                  b.overlay ? "on" : "off"));
            if (a.cull != b.cull)
                Note(line, Format("scene %d object %s: back faces %s", index + 1, b.name.c_str(),
                                  b.cull ? "hidden" : "drawn"));
        }
    }

    // Each texture looked up the way the player opens it, and, when it is
    // there, whether the texture cache could take it.
    void CheckTextures(int line, int index) {
        const Scene& scene = scenes[index];
        for (int32_t d = 0; d < scene.drawStyleCount; ++d) {
            const char* name = scene.drawStyles[d].textureName;
            if (!name || !*name) continue;
            MemoryFile* file = OpenDataFile(name);
            if (!file) {
                Warn(line, Format("scene %d: texture %s is in neither the archive nor the folder",
                                  index + 1, name));
                continue;
            }
            if (!FindTexture(name))
                Warn(line, Format("scene %d: texture %s is not drawn: %s", index + 1, name,
                                  WhyTextureRefused(name, *file).c_str()));
            MemClose(file);
        }
    }

    static std::string WhyTextureRefused(const std::string& name, const MemoryFile& file) {
        if (name.size() >= static_cast<size_t>(kTextureNameSize))
            return Format("its name is longer than %d characters", kTextureNameSize - 1);
        ImageFormat format;
        if (!ImageFormatOfName(name.c_str(), &format))
            return "the player reads only .bmp, .tga, .jpg, .png and .pcx files";
        if (const char* fault = ImageHeaderFault(format, file.data, file.size)) return fault;
        return "the image data is damaged: its format's decoder stops in it";
    }

    // The player's own refusals, as it logs them while reading the line.
    void ReadLog(int line) {
        std::ifstream* file = Log();
        if (!file || !file->seekg(logOffset)) return;
        std::string entry;
        while (std::getline(*file, entry)) {
            if (!entry.empty() && entry.back() == '\r') entry.pop_back();
            if (entry.rfind("ERROR:", 0) != 0) continue;
            // CheckTextures tells why a texture was not read, in terms a show
            // maker can act on.
            if (entry.find("Texture NOT read") != std::string::npos) continue;
            // A file missing from the archive may lie on disk; the scene and
            // texture checks tell when it is in neither place.
            if (entry.find("file not found in datafile") != std::string::npos) continue;
            if (entry.find("QX3file NOT opend") != std::string::npos) continue;
            std::string message = entry.substr(6);
            message.erase(0, message.find_first_not_of('\t'));
            std::replace(message.begin(), message.end(), '\t', ' ');
            if (message.find("camera not found") != std::string::npos ||
                message.find("object not found") != std::string::npos) {
                std::string name = message.substr(0, message.find(' '));
                bool camera = message.find("camera not found") != std::string::npos;
                Warn(line, Format("%s matches no %s of the scene: the line does nothing",
                                  name.c_str(), camera ? "camera" : "object"));
            } else {
                Warn(line, "the player refuses: " + message);
            }
        }
    }

    void CheckCameraWindows() {
        for (const auto& [index, line] : loadLine) {
            if (index >= sceneCount || !scenes || scenes[index].frameCount <= 0) continue;
            const Scene& scene = scenes[index];
            bool seen = false;
            for (int32_t c = 0; c < scene.cameraCount && !seen; ++c)
                for (int32_t f = 0; f < scene.frameCount && !seen; ++f)
                    seen = scene.cameras[c].frameBlend[f] >= 0.0f;
            if (!seen)
                Warn(line, Format("scene %d has no camera window: no camera line opens a camera "
                                  "in any frame, so it plays invisibly",
                                  index + 1));
        }
    }

    // The moment a scene's playback started at start is over, by the stop and
    // unload actions and its length; infinity for a loop never stopped.
    // endings holds each scene's stop and unload times, sorted.
    double PlaybackEnd(const ActionRecord& play,
                       const std::map<int, std::vector<int32_t>>& endings) const {
        const int index = static_cast<int>(play.argument);
        double end = std::numeric_limits<double>::infinity();
        if (play.type == kActionPlayScene && index >= 0 && index < sceneCount && scenes &&
            scenes[index].framesPerSecond > 0.0f)
            end = play.time + scenes[index].frameCount / scenes[index].framesPerSecond * 1000.0;
        auto ending = endings.find(index);
        if (ending != endings.end()) {
            auto first = std::lower_bound(ending->second.begin(), ending->second.end(), play.time);
            if (first != ending->second.end()) end = std::min(end, static_cast<double>(*first));
        }
        if (index < 0 || index >= sceneCount || !scenes || scenes[index].frameCount <= 0)
            end = play.time;  // nothing to draw
        return end;
    }

    void CheckLateTimes() {
        std::map<int, std::vector<int32_t>> endings;
        for (const auto& [a, line] : timed)
            if (a.type == kActionStopScene || a.type == kActionUnloadScene)
                endings[static_cast<int>(a.argument)].push_back(a.time);
        for (auto& [index, times] : endings) std::sort(times.begin(), times.end());
        double sceneEnd = 0.0;
        for (const auto& [a, line] : timed)
            if (a.type == kActionPlayScene || a.type == kActionPlaySceneLooped)
                sceneEnd = std::max(sceneEnd, PlaybackEnd(a, endings));
        if (std::isinf(sceneEnd)) return;  // a loop keeps the show running
        // Each action's own end, a hold's included; the latest of all the
        // others is the largest, or the second largest for the largest itself.
        auto endOf = [](const ActionRecord& b) {
            return b.time + (b.type == kActionHold ? b.argument : 0.0);
        };
        double largest = -std::numeric_limits<double>::infinity(), second = largest;
        size_t largestAt = timed.size();
        for (size_t j = 0; j < timed.size(); ++j) {
            const double e = endOf(timed[j].first);
            if (e > largest) {
                second = largest;
                largest = e;
                largestAt = j;
            } else if (e > second) {
                second = e;
            }
        }
        for (size_t i = 0; i < timed.size(); ++i) {
            const double others = std::max(sceneEnd, i == largestAt ? second : largest);
            const ActionRecord& a = timed[i].first;
            if (a.time > others)
                Warn(timed[i].second,
                     Format("%s is later than everything else in the show, which is over at %s: "
                            "the player shows a black screen until then",
                            Seconds(a.time).c_str(), Seconds(static_cast<int32_t>(others)).c_str()));
        }
    }

    ScriptCheck& check;
    std::string logPath;
    std::ifstream log;
    std::vector<TextLine> text;
    std::vector<int32_t> starts;
    std::map<int, int> swallowedBy;
    std::set<int> outOfStep;  // lines the reader entered in their middle
    std::map<int, int> loadLine;
    std::vector<std::pair<ActionRecord, int>> timed;
    ShowState before;
    bool withScenes = true;            // whether this line's snapshots hold the scenes
    std::vector<ActionRecord> added;   // the actions this line put on the timeline
    int32_t begin = 0;
    long logOffset = 0;
    int lastLineRead = 0;
};

}  // namespace

bool CheckPlayScript(const std::string& scriptName, ScriptCheck& check, std::string& error) {
    check = ScriptCheck{};
    std::vector<char> name(scriptName.begin(), scriptName.end());
    name.push_back('\0');
    MemoryFile* raw = OpenDataFile(name.data());
    if (!raw) {
        error = scriptName + " is in neither the archive nor the folder";
        return false;
    }
    const bool hasCr = raw->size > 0 && std::memchr(raw->data, '\r', raw->size);
    const bool hasLf = raw->size > 0 && std::memchr(raw->data, '\n', raw->size);
    std::vector<TextLine> rawLines = raw->size > 0 ? SplitLines(raw->data, raw->size) : std::vector<TextLine>{};
    for (const TextLine& line : rawLines)
        check.lines.emplace_back(reinterpret_cast<const char*>(raw->data) + line.start,
                                 static_cast<size_t>(line.contentEnd - line.start));
    MemClose(raw);

    // The player's log, for its refusals, goes to a folder of the checker's own.
    char folder[] = "/tmp/qxcheck.XXXXXX";
    const std::string tmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    std::string pattern = (tmp.empty() ? std::string("/tmp") : tmp) + "/qxcheck.XXXXXX";
    std::vector<char> made(pattern.begin(), pattern.end());
    made.push_back('\0');
    char* directory = mkdtemp(made.data());
    if (!directory) directory = mkdtemp(folder);
    if (!directory) {
        error = "no temporary folder for the player's log";
        return false;
    }
    char savedDirectory[kExeDirectorySize];
    std::memcpy(savedDirectory, exeDirectory, sizeof savedDirectory);
    const int savedLog = logEnabled;
    const int savedLocalPath = localPath;
    std::snprintf(exeDirectory, sizeof exeDirectory, "%s/", directory);
    logEnabled = 1;
    const std::string logPath = std::string(directory) + "/Log.TXT";

    FreeShow();
    Checker checker(check, logPath);
    WatchScriptLines(&checker);
    ReadPlayScript(name.data(), nullptr);
    WatchScriptLines(nullptr);
    checker.Finish(hasLf && !hasCr, hasCr && !hasLf, rawLines);
    FreeShow();

    std::memcpy(exeDirectory, savedDirectory, sizeof exeDirectory);
    logEnabled = savedLog;
    localPath = savedLocalPath;
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
    std::stable_sort(check.findings.begin(), check.findings.end(),
                     [](const ScriptFinding& a, const ScriptFinding& b) { return a.line < b.line; });
    return true;
}

std::string FormatScriptCheck(const ScriptCheck& check) {
    std::ostringstream out;
    size_t next = 0;
    const int lineCount = static_cast<int>(check.lines.size());
    for (int line = 1; line <= lineCount || next < check.findings.size(); ++line) {
        if (line <= lineCount) out << line << ": " << Shown(check.lines[line - 1]) << "\n";
        for (; next < check.findings.size() && check.findings[next].line == line; ++next) {
            const ScriptFinding& f = check.findings[next];
            if (f.warning)
                out << "    warning: line " << line << ": " << f.text << "\n";
            else
                out << "    " << f.text << "\n";
        }
    }
    if (check.warnings == 0)
        out << "no warnings\n";
    else
        out << check.warnings << (check.warnings == 1 ? " warning\n" : " warnings\n");
    return out.str();
}

}  // namespace velmora::tools
