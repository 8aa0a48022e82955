// A fresh folder under the system's temporary directory, removed with everything in
// it when the object goes; for tests that need files on disk.
#pragma once

#include <filesystem>
#include <string_view>

namespace testsupport {

class TempFolder {
public:
    TempFolder();  // throws std::filesystem::filesystem_error when none can be made
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes `bytes` to Path()/name and answers that path.
    std::filesystem::path Write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

}  // namespace testsupport
