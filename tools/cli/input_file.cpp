#include "input_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "platform/files.h"
#include "text_escape.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tagcfg::cli {

namespace {

struct CloseFile {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

}  // namespace

bool read_input(const std::string &path, const char *command, std::string &text) {
    text.clear();
    auto fail = [&](const std::string &reason) {
        std::cerr << "tagcfg " << command << ": " << shown(path) << ": " << reason << "; nothing changed\n";
        return false;
    };
    std::unique_ptr<std::FILE, CloseFile> owned;
    std::FILE *input = stdin;
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);  // the bytes as they are, CR LF included
#endif
    } else {
        const platform::FileKind kind = platform::file_kind(path);
        if (kind == platform::FileKind::missing) return fail("no such file");
        if (kind == platform::FileKind::folder) return fail("is a folder");
        owned.reset(std::fopen(path.c_str(), "rb"));
        if (!owned) return fail("cannot be opened");
        input = owned.get();
    }
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, input)) > 0) {
        if (const void *nul = std::memchr(chunk, '\0', n)) {
            const char *end = static_cast<const char *>(nul);
            const size_t line = 1 + static_cast<size_t>(std::count(text.begin(), text.end(), '\n') +
                                                        std::count(static_cast<const char *>(chunk), end, '\n'));
            std::cerr << shown(path) << ':' << line << ": a NUL byte, which no text of a server file can hold\n"
                      << "tagcfg " << command << ": nothing changed\n";
            return false;
        }
        text.append(chunk, n);
    }
    if (std::ferror(input)) return fail("cannot be read");
    return true;
}

}  // namespace tagcfg::cli
