// Loading and saving a project of 256 server files with 4 000 channels each, beside raw
// baselines over the same bytes: reading the files and cutting them into lines, and writing them
// back the way a save does (temporary file, flush to disk, rename over the file). The ratio of
// each pair is the cost of the library's own work.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

#include "bench_support.h"
#include "split_lines.h"
#include "model/environment.h"
#include "storage/config_set.h"
#include "storage/set_files.h"

namespace tagcfg::bench {
namespace {

constexpr int kServers = 256;
constexpr int32_t kChannelsPerServer = 4000;
constexpr const char kBaseName[] = "bench";

// The project on disk, written once by the library's own writer and removed at exit.
class Project {
public:
    Project() {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tagcfg_bench_XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        directory_ = pattern;

        Environment env;
        env.servers.resize(kServers);
        for (int s = 0; s < kServers; ++s)
            env.servers[static_cast<size_t>(s)] = RecordRef<ServerConfig>(make_server(s));
        if (!save_set(env, directory_.c_str(), kBaseName, true)) std::abort();

        for (int s = 0; s < kServers; ++s) {
            paths_.push_back(join_path(directory_, server_file_name(kBaseName, s)));
            bytes_.push_back(read_whole(paths_.back()));
            total_bytes_ += bytes_.back().size();
        }
    }
    Project(const Project &) = delete;
    Project &operator=(const Project &) = delete;
    ~Project() {
        for (const std::string &path : paths_) {
            ::unlink(path.c_str());
            ::unlink((path + ".tmp").c_str());
        }
        // A save leaves the project's lock file behind by design; the folder goes only without it.
        ::unlink(project_lock_path(directory_, kBaseName).c_str());
        ::rmdir(directory_.c_str());
    }

    const std::string &directory() const { return directory_; }
    const std::vector<std::string> &paths() const { return paths_; }
    const std::vector<std::string> &bytes() const { return bytes_; }
    size_t total_bytes() const { return total_bytes_; }

private:
    // Mostly numbered channels with a share of name-only ones and of access paths, as projects
    // built partly from older name-based configurations look.
    static ServerConfig *make_server(int s) {
        auto *config = new ServerConfig;
        config->progid = "Vendor.OPCServer." + std::to_string(s);
        config->clsid = "{6E6170F0-FF2D-11D2-8087-00105AA8F8" + std::to_string(10 + s % 90) + "}";
        config->hostname = "scada-node-" + std::to_string(s % 8);
        config->description = "Benchmark server " + std::to_string(s);
        ChannelValue value;
        for (int32_t k = 0; k < kChannelsPerServer; ++k) {
            int32_t n = s * kChannelsPerServer + k;
            value.channel_id = k % 4 == 3 ? -1 : n;
            value.channel_name = k % 4 == 3 ? pump_name(n) : std::string();
            value.item_id = pump_item_id(n);
            value.access_path = k % 2 ? "Device" + std::to_string(k % 16) : std::string();
            append_channel(*config, value);
        }
        rebuild_indexes(*config);
        return config;
    }

    static std::string read_whole(const std::string &path) {
        std::string bytes;
        std::FILE *file = std::fopen(path.c_str(), "rb");
        if (!file) std::abort();
        char chunk[65536];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
        std::fclose(file);
        return bytes;
    }

    std::string directory_;
    std::vector<std::string> paths_;
    std::vector<std::string> bytes_;
    size_t total_bytes_ = 0;
};

Project &project() {
    static Project instance;
    return instance;
}

void BM_Load(benchmark::State &state) {
    Project &p = project();
    for (auto _ : state) {
        Environment env;
        if (!load_set(env, p.directory().c_str(), kBaseName) || env.servers.size() != kServers)
            state.SkipWithError("the project did not load");
        state.PauseTiming();
        env.servers.clear();  // releasing a loaded project is not part of loading it
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.total_bytes()));
}

void BM_LoadBaseline(benchmark::State &state) {
    Project &p = project();
    std::string bytes;
    std::vector<std::string_view> lines;
    for (auto _ : state) {
        for (const std::string &path : p.paths()) {
            bytes.clear();
            std::FILE *file = std::fopen(path.c_str(), "rb");
            if (!file) state.SkipWithError("a file cannot be opened");
            char chunk[65536];
            for (size_t n; file && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
            if (file) std::fclose(file);
            split_lines(bytes, lines);
            benchmark::DoNotOptimize(lines.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.total_bytes()));
}

void BM_Save(benchmark::State &state) {
    Project &p = project();
    static Environment env;  // loaded once; every iteration writes all of it back
    if (env.servers.empty() && !load_set(env, p.directory().c_str(), kBaseName)) state.SkipWithError("no project");
    for (auto _ : state)
        if (!save_set(env, nullptr, nullptr, true)) state.SkipWithError("the project was not saved");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.total_bytes()));
}

bool write_replacing(const std::string &path, const std::string &bytes) {
    const std::string temporary = path + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    return ok && ::rename(temporary.c_str(), path.c_str()) == 0;
}

void BM_SaveBaseline(benchmark::State &state) {
    Project &p = project();
    for (auto _ : state)
        for (size_t i = 0; i < p.paths().size(); ++i)
            if (!write_replacing(p.paths()[i], p.bytes()[i])) state.SkipWithError("a file was not written");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.total_bytes()));
}

// A line of /proc/self/status in bytes, such as VmHWM (the peak resident size) or VmRSS.
double status_bytes(const char *field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0 && line[std::strlen(field)] == ':')
            return std::atof(line.c_str() + std::strlen(field) + 1) * 1024;
    return 0;
}

double heap_in_use() {
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// What a loaded project of 1 M channels costs: the rise of the peak resident size during the
// load (the peak is reset first) and the heap the loaded project keeps, each per channel.
void BM_LoadedProjectMemory(benchmark::State &state) {
    Project &p = project();
    for (auto _ : state) {
        ::malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak becomes the current size
        const double resident = status_bytes("VmRSS"), heap = heap_in_use();
        Environment env;
        if (!load_set(env, p.directory().c_str(), kBaseName)) state.SkipWithError("the project did not load");
        const double channels = double{kServers} * kChannelsPerServer;
        state.counters["peak_bytes_per_channel"] = (status_bytes("VmHWM") - resident) / channels;
        state.counters["heap_bytes_per_channel"] = (heap_in_use() - heap) / channels;
    }
}
BENCHMARK(BM_LoadedProjectMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Wall-clock time: a save spends most of it waiting for the disk.
#define PROJECT_BENCHMARK(fn) \
    BENCHMARK(fn)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true)

PROJECT_BENCHMARK(BM_Load);
PROJECT_BENCHMARK(BM_LoadBaseline);
PROJECT_BENCHMARK(BM_Save);
PROJECT_BENCHMARK(BM_SaveBaseline);

}  // namespace
}  // namespace tagcfg::bench
