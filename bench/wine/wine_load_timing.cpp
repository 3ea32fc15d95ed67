// Under Wine, reported only: tagcfg_load of a project of 256 server files with 4 000 channels
// each, shaped as the native load benchmark's, against reading the same files with ReadFile and
// cutting them into lines, in one Windows process. Google Benchmark is built natively only, so
// this is a plain program: five timed runs of each, medians printed.
//   wine_load_timing.exe [DIRECTORY]   (a scratch folder; default: the system's temporary folder)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "split_lines.h"
#include "tagcfg.h"

namespace {

constexpr int kServers = 256;
constexpr int kChannelsPerServer = 4000;
constexpr int kRuns = 5;
constexpr const char kBaseName[] = "bench";

std::string file_path(const std::string &directory, int server) {
    return directory + "\\" + kBaseName + "_opc" + std::to_string(server) + ".cnf";
}

// The bytes the library writes for the native benchmark's server s: mostly numbered channels, a
// quarter known by name only, every second one with an access path.
std::string server_file(int s) {
    std::string out = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Vendor.OPCServer." + std::to_string(s) + "\r\n";
    out += "CLSID:{6E6170F0-FF2D-11D2-8087-00105AA8F8" + std::to_string(10 + s % 90) + "}\r\n";
    out += "HOSTNAME:scada-node-" + std::to_string(s % 8) + "\r\nDESCRIPTION:Benchmark server " + std::to_string(s);
    out += "\r\n\r\n";
    char line[64];
    for (int k = 0; k < kChannelsPerServer; ++k) {
        const int n = s * kChannelsPerServer + k;
        if (k % 4 == 3) std::snprintf(line, sizeof line, "%%CHANNEL:Pump%07d\r\n", n);
        else std::snprintf(line, sizeof line, "%%CHANID:%d\r\n", n);
        out += line;
        std::snprintf(line, sizeof line, "ID:Plant.Line%02d.Pump%07d.PV\r\n", n % 64, n);
        out += line;
        if (k % 2) out += "ACCPATH:Device" + std::to_string(k % 16) + "\r\n";
        out += "\r\n";
    }
    return out;
}

bool write_whole(const std::string &path, const std::string &bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    return CloseHandle(file) && ok;
}

// The baseline: each file read whole with ReadFile and cut into lines as views.
bool read_and_split(const std::vector<std::string> &paths) {
    std::string bytes;
    std::vector<std::string_view> lines;
    for (const std::string &path : paths) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        LARGE_INTEGER size;
        DWORD read = 0;
        bool ok = GetFileSizeEx(file, &size) != 0;
        if (ok) bytes.resize(static_cast<size_t>(size.QuadPart));
        ok = ok && ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
             read == bytes.size();
        CloseHandle(file);
        if (!ok) return false;
        tagcfg::bench::split_lines(bytes, lines);
        if (lines.empty()) return false;
    }
    return true;
}

double now_ms() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
    char temp[MAX_PATH];
    std::string directory = argc > 1 ? argv[1] : std::string(temp, GetTempPathA(MAX_PATH, temp));
    while (!directory.empty() && (directory.back() == '\\' || directory.back() == '/')) directory.pop_back();
    directory += "\\tagcfg_wine_load_timing";
    CreateDirectoryA(directory.c_str(), nullptr);

    std::vector<std::string> paths;
    size_t total = 0;
    for (int s = 0; s < kServers; ++s) {
        const std::string bytes = server_file(s);
        paths.push_back(file_path(directory, s));
        total += bytes.size();
        if (!write_whole(paths.back(), bytes)) {
            std::fprintf(stderr, "cannot write %s\n", paths.back().c_str());
            return 1;
        }
    }

    tagcfg_environment *env = tagcfg_init_environment();
    std::vector<double> load, baseline;
    bool ok = env != nullptr;
    for (int run = 0; ok && run < kRuns; ++run) {
        // Alternating, so that both see the same state of the file cache.
        double start = now_ms();
        ok = tagcfg_load(env, directory.c_str(), kBaseName) == 0;
        load.push_back(now_ms() - start);
        int channels = 0;
        ok = ok && tagcfg_get_server_type(env, kServers - 1, nullptr, &channels) == 0 && channels == kChannelsPerServer;
        tagcfg_clear(env);  // releasing a loaded project is not part of loading it
        start = now_ms();
        ok = ok && read_and_split(paths);
        baseline.push_back(now_ms() - start);
    }
    if (env) tagcfg_free_environment(env);
    for (const std::string &path : paths) DeleteFileA(path.c_str());
    RemoveDirectoryA(directory.c_str());
    if (!ok) {
        std::fprintf(stderr, "the project did not load or read\n");
        return 1;
    }
    std::printf("%d files x %d channels, %.1f MB, medians of %d runs\n", kServers, kChannelsPerServer,
                static_cast<double>(total) / 1e6, kRuns);
    std::printf("tagcfg_load        %8.1f ms\nReadFile + split   %8.1f ms\nratio              %8.2f\n", median(load),
                median(baseline), median(load) / median(baseline));
    return 0;
}
