// Watches a show folder and its subfolders (inotify) for files written,
// moved in or removed, and says when the changes have settled: a save that
// writes a file in several steps, or several files, gives one reload.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace velmora::tools {

class ShowWatch {
public:
    ShowWatch() = default;
    ~ShowWatch();
    ShowWatch(const ShowWatch&) = delete;
    ShowWatch& operator=(const ShowWatch&) = delete;

    // False with why when the folder cannot be watched.
    bool Open(const std::string& folder, std::string& why);
    // True once a change has come and nothing more has for the quiet time.
    bool Settled(std::chrono::milliseconds quiet = std::chrono::milliseconds(120));

private:
    void Read();
    int fd_ = -1;
    bool pending_ = false;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace velmora::tools
