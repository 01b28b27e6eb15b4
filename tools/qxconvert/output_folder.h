// The converter's files are written into a hidden folder inside the output
// folder and moved to their names only when every one of them is complete,
// so that a failure leaves nothing half-written behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/staging_folder.h"

namespace velmora::tools {

class StagedOutput {
public:
    StagedOutput() = default;
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;
    // Removes the hidden folder and whatever is still in it, and the output
    // folder too when Begin made it and nothing was moved there.
    ~StagedOutput();

    // Makes the output folder (and its parents) when missing and the hidden
    // folder in it; false with a reason when either cannot be written.
    bool Begin(const std::string& directory, std::string& why);
    // Writes a file of that bare name into the hidden folder; refused when the
    // output folder holds something of that name that is not a regular file.
    bool Write(const std::string& name, const std::vector<uint8_t>& bytes, std::string& why);
    bool Write(const std::string& name, const std::string& text, std::string& why);
    // The hidden folder, where the staged files can be read as they are.
    const std::string& StagingDirectory() const { return staging_.path(); }
    // Whether the output folder holds an entry of that name, ignoring case
    // as the player's lookups do.
    bool HasEntry(const std::string& name) const;
    // Moves every staged file to the output folder under its name.
    bool Commit(std::string& why);

private:
    std::string directory_;
    StagingFolder staging_;
    std::vector<std::string> names_;
    bool madeDirectory_ = false;
    bool committed_ = false;
};

}  // namespace velmora::tools
