// Packed sizes beside gzip -9 and xz -9, and packing and unpacking speed
// beside zlib, on the fixed corpus of bench_corpus.h.
//   qxpack_bench [--corpus DIR] [--dump DIR] [--runs N]
// --corpus reads the corpus that --dump wrote, so that two builds can be
// compared on the same bytes; --runs sets the timed samples per figure.
// Speeds are medians of samples that alternate between qxpack and zlib, timed
// in the thread's CPU time, so that other work on the machine counts little;
// the ratios to zlib are the figures to compare between machines.
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench_corpus.h"
#include "data/data_archive.h"
#include "packer.h"

namespace {

using qxbench::Bytes;
using qxbench::CorpusFile;

struct Figures {
    size_t packed = 0, fastPacked = 0, gzip = 0, xz = 0;
    Bytes block, deflated;
    double pack = 0, fastPack = 0, deflate = 0, unpack = 0, inflate = 0;  // seconds per run
};

std::string TemporaryPath() {
    const char* base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/qxpack-bench-" + std::to_string(getpid());
}

// The size of what command writes for the file holding bytes ({} in command).
size_t OutputSize(const std::string& command, const Bytes& bytes) {
    std::string path = TemporaryPath();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::string line = command;
    line.replace(line.find("{}"), 2, "'" + path + "'");
    size_t size = 0;
    if (FILE* pipe = popen((line + " 2>/dev/null").c_str(), "r")) {
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) size += got;
        pclose(pipe);
    }
    std::remove(path.c_str());
    return size;
}

// Raw deflate at level 9, as gzip -9 packs (no header, no checksum).
Bytes Deflate(const Bytes& bytes) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&stream, bytes.size()));
    stream.next_in = const_cast<Bytes::value_type*>(bytes.data());
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

bool Inflate(z_stream& stream, const Bytes& deflated, Bytes& out) {
    inflateReset(&stream);
    stream.next_in = const_cast<Bytes::value_type*>(deflated.data());
    stream.avail_in = static_cast<uInt>(deflated.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    return inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.total_out == out.size();
}

double CpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Median CPU seconds per call of each piece of work over runs samples taken
// in turn; a sample repeats its call until it has lasted at least minimum.
std::vector<double> Alternate(int runs, double minimum, const std::vector<std::function<void()>>& works) {
    std::vector<std::vector<double>> samples(works.size());
    for (int i = 0; i < runs; ++i)
        for (size_t w = 0; w < works.size(); ++w) {
            int calls = 0;
            double start = CpuSeconds(), spent;
            do {
                works[w]();
                ++calls;
            } while ((spent = CpuSeconds() - start) < minimum);
            samples[w].push_back(spent / calls);
        }
    std::vector<double> medians;
    for (auto& s : samples) medians.push_back(Median(s));
    return medians;
}

double Ratio(size_t part, size_t whole) { return whole ? 100.0 * part / whole : 0.0; }
double Speed(size_t bytes, double seconds) { return seconds > 0 ? bytes / seconds / 1e6 : 0.0; }

void PrintSizes(const std::vector<CorpusFile>& corpus, const std::vector<Figures>& figures) {
    std::printf("%-12s %10s %10s %7s %10s %7s %10s %7s %10s %7s\n", "file", "size", "qxpack", "ratio", "--fast",
                "ratio", "gzip -9", "ratio", "xz -9", "ratio");
    size_t total[5] = {};
    for (size_t i = 0; i <= corpus.size(); ++i) {
        bool sum = i == corpus.size();
        size_t row[5];
        if (sum) {
            std::copy(total, total + 5, row);
        } else {
            const Figures& f = figures[i];
            size_t values[5] = {corpus[i].bytes.size(), f.packed, f.fastPacked, f.gzip, f.xz};
            std::copy(values, values + 5, row);
            for (int k = 0; k < 5; ++k) total[k] += row[k];
        }
        std::printf("%-12s %10zu", sum ? "total" : corpus[i].name.c_str(), row[0]);
        for (int k = 1; k < 5; ++k) std::printf(" %10zu %6.2f%%", row[k], Ratio(row[k], row[0]));
        std::printf("\n");
    }
    std::printf("\n");
}

// A table of speeds in MB/s of unpacked bytes: ours, then zlib's, then each
// of ours as a multiple of zlib's.
void PrintSpeeds(const char* title, const std::vector<const char*>& columns, const std::vector<CorpusFile>& corpus,
                 const std::vector<Figures>& figures, const std::vector<double Figures::*>& times) {
    const size_t ours = times.size() - 1;  // the last column is zlib's
    std::printf("%s\n%-12s", title, "file");
    for (const char* column : columns) std::printf(" %12s", column);
    for (size_t c = 0; c < ours; ++c) std::printf(" %7s", "ratio");
    std::printf("\n");
    std::vector<double> totals(times.size());
    size_t bytes = 0;
    for (size_t i = 0; i <= corpus.size(); ++i) {
        bool sum = i == corpus.size();
        size_t size = sum ? bytes : corpus[i].bytes.size();
        std::vector<double> row(times.size());
        for (size_t c = 0; c < times.size(); ++c) {
            row[c] = sum ? totals[c] : figures[i].*times[c];
            if (!sum) totals[c] += row[c];
        }
        if (!sum) bytes += size;
        std::printf("%-12s", sum ? "total" : corpus[i].name.c_str());
        for (double seconds : row) std::printf(" %12.2f", Speed(size, seconds));
        for (size_t c = 0; c < ours; ++c) std::printf(" %6.2fx", row[ours] / row[c]);
        std::printf("\n");
    }
    std::printf("\n");
}

int Usage() {
    std::fprintf(stderr, "usage: qxpack_bench [--corpus DIR] [--dump DIR] [--runs N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string from, dump;
    int runs = 15;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (i + 1 == argc) return Usage();
        std::string value = argv[++i];
        if (option == "--corpus") from = value;
        else if (option == "--dump") dump = value;
        else if (option == "--runs" && std::atoi(value.c_str()) > 0) runs = std::atoi(value.c_str());
        else return Usage();
    }
    std::string error;
    std::vector<CorpusFile> corpus = from.empty() ? qxbench::BuildCorpus(error) : qxbench::ReadCorpus(from, error);
    if (corpus.empty()) {
        std::fprintf(stderr, "qxpack_bench: %s\n", error.c_str());
        return 2;
    }
    if (!dump.empty() && !qxbench::DumpCorpus(corpus, dump)) {
        std::fprintf(stderr, "qxpack_bench: cannot write the corpus to %s\n", dump.c_str());
        return 2;
    }

    std::vector<Figures> figures(corpus.size());
    z_stream inflater{};
    inflateInit2(&inflater, -15);
    for (size_t i = 0; i < corpus.size(); ++i) {
        const Bytes& bytes = corpus[i].bytes;
        Figures& f = figures[i];
        f.block = velmora::tools::PackData(bytes.data(), bytes.size());
        f.packed = f.block.size();
        Bytes fastBlock = velmora::tools::PackData(bytes.data(), bytes.size(), nullptr, {}, velmora::tools::Parse::kFast);
        f.fastPacked = fastBlock.size();
        f.deflated = Deflate(bytes);
        f.gzip = OutputSize("gzip -9 -c {}", bytes);
        f.xz = OutputSize("xz -9 -c {}", bytes);
        Bytes out(bytes.size());
        bool sound = true;
        for (const Bytes* block : {&f.block, &fastBlock})
            sound = sound && DecompressData(block->data(), static_cast<int32_t>(block->size()), out.data(),
                                            static_cast<int32_t>(out.size())) == 1 && out == bytes;
        if (!sound || !Inflate(inflater, f.deflated, out) || out != bytes) {
            std::fprintf(stderr, "qxpack_bench: %s does not come back whole\n", corpus[i].name.c_str());
            return 1;
        }
    }
    PrintSizes(corpus, figures);
    std::fflush(stdout);

    const int packRuns = std::max(1, runs / 5);
    for (size_t i = 0; i < corpus.size(); ++i) {
        const Bytes& bytes = corpus[i].bytes;
        Figures& f = figures[i];
        std::vector<double> pack = Alternate(packRuns, 0.0,
                                             {[&] { velmora::tools::PackData(bytes.data(), bytes.size()); },
                                              [&] {
                                                  velmora::tools::PackData(bytes.data(), bytes.size(), nullptr, {},
                                                                   velmora::tools::Parse::kFast);
                                              },
                                              [&] { Deflate(bytes); }});
        f.pack = pack[0];
        f.fastPack = pack[1];
        f.deflate = pack[2];
        Bytes out(bytes.size());
        std::vector<double> unpack = Alternate(
            runs, 0.05,
            {[&] {
                 DecompressData(f.block.data(), static_cast<int32_t>(f.block.size()), out.data(),
                                static_cast<int32_t>(out.size()));
             },
             [&] { Inflate(inflater, f.deflated, out); }});
        f.unpack = unpack[0];
        f.inflate = unpack[1];
    }
    inflateEnd(&inflater);
    char title[96];
    std::snprintf(title, sizeof title, "packing, MB/s (median of %d)", packRuns);
    PrintSpeeds(title, {"qxpack", "--fast", "zlib -9"}, corpus, figures,
                {&Figures::pack, &Figures::fastPack, &Figures::deflate});
    std::snprintf(title, sizeof title, "unpacking, MB/s of unpacked bytes (median of %d)", runs);
    PrintSpeeds(title, {"qxpack", "zlib inflate"}, corpus, figures, {&Figures::unpack, &Figures::inflate});
    return 0;
}
