#include "app/session/recovery_copy.h"

#include <fmt/format.h>

#include <system_error>

#include "app/files/output_file.h"
#include "app/scene/scene_file.h"
#include "app/session/scene_classes.h"

namespace zg::session {

namespace fs = std::filesystem;

fs::path RecoveryCopy::PathFor(const fs::path& sceneFile, const fs::path& folder) {
    if (sceneFile.empty()) return folder / ".new-scene.json.recovery";
    return sceneFile.parent_path() / ("." + sceneFile.filename().string() + ".recovery");
}

std::optional<fs::path> RecoveryCopy::FindNewer(const fs::path& sceneFile, const fs::path& folder) {
    const fs::path copy = PathFor(sceneFile, folder);
    std::error_code ec;
    if (!fs::is_regular_file(copy, ec)) return std::nullopt;
    if (sceneFile.empty() || !fs::exists(sceneFile, ec)) return copy;
    const fs::file_time_type copyTime = fs::last_write_time(copy, ec);
    if (ec) return std::nullopt;
    const fs::file_time_type sceneTime = fs::last_write_time(sceneFile, ec);
    if (ec || copyTime <= sceneTime) return std::nullopt;
    return copy;
}

RecoveryCopy::RecoveryCopy(EditSession& session, fs::path folder, Clock::duration interval)
    : session_(session), folder_(std::move(folder)), interval_(interval) {}

void RecoveryCopy::Adopt() {
    written_ = PathFor(session_.File(), folder_);
    writtenRevision_ = session_.DrawingRevision();
}

bool RecoveryCopy::Update(Clock::time_point now, std::string& error) {
    if (!session_.Unsaved()) {
        Remove();
        return true;
    }
    // A node half made or half moved is no change to keep yet.
    if (session_.Dragging()) return true;
    if (written_ == PathFor(session_.File(), folder_) && writtenRevision_ == session_.DrawingRevision()) return true;
    if (lastTry_ && now - *lastTry_ < interval_) return true;
    lastTry_ = now;
    std::string why;
    if (Write(why)) {
        failing_ = false;
        return true;
    }
    const bool told = failing_;
    failing_ = true;
    if (told) return true;
    error = why;
    return false;
}

bool RecoveryCopy::WriteNow(std::string& error) {
    if (!session_.Unsaved()) return true;
    if (written_ == PathFor(session_.File(), folder_) && writtenRevision_ == session_.DrawingRevision()) return true;
    return Write(error);
}

void RecoveryCopy::Remove() {
    if (written_.empty()) return;
    std::error_code ec;
    fs::remove(written_, ec);
    written_.clear();
}

bool RecoveryCopy::Write(std::string& error) {
    const fs::path path = PathFor(session_.File(), folder_);
    session_.Scene().SetViews(session_.Views());
    const std::optional<std::string> text =
        scene::WriteScene(session_.Scene(), session::ResolverFor(session_.Classes()), error);
    if (!text) {
        error = fmt::format("{}: {}", path.string(), error);
        return false;
    }
    if (!files::WriteFile(path, *text, error, files::OutputOptions{.keepBackup = false, .beforeStep = {}, .regularOnly = true}))
        return false;
    if (written_ != path) Remove();
    written_ = path;
    writtenRevision_ = session_.DrawingRevision();
    return true;
}

}  // namespace zg::session
