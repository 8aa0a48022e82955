#include "app/plugins/module_file.h"

#include <elf.h>
#include <fmt/format.h>
#include <link.h>

#include <bit>
#include <array>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "app/files/input_file.h"

namespace zg::plugins {
namespace {

using Ehdr = ElfW(Ehdr);
using Phdr = ElfW(Phdr);
using Shdr = ElfW(Shdr);
using Dyn = ElfW(Dyn);
using Addr = ElfW(Addr);

constexpr unsigned char kHostClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kHostByteOrder =
    std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
#if defined(__x86_64__)
constexpr int kHostMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr int kHostMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr int kHostMachine = EM_386;
#else
constexpr int kHostMachine = -1;  // not checked here; the loader refuses a stranger
#endif

// [offset, offset + size) lies within [0, limit), without overflow.
bool Within(std::uint64_t offset, std::uint64_t size, std::uint64_t limit) {
    return offset <= limit && size <= limit - offset;
}

// A module's bytes, read a range at a time: a check reads the headers and the tables
// they point at, not the whole file.
struct ModuleBytes {
    std::uint64_t size = 0;
    // Fills [offset, offset + count) into the buffer given; the range lies within `size`.
    std::function<bool(std::uint64_t offset, std::size_t count, void* out)> read;
};

// The file as the headers describe it.
class Image {
public:
    explicit Image(ModuleBytes bytes) : bytes_(std::move(bytes)) {}

    std::optional<std::string> Check() {
        if (bytes_.size < sizeof(Ehdr)) return fmt::format("too short to be a module ({} bytes)", bytes_.size);
        if (!bytes_.read(0, sizeof header_, &header_)) return Unreadable();
        if (std::memcmp(header_.e_ident, ELFMAG, SELFMAG) != 0) return "not an ELF file";
        if (header_.e_ident[EI_CLASS] != kHostClass)
            return fmt::format("built for {}-bit machines", header_.e_ident[EI_CLASS] == ELFCLASS32 ? 32 : 64);
        if (header_.e_ident[EI_DATA] != kHostByteOrder) return "built for machines of the other byte order";
        if (header_.e_type != ET_DYN) return fmt::format("not a shared object (ELF type {})", header_.e_type);
        if (kHostMachine >= 0 && header_.e_machine != kHostMachine)
            return fmt::format("built for machine {}, this host is {}", header_.e_machine, kHostMachine);
        if (auto problem = ReadProgramHeaders()) return problem;
        if (auto problem = CheckSectionHeaders()) return problem;
        if (auto problem = CheckSegments()) return problem;
        return CheckDynamic();
    }

private:
    std::string CutShort(const char* what, std::uint64_t offset, std::uint64_t size) const {
        return fmt::format("cut short: its {} run to byte {}, the file holds {}", what,
                           offset + std::min<std::uint64_t>(size, std::numeric_limits<std::uint64_t>::max() - offset),
                           bytes_.size);
    }

    static std::string Unreadable() { return "cannot be read whole"; }

    // Whether a NUL byte lies in [from, to) of the file.
    bool NulWithin(std::uint64_t from, std::uint64_t to) const {
        std::array<char, 4096> chunk;
        while (from < to) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), to - from));
            if (!bytes_.read(from, n, chunk.data())) return false;
            if (std::memchr(chunk.data(), '\0', n) != nullptr) return true;
            from += n;
        }
        return false;
    }

    std::optional<std::string> ReadProgramHeaders() {
        if (header_.e_phnum == 0) return "no program headers";
        if (header_.e_phentsize != sizeof(Phdr)) return "program headers of a size this host does not know";
        const std::uint64_t size = std::uint64_t{header_.e_phnum} * sizeof(Phdr);
        if (!Within(header_.e_phoff, size, bytes_.size)) return CutShort("program headers", header_.e_phoff, size);
        segments_.resize(header_.e_phnum);
        if (!bytes_.read(header_.e_phoff, size, segments_.data())) return Unreadable();
        return std::nullopt;
    }

    std::optional<std::string> CheckSectionHeaders() const {
        if (header_.e_shoff == 0) return std::nullopt;
        if (header_.e_shentsize != sizeof(Shdr)) return "section headers of a size this host does not know";
        // With 0 sections listed the real count lies in the first header; it must be there.
        const std::uint64_t count = header_.e_shnum == 0 ? 1 : header_.e_shnum;
        const std::uint64_t size = count * sizeof(Shdr);
        if (!Within(header_.e_shoff, size, bytes_.size)) return CutShort("section headers", header_.e_shoff, size);
        return std::nullopt;
    }

    // Every segment's bytes lie in the file; every segment but a loadable one lies in the
    // memory of a loadable one, whose file bytes back it.
    std::optional<std::string> CheckSegments() {
        for (const Phdr& s : segments_) {
            if (!Within(s.p_offset, s.p_filesz, bytes_.size)) return CutShort("segments", s.p_offset, s.p_filesz);
            if (s.p_type == PT_LOAD) {
                if (s.p_filesz > s.p_memsz) return "a loadable segment holds more bytes than it maps";
                if (s.p_vaddr > std::numeric_limits<Addr>::max() - s.p_memsz) return "a loadable segment wraps around";
                loads_.push_back(&s);
            }
        }
        if (loads_.empty()) return "no loadable segment";
        for (const Phdr& s : segments_) {
            if (s.p_type == PT_LOAD || s.p_memsz == 0) continue;
            const Phdr* load = LoadHolding(s.p_vaddr, s.p_memsz);
            if (load == nullptr || s.p_offset - load->p_offset != s.p_vaddr - load->p_vaddr ||
                s.p_filesz > load->p_filesz || s.p_vaddr - load->p_vaddr > load->p_filesz - s.p_filesz)
                return fmt::format("a segment of type {:#x} lies outside the loadable segments", s.p_type);
            if (s.p_type == PT_DYNAMIC) dynamic_ = &s;
        }
        return std::nullopt;
    }

    // The loadable segment whose memory holds [address, address + size), or none.
    const Phdr* LoadHolding(Addr address, std::uint64_t size) const {
        for (const Phdr* load : loads_) {
            if (address >= load->p_vaddr && Within(address - load->p_vaddr, size, load->p_memsz)) return load;
        }
        return nullptr;
    }

    std::optional<std::string> CheckDynamic() const {
        if (dynamic_ == nullptr) return "no dynamic segment";
        std::vector<Dyn> entries;
        std::array<Dyn, 64> chunk;
        const std::uint64_t count = dynamic_->p_filesz / sizeof(Dyn);
        for (std::uint64_t at = 0; at < count; at += chunk.size()) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), count - at));
            if (!bytes_.read(dynamic_->p_offset + at * sizeof(Dyn), n * sizeof(Dyn), chunk.data())) return Unreadable();
            for (std::size_t i = 0; i < n; ++i) {
                if (chunk[i].d_tag == DT_NULL) return CheckDynamicEntries(entries);
                entries.push_back(chunk[i]);
            }
        }
        return "the dynamic segment has no end";
    }

    std::optional<std::string> CheckDynamicEntries(const std::vector<Dyn>& entries) const {
        const auto value = [&](ElfW(Sxword) tag) -> std::optional<std::uint64_t> {
            for (const Dyn& e : entries)
                if (e.d_tag == tag) return e.d_un.d_val;
            return std::nullopt;
        };
        // Tables with their sizes, then single addresses.
        static constexpr std::pair<ElfW(Sxword), ElfW(Sxword)> kSized[] = {
            {DT_STRTAB, DT_STRSZ},        {DT_RELA, DT_RELASZ},           {DT_REL, DT_RELSZ},
            {DT_JMPREL, DT_PLTRELSZ},     {DT_INIT_ARRAY, DT_INIT_ARRAYSZ}, {DT_FINI_ARRAY, DT_FINI_ARRAYSZ},
            {DT_PREINIT_ARRAY, DT_PREINIT_ARRAYSZ},
        };
        for (const auto& [addressTag, sizeTag] : kSized) {
            const auto address = value(addressTag);
            if (address && LoadHolding(*address, value(sizeTag).value_or(0)) == nullptr)
                return fmt::format("dynamic entry {} points outside the loadable segments", addressTag);
        }
        for (ElfW(Sxword) tag : {DT_PLTGOT, DT_HASH, DT_SYMTAB, DT_INIT, DT_FINI, DT_GNU_HASH, DT_VERSYM, DT_VERDEF,
                                 DT_VERNEED}) {
            const auto address = value(tag);
            if (address && LoadHolding(*address, 1) == nullptr)
                return fmt::format("dynamic entry {} points outside the loadable segments", tag);
        }
        // Names are offsets into the string table, each ended by a NUL there.
        const auto strtab = value(DT_STRTAB);
        const std::uint64_t strsz = value(DT_STRSZ).value_or(0);
        for (const Dyn& e : entries) {
            if (e.d_tag != DT_NEEDED && e.d_tag != DT_SONAME && e.d_tag != DT_RPATH && e.d_tag != DT_RUNPATH) continue;
            if (!strtab || e.d_un.d_val >= strsz) return "a name in the dynamic segment lies outside its string table";
            const Phdr* load = LoadHolding(*strtab, strsz);
            const std::uint64_t inLoad = *strtab - load->p_vaddr;
            // The table's bytes in the file: the part of it that the segment's file bytes back.
            const std::uint64_t backed = inLoad >= load->p_filesz ? 0 : std::min(strsz, load->p_filesz - inLoad);
            const std::uint64_t table = load->p_offset + inLoad;
            if (e.d_un.d_val >= backed || !NulWithin(table + e.d_un.d_val, table + backed))
                return "a name in the dynamic segment does not end in its string table";
        }
        return std::nullopt;
    }

    ModuleBytes bytes_;
    Ehdr header_{};
    std::vector<Phdr> segments_;
    std::vector<const Phdr*> loads_;
    const Phdr* dynamic_ = nullptr;
};

}  // namespace

std::optional<std::string> FindModuleImageProblem(std::string_view image) {
    return Image({image.size(), [image](std::uint64_t offset, std::size_t count, void* out) {
                      std::memcpy(out, image.data() + offset, count);
                      return true;
                  }})
        .Check();
}

bool CheckModuleFile(const std::filesystem::path& file, std::string& error) {
    std::string problem;
    if (const auto input = files::OpenInputFile(file, files::kMaxModuleFileBytes, problem)) {
        const auto found = Image({input->size, [&input](std::uint64_t offset, std::size_t count, void* out) {
                                      return files::ReadInputAt(*input, offset, count, out);
                                  }})
                               .Check();
        if (found) problem = *found;
    }
    if (problem.empty()) return true;
    error = fmt::format("{}: not a loadable module: {}", file.string(), problem);
    return false;
}

}  // namespace zg::plugins
