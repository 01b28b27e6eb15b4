// The packer benchmark's corpus: the kinds of file a show's archive holds,
// built the same way on every run so that figures can be compared.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qxbench {

using Bytes = std::vector<uint8_t>;

struct CorpusFile {
    std::string name;  // one word, also the file name of a dumped corpus
    Bytes bytes;
};

// The project's sources, a generated 24-bit BMP, a generated scene file, float
// data and the system's libstdc++. Empty with a message when a part is missing.
std::vector<CorpusFile> BuildCorpus(std::string& error);

// The same files read back from a folder that DumpCorpus wrote, so that two
// builds can be measured on identical bytes.
std::vector<CorpusFile> ReadCorpus(const std::string& folder, std::string& error);
bool DumpCorpus(const std::vector<CorpusFile>& corpus, const std::string& folder);

}  // namespace qxbench
