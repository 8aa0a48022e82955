// Fuzz target: the module loader on mutated copies of the real module.
//
// An input is a list of edits to Zentrograph.dlo: its first four bytes (little
// endian) cut the file short when they are not zero (to that length, modulo its size),
// then each record of a four-byte offset, a length byte and that many bytes overwrites
// the file there. The result goes through the loader's checks, and:
//   - refused: loading it must fail with one line, before anything maps it;
//   - accepted with every byte the loader maps unchanged: it must load and unload;
//   - accepted otherwise: every byte of every loadable segment must be readable
//     through a mapping, as the loader maps it. The module is not run: its code and
//     data were changed, and running changed code is no test of the loader.
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/files/unique_fd.h"
#include "app/plugins/class_directory.h"
#include "app/plugins/module_file.h"
#include "fuzz/fuzz_support.h"

using fuzzsupport::Require;

namespace {

struct Base {
    std::string image;
    std::size_t mapped = 0;  // the end of the last loadable segment in the file
    std::filesystem::path file;
};


const ElfW(Phdr)* Segments(const std::string& image, int& count) {
    const auto* header = reinterpret_cast<const ElfW(Ehdr)*>(image.data());
    count = header->e_phnum;
    return reinterpret_cast<const ElfW(Phdr)*>(image.data() + header->e_phoff);
}

Base& Real() {
    static Base* base = [] {
        auto* b = new Base();
        std::ifstream in(ZENTROGRAPH_PLUGIN_DIR "/Zentrograph.dlo", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        b->image = bytes.str();
        int count = 0;
        const ElfW(Phdr)* segments = Segments(b->image, count);
        for (int i = 0; i < count; ++i) {
            if (segments[i].p_type == PT_LOAD) b->mapped = std::max(b->mapped, segments[i].p_offset + segments[i].p_filesz);
        }
        std::string folder = (std::filesystem::temp_directory_path() / "zentrograph-fuzz-XXXXXX").string();
        Require(mkdtemp(folder.data()) != nullptr);
        b->file = std::filesystem::path(folder) / "Mutated.dlo";
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Real().file.parent_path(), ignored);
        });
        return b;
    }();
    return *base;
}

std::uint32_t Word(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }

std::string Edited(const std::uint8_t* data, std::size_t size) {
    std::string image = Real().image;
    if (size < 4) return image;
    if (const std::uint32_t cut = Word(data); cut != 0) image.resize(cut % image.size());
    for (std::size_t at = 4; at + 5 <= size && !image.empty();) {
        const std::size_t offset = Word(data + at) % image.size();
        const std::size_t length = std::min<std::size_t>({data[at + 4], size - at - 5, image.size() - offset});
        std::memcpy(image.data() + offset, data + at + 5, length);
        at += 5 + length;
    }
    return image;
}

// Reads every byte of every loadable segment through a private mapping of the file.
void TouchSegments(const std::string& image) {
    int count = 0;
    const ElfW(Phdr)* segments = Segments(image, count);
    zg::files::UniqueFd fd(open(Real().file.c_str(), O_RDONLY | O_CLOEXEC));
    Require(static_cast<bool>(fd));
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    for (int i = 0; i < count; ++i) {
        if (segments[i].p_type != PT_LOAD || segments[i].p_filesz == 0) continue;
        const std::size_t start = segments[i].p_offset / page * page;
        const std::size_t length = segments[i].p_offset + segments[i].p_filesz - start;
        void* map = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd.Get(), static_cast<off_t>(start));
        Require(map != MAP_FAILED);
        volatile unsigned char sum = 0;
        for (std::size_t b = 0; b < length; ++b) sum = sum + static_cast<const unsigned char*>(map)[b];
        munmap(map, length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string image = Edited(data, size);
    {
        std::ofstream out(Real().file, std::ios::binary | std::ios::trunc);
        out.write(image.data(), static_cast<std::streamsize>(image.size()));
    }
    const bool refused = zg::plugins::FindModuleImageProblem(image).has_value();
    const bool unchanged = image.size() >= Real().mapped && image.compare(0, Real().mapped, Real().image, 0, Real().mapped) == 0;
    if (refused || unchanged) {
        zg::plugins::ClassDirectory directory;
        const bool loaded = directory.LoadModule(Real().file);
        Require(loaded != refused);
        if (refused) {
            Require(directory.Problems().size() == 1 &&
                    directory.Problems()[0].find("not a loadable module") != std::string::npos);
        }
        return 0;
    }
    TouchSegments(image);
    return 0;
}
