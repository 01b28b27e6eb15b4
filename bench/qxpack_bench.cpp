// Packed sizes beside gzip -9 and xz -9, and packing and unpacking speed
// beside zlib, on the fixed corpus of bench_corpus.h.
//   qxpack_bench [--corpus DIR] [--dump DIR] [--runs N]
// --corpus reads the corpus that --dump wrote, so that two builds can be
// compared on the same bytes; --runs sets the timed samples per figure.
// Speeds are medians of samples that alternate between the two programs, so
// a busy machine slows both alike; the ratios are the figures to compare.
#include <zlib.h>

#include <algorithm>
#include <chrono>
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
    size_t packed = 0, gzip = 0, xz = 0;
    Bytes block, deflated;
    double pack = 0, deflate = 0, unpack = 0, inflate = 0;  // seconds per run
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

double Seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Median seconds per call of a and of b over runs samples taken in turn; a
// sample repeats its call until it has lasted at least minimum seconds.
void Alternate(int runs, double minimum, const std::function<void()>& a, const std::function<void()>& b,
               double& aSeconds, double& bSeconds) {
    std::vector<double> as, bs;
    auto sample = [minimum](const std::function<void()>& work) {
        int calls = 0;
        double spent = Seconds([&] {
            auto start = std::chrono::steady_clock::now();
            do {
                work();
                ++calls;
            } while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < minimum);
        });
        return spent / calls;
    };
    for (int i = 0; i < runs; ++i) {
        as.push_back(sample(a));
        bs.push_back(sample(b));
    }
    aSeconds = Median(as);
    bSeconds = Median(bs);
}

double Ratio(size_t part, size_t whole) { return whole ? 100.0 * part / whole : 0.0; }
double Speed(size_t bytes, double seconds) { return seconds > 0 ? bytes / seconds / 1e6 : 0.0; }

void PrintSizes(const std::vector<CorpusFile>& corpus, const std::vector<Figures>& figures) {
    std::printf("%-12s %10s %10s %7s %10s %7s %10s %7s\n", "file", "size", "qxpack", "ratio",
                "gzip -9", "ratio", "xz -9", "ratio");
    size_t total[4] = {};
    for (size_t i = 0; i <= corpus.size(); ++i) {
        bool sum = i == corpus.size();
        size_t row[4];
        if (sum) {
            std::copy(total, total + 4, row);
        } else {
            row[0] = corpus[i].bytes.size();
            row[1] = figures[i].packed;
            row[2] = figures[i].gzip;
            row[3] = figures[i].xz;
            for (int k = 0; k < 4; ++k) total[k] += row[k];
        }
        std::printf("%-12s %10zu %10zu %6.2f%% %10zu %6.2f%% %10zu %6.2f%%\n",
                    sum ? "total" : corpus[i].name.c_str(), row[0], row[1], Ratio(row[1], row[0]), row[2],
                    Ratio(row[2], row[0]), row[3], Ratio(row[3], row[0]));
    }
    std::printf("\n");
}

// One table of speeds in MB/s of unpacked bytes: ours, zlib's, and ours / zlib's.
void PrintSpeeds(const char* title, const char* ours, const char* theirs,
                 const std::vector<CorpusFile>& corpus, const std::vector<Figures>& figures,
                 double Figures::*oursTime, double Figures::*theirsTime) {
    std::printf("%s\n%-12s %10s %12s %8s\n", title, "file", ours, theirs, "ratio");
    size_t bytes = 0;
    double oursTotal = 0, theirsTotal = 0;
    for (size_t i = 0; i < corpus.size(); ++i) {
        size_t size = corpus[i].bytes.size();
        double a = figures[i].*oursTime, b = figures[i].*theirsTime;
        std::printf("%-12s %10.2f %12.2f %7.2fx\n", corpus[i].name.c_str(), Speed(size, a), Speed(size, b), b / a);
        bytes += size;
        oursTotal += a;
        theirsTotal += b;
    }
    std::printf("%-12s %10.2f %12.2f %7.2fx\n\n", "total", Speed(bytes, oursTotal), Speed(bytes, theirsTotal),
                theirsTotal / oursTotal);
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
        f.block = qxpack::PackData(bytes.data(), bytes.size());
        f.packed = f.block.size();
        f.deflated = Deflate(bytes);
        f.gzip = OutputSize("gzip -9 -c {}", bytes);
        f.xz = OutputSize("xz -9 -c {}", bytes);
        Bytes out(bytes.size());
        bool sound = DecompressData(f.block.data(), static_cast<int32_t>(f.block.size()), out.data(),
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
        Alternate(packRuns, 0.0, [&] { qxpack::PackData(bytes.data(), bytes.size()); },
                  [&] { Deflate(bytes); }, f.pack, f.deflate);
        Bytes out(bytes.size());
        Alternate(runs, 0.05,
                  [&] {
                      DecompressData(f.block.data(), static_cast<int32_t>(f.block.size()), out.data(),
                                     static_cast<int32_t>(out.size()));
                  },
                  [&] { Inflate(inflater, f.deflated, out); }, f.unpack, f.inflate);
    }
    inflateEnd(&inflater);
    char title[96];
    std::snprintf(title, sizeof title, "packing, MB/s (median of %d)", packRuns);
    PrintSpeeds(title, "qxpack", "zlib -9", corpus, figures, &Figures::pack, &Figures::deflate);
    std::snprintf(title, sizeof title, "unpacking, MB/s of unpacked bytes (median of %d)", runs);
    PrintSpeeds(title, "qxpack", "zlib inflate", corpus, figures, &Figures::unpack, &Figures::inflate);
    return 0;
}
