#include "qxcheck/check_report.h"

#include <cstdarg>
#include <cstdio>
#include <sstream>

#include "qxcheck/script_check.h"
#include "qxcheck/script_lines.h"
#include "state/action.h"

namespace velmora::tools {

std::string Format(const char* format, ...) {
    char buffer[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    return buffer;
}

std::string Seconds(double milliseconds) { return Format("%.3f s", milliseconds / 1000.0); }

std::string DescribeAction(const ActionRecord& a) {
    const int index = static_cast<int>(a.argument) + 1;
    const std::string at = Seconds(a.time);
    switch (a.type) {
        case kActionPlayScene: return Format("at %s: play scene %d once", at.c_str(), index);
        case kActionPlaySceneLooped: return Format("at %s: play scene %d looped", at.c_str(), index);
        case kActionPlayMusic: return Format("at %s: play music track %d", at.c_str(), index);
        case kActionStopMusic: return Format("at %s: stop music track %d", at.c_str(), index);
        case kActionHold:
            return Format("at %s: hold the show for %.0f ms", at.c_str(), static_cast<double>(a.argument));
        case kActionUnloadScene: return Format("at %s: unload scene %d", at.c_str(), index);
        case kActionStopScene: return Format("at %s: stop scene %d", at.c_str(), index);
        case kActionPreloadTextures: return Format("at %s: preload the textures of scene %d", at.c_str(), index);
        case kActionReleaseTextures: return Format("at %s: release the textures of scene %d", at.c_str(), index);
    }
    return Format("at %s: action %d", at.c_str(), a.type);
}

std::string NameList(const std::vector<std::string>& names) {
    if (names.empty()) return "none";
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list;
}

std::string LineList(const std::vector<int>& lines) {
    constexpr size_t kMostNamed = 8;
    std::string list = lines.size() == 1 ? "line " : "lines ";
    const size_t named = lines.size() > kMostNamed ? kMostNamed : lines.size();
    for (size_t i = 0; i < named; ++i) {
        if (i > 0) list += i + 1 == lines.size() ? " and " : ", ";
        list += std::to_string(lines[i]);
    }
    if (named < lines.size()) list += " and " + std::to_string(lines.size() - named) + " more";
    return list;
}

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
