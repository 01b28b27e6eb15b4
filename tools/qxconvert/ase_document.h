// The ASCII scene export's text as a tree: every "*KEY value ..." entry with
// its values and, when a brace follows, the block it opens.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora::tools {

struct AseBlock;

struct AseEntry {
    std::string key;                  // without its '*', as written
    std::vector<std::string> values;  // quoted values without their quotes
    std::unique_ptr<AseBlock> block;  // null when no brace follows
    int line = 0;                     // from 1, for messages
};

struct AseBlock {
    std::vector<AseEntry> entries;
    // The first entry of the key, or null.
    const AseEntry* Find(const std::string& key) const;
};

// Parses the text (UTF-8 or ASCII; UTF-16 with a byte-order mark is narrowed
// first). False with a one-line reason for text that is not an ASCII scene
// export: no "*3DSMAX_ASCIIEXPORT" first, unbalanced braces, nesting deeper
// than any exporter writes.
bool ParseAseDocument(const std::string& text, AseBlock& document, std::string& why);

// Numbers of an entry's values, checked: false when the value is missing, not
// a finite number or out of range.
bool AseFloat(const AseEntry& entry, size_t index, float& value);
bool AseInt(const AseEntry& entry, size_t index, int64_t low, int64_t high, int64_t& value);

}  // namespace velmora::tools
