// The checker proper: a watch on the player's reader that, line by line,
// compares the show's state before and after (show_snapshot), names the line
// from the engine's grammar (script_lines), reads the player's own refusals
// from its log and, once the script is read, checks the whole timeline
// (show_timeline). The words of the report are in check_report.
#include "qxcheck/script_check.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <set>

#include "data/data_archive.h"
#include "diag/log.h"
#include "qxcheck/check_report.h"
#include "qxcheck/script_lines.h"
#include "qxcheck/show_snapshot.h"
#include "qxcheck/show_timeline.h"
#include "scene/scene.h"
#include "show/free_show.h"
#include "show/play_script.h"
#include "show/script_grammar.h"
#include "state/engine_state.h"
#include "texture/texture_cache.h"
#include "texture/texture_container.h"

namespace velmora::tools {

namespace {

// The frames a camera line fades over, as the reader applies them: in from
// BEGIN to BEGIN + FADEIN, out over the FADEOUT - 1 frames before END; both
// only where the scene has frames. Empty when the line fades neither way.
std::string DescribeFades(const CameraLineValues& v, int32_t frameCount) {
    auto range = [&](int64_t first, int64_t last) {
        first = std::max<int64_t>(first, 0);
        last = std::min<int64_t>(last, static_cast<int64_t>(frameCount) - 1);
        return first <= last ? Format("frames %lld to %lld", static_cast<long long>(first),
                                      static_cast<long long>(last))
                             : std::string();
    };
    const std::string in = v.fadeIn > 0 ? range(v.begin, v.begin + v.fadeIn) : "";
    const std::string out = v.fadeOut > 1 ? range(v.end - v.fadeOut + 1, v.end - 1) : "";
    if (!in.empty() && !out.empty()) return "; fading in over " + in + ", out over " + out;
    if (!in.empty()) return "; fading in over " + in;
    if (!out.empty()) return "; fading out over " + out;
    return "";
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
        ReadLog(line, kind);
        DescribeChanges(file, line, kind, after);
        // Lines this reader line ran over without starting them; a count
        // line among them leaves its chunk without slots.
        for (size_t i = static_cast<size_t>(line); i < text.size() && text[i].start < position; ++i) {
            swallowedBy[static_cast<int>(i) + 1] = line;
            const LineKind swallowed = Classify(file, text[i].start);
            if (swallowed.count && swallowed.chunkName)
                swallowedCount[swallowed.chunkName->chunk] = {static_cast<int>(i) + 1, line};
        }
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
        std::vector<SceneLength> lengths;
        for (int32_t i = 0; i < sceneCount && scenes; ++i)
            lengths.push_back({scenes[i].frameCount, scenes[i].framesPerSecond});
        for (const TimelineWarning& w : CheckTimeline(timed, lengths)) Warn(w.line, w.text);
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

    void DescribeChanges(const MemoryFile& file, int line, const LineKind& kind, const ShowState& after) {
        if (kind.Is(ScriptChunk::Engine, ScriptKey::LocalPath))
            Note(line, after.localPath ? "local paths on: names lose their directory part"
                                       : "local paths off: names keep their directory part");
        const bool sceneChunk = kind.chunkName && kind.chunkName->chunk == ScriptChunk::Scene;
        const bool musicChunk = kind.chunkName && kind.chunkName->chunk == ScriptChunk::Music;
        if (kind.count && sceneChunk)
            Note(line, Format("%d scene%s", after.sceneCount, after.sceneCount == 1 ? "" : "s"));
        if (kind.count && musicChunk)
            Note(line, Format("%d music track%s", after.musicCount, after.musicCount == 1 ? "" : "s"));
        for (const ActionRecord& a : added) {
            Note(line, DescribeAction(a));
            timed.push_back({a, line});
        }
        for (size_t i = 0; i < after.music.size(); ++i)
            if (i >= before.music.size() || before.music[i] != after.music[i])
                if (!after.music[i].empty()) {
                    Note(line, Format("music track %zu: %s", i + 1, after.music[i].c_str()));
                    const FileSource source = FindShowFile(after.music[i]);
                    if (source != FileSource::Nowhere)
                        Note(line, Format("music track %zu is read from %s", i + 1, FileSourceName(source)));
                }
        if (after.sceneCount != before.sceneCount) return;
        if (kind.Is(ScriptChunk::Scene, ScriptKey::Load) && kind.index >= 0 &&
            static_cast<size_t>(kind.index) < after.scenes.size() &&
            after.scenes[kind.index].frameCount <= 0 && !after.scenes[kind.index].fileName.empty())
            Warn(line, Format("scene %d could not be read from %s: it stays empty", kind.index + 1,
                              after.scenes[kind.index].fileName.c_str()));
        std::string fades;
        if (kind.Is(ScriptChunk::Scene, ScriptKey::Camera) && kind.index >= 0 &&
            static_cast<size_t>(kind.index) < after.scenes.size())
            fades = DescribeFades(ReadCameraValues(file, kind.valueAt), after.scenes[kind.index].frameCount);
        for (size_t i = 0; i < after.scenes.size() && i < before.scenes.size(); ++i)
            DescribeScene(line, static_cast<int>(i), before.scenes[i], after.scenes[i],
                          static_cast<int>(i) == kind.index ? fades : std::string());
        // A rate line says the rate also when it is the one there was.
        if (kind.Is(ScriptChunk::Scene, ScriptKey::FramesPerSecond) && kind.index >= 0 &&
            static_cast<size_t>(kind.index) < after.scenes.size() &&
            static_cast<size_t>(kind.index) < before.scenes.size()) {
            const SceneState& scene = after.scenes[kind.index];
            if (scene.frameCount > 0 && scene.fps == before.scenes[kind.index].fps)
                Note(line, Format("scene %d plays at %g frames a second", kind.index + 1,
                                  static_cast<double>(scene.fps)));
        }
    }

    void DescribeScene(int line, int index, const SceneState& was, const SceneState& now, const std::string& fades) {
        if (now.fileName != was.fileName && now.frameCount == was.frameCount)
            Note(line, Format("scene %d file: %s", index + 1, now.fileName.c_str()));
        if (now.frameCount != was.frameCount) {
            if (now.frameCount > 0) {
                Note(line, DescribeLoaded(now, index));
                loadLine[index] = line;
                DescribeSources(line, index, was.fileName);
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
                                  static_cast<double>(high), b.ambient[first]) +
                               fades);
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

    // Where the player found each file of a scene it loaded: the scene, its
    // visibility file and its textures, grouped by the archive and the
    // folder. Files in neither place are warned by the texture check, or
    // mean no visibility file.
    void DescribeSources(int line, int index, const std::string& writtenName) {
        std::vector<std::string> inArchive, inFolder;
        std::string missingVisibility;
        const std::vector<std::string> names = SceneFileNames(writtenName, index);
        for (size_t n = 0; n < names.size(); ++n) {
            const FileSource source = FindShowFile(names[n]);
            if (source == FileSource::Archive) inArchive.push_back(names[n]);
            if (source == FileSource::Folder) inFolder.push_back(names[n]);
            if (source == FileSource::Nowhere && n == 1) missingVisibility = names[n];
        }
        if (!inArchive.empty())
            Note(line, Format("scene %d read from the archive: %s", index + 1, NameList(inArchive).c_str()));
        if (!inFolder.empty())
            Note(line, Format("scene %d read from the folder: %s", index + 1, NameList(inFolder).c_str()));
        if (!missingVisibility.empty())
            Note(line, Format("scene %d has no visibility file %s: every part counts as visible", index + 1,
                              missingVisibility.c_str()));
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

    // The names a loaded scene has for cameras or objects, for a name that
    // matched none of them.
    static std::string NamesOfScene(int index, bool cameras) {
        if (index < 0 || index >= sceneCount || !scenes || scenes[index].frameCount <= 0) return "";
        const Scene& scene = scenes[index];
        std::vector<std::string> names;
        if (cameras)
            for (int32_t c = 0; c < scene.cameraCount; ++c)
                names.push_back(scene.cameras[c].name ? scene.cameras[c].name : "");
        else
            for (int32_t o = 0; o < scene.objectCount; ++o)
                names.push_back(scene.objects[o].name ? scene.objects[o].name : "");
        return Format("; scene %d has the %s %s", index + 1, cameras ? "cameras" : "objects",
                      NameList(names).c_str());
    }

    // For a line of a chunk whose count line was swallowed: which one, and by what.
    std::string SwallowedCount(ScriptChunk chunk, int line) const {
        auto found = swallowedCount.find(chunk);
        if (found == swallowedCount.end() || found->second.first >= line) return "";
        return Format(" (the count line %d was not read: the blank line %d before it took its start)",
                      found->second.first, found->second.second);
    }

    // The player's own refusals, as it logs them while reading the line.
    void ReadLog(int line, const LineKind& kind) {
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
                Warn(line, Format("%s matches no %s of the scene: the line does nothing", name.c_str(),
                                  camera ? "camera" : "object") +
                               NamesOfScene(kind.index, camera));
            } else if (message.find("no such scene") != std::string::npos) {
                Warn(line, "the player refuses: " + message + SwallowedCount(ScriptChunk::Scene, line));
            } else if (message.find("no such music track") != std::string::npos) {
                Warn(line, "the player refuses: " + message + SwallowedCount(ScriptChunk::Music, line));
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

    ScriptCheck& check;
    std::string logPath;
    std::ifstream log;
    std::vector<TextLine> text;
    std::vector<int32_t> starts;
    std::map<int, int> swallowedBy;
    // Per chunk, the count line a line before swallowed, and that line.
    std::map<ScriptChunk, std::pair<int, int>> swallowedCount;
    std::set<int> outOfStep;  // lines the reader entered in their middle
    std::map<int, int> loadLine;
    std::vector<TimedAction> timed;
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
    const FileSource source = FindShowFile(scriptName);
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
    // The script itself comes first in the report: from the archive (which
    // hides a loose script beside it) or from the folder.
    if (source == FileSource::Archive)
        check.findings.push_back({1, false, Format("%s is read from the archive %s", scriptName.c_str(),
                                                   dataArchive.path ? dataArchive.path : "")});
    else
        check.findings.push_back({1, false, scriptName + " is read from the folder"});

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

}  // namespace velmora::tools
