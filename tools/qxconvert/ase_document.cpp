#include "qxconvert/ase_document.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace velmora::tools {
namespace {

// Exporters nest objects, meshes and lists a few levels deep; a limit keeps a
// hostile file from exhausting the stack.
constexpr int kMaxDepth = 32;

// UTF-16 text (as some exporters wrote it) narrowed to its low bytes; the
// keys and numbers are ASCII, names outside it become '?'.
std::string Narrowed(const std::string& text) {
    if (text.size() < 2) return text;
    unsigned char a = static_cast<unsigned char>(text[0]), b = static_cast<unsigned char>(text[1]);
    bool little = a == 0xFF && b == 0xFE, big = a == 0xFE && b == 0xFF;
    if (!little && !big) {
        if (text.size() >= 3 && a == 0xEF && b == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
            return text.substr(3);
        return text;
    }
    std::string narrow;
    narrow.reserve(text.size() / 2);
    for (size_t i = 2; i + 1 < text.size(); i += 2) {
        unsigned char low = static_cast<unsigned char>(text[little ? i : i + 1]);
        unsigned char high = static_cast<unsigned char>(text[little ? i + 1 : i]);
        narrow.push_back(high == 0 && low < 0x80 ? static_cast<char>(low) : '?');
    }
    return narrow;
}

class Tokens {
public:
    explicit Tokens(const std::string& text) : text_(text) {}

    enum class Kind { End, Key, Value, Open, Close };
    struct Token {
        Kind kind = Kind::End;
        std::string text;
        int line = 0;
    };

    // False on a quoted value that runs to the end of the text.
    bool Next(Token& token) {
        SkipBlanks();
        token.line = line_;
        token.text.clear();
        if (position_ >= text_.size()) {
            token.kind = Kind::End;
            return true;
        }
        char c = text_[position_];
        if (c == '{' || c == '}') {
            token.kind = c == '{' ? Kind::Open : Kind::Close;
            ++position_;
            return true;
        }
        if (c == '"') {
            size_t end = text_.find('"', position_ + 1);
            if (end == std::string::npos) return false;
            token.kind = Kind::Value;
            token.text.assign(text_, position_ + 1, end - position_ - 1);
            for (char q : token.text) line_ += q == '\n';
            position_ = end + 1;
            return true;
        }
        size_t start = position_;
        while (position_ < text_.size() && !IsBlank(text_[position_]) && text_[position_] != '{' &&
               text_[position_] != '}' && text_[position_] != '"')
            ++position_;
        token.kind = c == '*' ? Kind::Key : Kind::Value;
        token.text.assign(text_, c == '*' ? start + 1 : start, position_ - start - (c == '*' ? 1 : 0));
        return true;
    }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }
    void SkipBlanks() {
        while (position_ < text_.size() && IsBlank(text_[position_])) {
            line_ += text_[position_] == '\n';
            ++position_;
        }
    }
    const std::string& text_;
    size_t position_ = 0;
    int line_ = 1;
};

bool ParseBlock(Tokens& tokens, AseBlock& block, int depth, bool topLevel, std::string& why) {
    Tokens::Token token;
    AseEntry* current = nullptr;
    for (;;) {
        if (!tokens.Next(token)) {
            why = "a quoted name runs to the end of the file";
            return false;
        }
        switch (token.kind) {
            case Tokens::Kind::End:
                if (topLevel) return true;
                why = "the file ends inside a block (a '}' is missing)";
                return false;
            case Tokens::Kind::Close:
                if (!topLevel) return true;
                why = "line " + std::to_string(token.line) + ": a '}' closes no block";
                return false;
            case Tokens::Kind::Key:
                block.entries.emplace_back();
                current = &block.entries.back();
                // The token's text is not needed after it: moved, not copied.
                current->key = std::move(token.text);
                current->line = token.line;
                break;
            case Tokens::Kind::Value:
                // Values before any key (stray words) are ignored, as exporters
                // put nothing there.
                if (current) current->values.push_back(std::move(token.text));
                break;
            case Tokens::Kind::Open: {
                if (depth + 1 > kMaxDepth) {
                    why = "line " + std::to_string(token.line) + ": blocks nested deeper than " +
                          std::to_string(kMaxDepth);
                    return false;
                }
                auto inner = std::make_unique<AseBlock>();
                if (!ParseBlock(tokens, *inner, depth + 1, false, why)) return false;
                // A block without a key of its own (none is written so) is kept
                // under an empty key.
                if (!current || current->block) {
                    block.entries.emplace_back();
                    current = &block.entries.back();
                    current->line = token.line;
                }
                current->block = std::move(inner);
                current = nullptr;
                break;
            }
        }
    }
}

}  // namespace

const AseEntry* AseBlock::Find(const std::string& key) const {
    for (const AseEntry& entry : entries)
        if (entry.key == key) return &entry;
    return nullptr;
}

bool ParseAseDocument(const std::string& raw, AseBlock& document, std::string& why) {
    std::string text = Narrowed(raw);
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        why = "the file is empty";
        return false;
    }
    Tokens tokens(text);
    if (!ParseBlock(tokens, document, 0, true, why)) return false;
    if (document.entries.empty() || document.entries.front().key != "3DSMAX_ASCIIEXPORT") {
        why = "not an ASCII scene export (it does not start with *3DSMAX_ASCIIEXPORT)";
        return false;
    }
    return true;
}

bool AseFloat(const AseEntry& entry, size_t index, float& value) {
    if (index >= entry.values.size()) return false;
    const std::string& text = entry.values[index];
    char* end = nullptr;
    errno = 0;
    double number = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || errno == ERANGE || !std::isfinite(number) || std::fabs(number) > 3.0e38)
        return false;
    value = static_cast<float>(number);
    return true;
}

bool AseInt(const AseEntry& entry, size_t index, int64_t low, int64_t high, int64_t& value) {
    if (index >= entry.values.size()) return false;
    const std::string& text = entry.values[index];
    char* end = nullptr;
    errno = 0;
    long long number = std::strtoll(text.c_str(), &end, 10);
    // Face numbers are written "12:"; the colon is allowed after the digits.
    if (text.empty() || end == text.c_str() || (*end && !(end[0] == ':' && end[1] == 0)) || errno == ERANGE ||
        number < low || number > high)
        return false;
    value = number;
    return true;
}

}  // namespace velmora::tools
