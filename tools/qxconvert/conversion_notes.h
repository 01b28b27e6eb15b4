// What a conversion could not keep as the source has it, each said once.
#pragma once

#include <string>
#include <vector>

namespace velmora::tools {

class ConversionNotes {
public:
    // Adds the note unless the same text was added before.
    void Add(const std::string& text);
    const std::vector<std::string>& All() const { return notes_; }
    bool Has(const std::string& text) const;

private:
    std::vector<std::string> notes_;
};

}  // namespace velmora::tools
