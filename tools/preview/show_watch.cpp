#include "show_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace velmora::tools {

namespace {

constexpr uint32_t kChanges = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CREATE;

// Names that are not the show's: hidden files (editors' temporaries) and the log.
bool ShowFile(const char* name) {
    return name && name[0] != '\0' && name[0] != '.' && std::strcmp(name, "Log.TXT") != 0 &&
           name[std::strlen(name) - 1] != '~';
}

}  // namespace

ShowWatch::~ShowWatch() {
    if (fd_ >= 0) close(fd_);
}

bool ShowWatch::Open(const std::string& folder, std::string& why) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        why = std::string("cannot watch for changes: ") + std::strerror(errno);
        return false;
    }
    if (inotify_add_watch(fd_, folder.c_str(), kChanges) < 0) {
        why = "cannot watch " + folder + ": " + std::strerror(errno);
        return false;
    }
    // The loose files of a show without local paths lie in its subfolders.
    std::error_code failed;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, failed);
         !failed && it != std::filesystem::end(it); it.increment(failed))
        if (it->is_directory(failed) && ShowFile(it->path().filename().c_str()))
            inotify_add_watch(fd_, it->path().c_str(), kChanges);
    return true;
}

void ShowWatch::Read() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got <= 0) return;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len == 0 || ShowFile(event->name)) {
                pending_ = true;
                last_ = std::chrono::steady_clock::now();
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

bool ShowWatch::Settled(std::chrono::milliseconds quiet) {
    if (fd_ < 0) return false;
    Read();
    if (!pending_ || std::chrono::steady_clock::now() - last_ < quiet) return false;
    pending_ = false;
    return true;
}

}  // namespace velmora::tools
