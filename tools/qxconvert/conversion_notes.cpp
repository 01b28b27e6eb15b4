#include "qxconvert/conversion_notes.h"

#include <algorithm>

namespace velmora::tools {

void ConversionNotes::Add(const std::string& text) {
    if (!Has(text)) notes_.push_back(text);
}

bool ConversionNotes::Has(const std::string& text) const {
    return std::find(notes_.begin(), notes_.end(), text) != notes_.end();
}

}  // namespace velmora::tools
