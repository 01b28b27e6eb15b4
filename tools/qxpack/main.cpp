// qxpack: writes, lists and unpacks the packed data archives the player reads.
//   qxpack create [--fast] ARCHIVE FILE|FOLDER...
//   qxpack list ARCHIVE
//   qxpack extract ARCHIVE [DIR]
// Every failure is one line on standard error and exit status 2.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "archive_writer.h"
#include "common/output_path.h"
#include "common/atomic_file.h"
#include "common/standard_options.h"
#include "data/archive_reader.h"
#include "data/data_name.h"
#include "data/memory_file.h"

namespace {

constexpr const char* kUsage =
    "usage: qxpack create [--fast] ARCHIVE FILE|FOLDER... | qxpack list ARCHIVE | qxpack extract ARCHIVE [DIR]";

int Fail(const std::string& message) {
    std::fprintf(stderr, "qxpack: %s\n", message.c_str());
    return 2;
}

// Reads the archive's directory, or says why not.
bool OpenArchive(const std::string& path, DataArchive& archive) {
    if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
    } else {
        Fail("cannot read " + path);
        return false;
    }
    if (!ReadArchiveDirectory(path.c_str(), &archive)) {
        Fail(path + " is not an archive or its directory is damaged");
        return false;
    }
    return true;
}

int64_t PackedLength(const DataArchive& archive, int32_t index) {
    int64_t end = index + 1 < archive.entryCount ? archive.entries[index + 1].offset
                                                 : archive.fileSize;
    return end - archive.entries[index].offset;
}

void PrintRow(int64_t size, int64_t packed, const char* name, const char* mark = "") {
    if (size > 0)
        std::printf("%12lld %12lld %6.1f%%  %s%s\n", static_cast<long long>(size),
                    static_cast<long long>(packed), 100.0 * packed / size, name, mark);
    else
        std::printf("%12lld %12lld %7s  %s%s\n", static_cast<long long>(size),
                    static_cast<long long>(packed), "-", name, mark);
}

// Entries that packed larger than they are: data compressed already (JPEG
// and PNG pictures) and files of a few bytes, which the format cannot store
// as they are.
constexpr const char* kLargerMark = "  (larger packed)";

int List(const std::string& path) {
    DataArchive archive{};
    if (!OpenArchive(path, archive)) return 2;
    std::printf("%12s %12s %7s  %s\n", "size", "packed", "ratio", "name");
    int64_t totalSize = 0, totalPacked = 0;
    int32_t larger = 0;
    for (int32_t i = 0; i < archive.entryCount; ++i) {
        int64_t packed = PackedLength(archive, i);
        const bool grew = archive.entries[i].size > 0 && packed > archive.entries[i].size;
        larger += grew;
        PrintRow(archive.entries[i].size, packed, archive.entries[i].name, grew ? kLargerMark : "");
        totalSize += archive.entries[i].size;
        totalPacked += packed;
    }
    std::string total = "total (" + std::to_string(archive.entryCount) + " files)";
    PrintRow(totalSize, totalPacked, total.c_str());
    if (larger > 0)
        std::printf("%d file%s packed larger than %s: data compressed already (JPEG and PNG pictures) or "
                    "only a few bytes long grows a little, as the archive has no way to keep a file as it is\n",
                    larger, larger == 1 ? "" : "s", larger == 1 ? "it is" : "they are");
    FreeArchiveDirectory(&archive);
    return 0;
}

// Writes every entry as the player's own unpacking does: each name gets the
// contents that a lookup of that name finds (the last entry of the name).
int Extract(const std::string& path, const std::string& directory) {
    std::string why;
    if (!directory.empty() && !velmora::tools::CheckOutputFolder(directory, why)) return Fail(why);
    DataArchive archive{};
    if (!OpenArchive(path, archive)) return 2;
    // Every file it would write is looked at before the first is written.
    for (int32_t i = 0; i < archive.entryCount; ++i) {
        const char* name = archive.entries[i].name;
        if (!IsBareDataName(name)) continue;
        if (!velmora::tools::CheckOutputFile(directory.empty() ? name : directory + "/" + name, why)) {
            FreeArchiveDirectory(&archive);
            return Fail(why);
        }
    }
    int status = 0;
    std::error_code failure;
    if (!directory.empty()) std::filesystem::create_directories(directory, failure);
    for (int32_t i = 0; i < archive.entryCount; ++i) {
        const char* name = archive.entries[i].name;
        if (!IsBareDataName(name)) {
            status = Fail(path + ": entry name \"" + name + "\" is not a plain file name, skipped");
            continue;
        }
        MemoryFile* file = ReadArchiveEntry(&archive, FindArchiveEntry(&archive, name));
        if (!file) {
            status = Fail(path + ": entry " + name + " is damaged");
            continue;
        }
        std::string target = directory.empty() ? name : directory + "/" + name;
        bool written = velmora::tools::WriteWholeFile(target, file->data, static_cast<size_t>(file->size));
        MemClose(file);
        if (!written) status = Fail("cannot write " + target);
    }
    FreeArchiveDirectory(&archive);
    return status;
}

// The files to pack: a folder stands for its files (not those in folders
// inside it, nor hidden ones), by name, leaving out the archive being written.
std::vector<std::string> FilesToPack(const std::string& archive, const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    std::error_code failure;
    for (const std::string& argument : arguments) {
        if (!std::filesystem::is_directory(argument, failure)) {
            files.push_back(argument);
            continue;
        }
        std::vector<std::string> inside;
        for (const auto& entry : std::filesystem::directory_iterator(argument, failure)) {
            std::string name = entry.path().filename().string();
            if (name.empty() || name[0] == '.' || !entry.is_regular_file(failure)) continue;
            if (std::filesystem::equivalent(entry.path(), archive, failure)) continue;
            inside.push_back(entry.path().string());
        }
        std::sort(inside.begin(), inside.end());
        files.insert(files.end(), inside.begin(), inside.end());
    }
    return files;
}

constexpr const char* kHelp =
    "usage: qxpack create [--fast] ARCHIVE FILE|FOLDER... | qxpack list ARCHIVE | qxpack extract ARCHIVE [DIR]\n"
    "Writes, lists and unpacks the packed data archives the player reads.\n"
    "  create ARCHIVE FILE|FOLDER...  packs the files (a folder: its files) under their bare names\n"
    "  list ARCHIVE                   size, packed size and ratio per file, and a total\n"
    "  extract ARCHIVE [DIR]          every file back to disk\n"
    "  --fast     packs nearly twice as fast into blocks some 5% larger\n"
    "  --help     prints this help and exits\n"
    "  --version  prints the version and exits\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "qxpack", kHelp, true))
        return *answered;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const bool fastOption = i == 1 && args[0] == "create" && args[1] == "--fast";
        if (args[i].size() > 1 && args[i][0] == '-' && !fastOption)
            return Fail("unknown option " + args[i] + "; " + kUsage);
    }
    if (!args.empty() && args[0] == "create") {
        bool fast = args.size() > 1 && args[1] == "--fast";
        size_t first = fast ? 2 : 1;  // the archive's name
        if (args.size() < first + 2) return Fail(kUsage);
        std::string error;
        if (!velmora::tools::CheckOutputFile(args[first], error)) return Fail(error);
        std::vector<std::string> files = FilesToPack(
            args[first], std::vector<std::string>(args.begin() + static_cast<long>(first) + 1, args.end()));
        if (files.empty()) return Fail("nothing to pack: the folders named hold no files");
        if (!velmora::tools::CreateArchive(args[first], files, error, isatty(STDERR_FILENO) != 0,
                                   fast ? velmora::tools::Parse::kFast : velmora::tools::Parse::kOptimal))
            return Fail(error);
        return 0;
    }
    if (args.size() == 2 && args[0] == "list") return List(args[1]);
    if ((args.size() == 2 || args.size() == 3) && args[0] == "extract")
        return Extract(args[1], args.size() == 3 ? args[2] : "");
    return Fail(kUsage);
}
