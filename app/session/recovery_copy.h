// RecoveryCopy: the scene's unsaved changes kept in a file beside it, so that a host
// that ends without saving (killed, a crash, a stop with changes) loses little. The
// copy of SCENE.json is .SCENE.json.recovery in the same folder; a scene with no file
// yet keeps .new-scene.json.recovery in the folder it would be saved to. The copy is a
// scene file, written whole through a temporary file (app/files/output_file.h).
//
// Used on the UI thread only, between the session's calls: writing reaches into
// plug-in code. It holds no timer: the host calls Update when it likes (on a timer of
// its UI thread), and the copy is written at most once an interval.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "app/session/edit_session.h"

namespace zg::session {

class RecoveryCopy {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kInterval{3};

    // Where the copy of the scene in `sceneFile` is kept; of a new scene (empty
    // `sceneFile`), in `folder`.
    static std::filesystem::path PathFor(const std::filesystem::path& sceneFile, const std::filesystem::path& folder);
    // The copy of that scene when one exists that is newer than the scene file (or the
    // scene has no file on disk); none otherwise.
    static std::optional<std::filesystem::path> FindNewer(const std::filesystem::path& sceneFile,
                                                          const std::filesystem::path& folder);

    // Keeps the copy of `session`'s scene; `folder` is where a new scene's copy goes.
    // `session` must outlive it.
    RecoveryCopy(EditSession& session, std::filesystem::path folder, Clock::duration interval = kInterval);

    // The copy on disk is this session's own: the scene was recovered from it, so a
    // save or a clean exit removes it.
    void Adopt();
    // At `now`: writes the copy when the scene has changes it lacks and `interval` has
    // passed since it was last written; removes it once the scene has no unsaved
    // changes. False, with one line in `error`, when writing failed the first time
    // after it last worked (a failure that lasts is told once).
    bool Update(Clock::time_point now, std::string& error);
    // Writes the copy now when the scene has changes it lacks. False, with a reason,
    // when writing failed.
    bool WriteNow(std::string& error);
    // Removes the copy this session wrote or adopted.
    void Remove();
    // The copy on disk that is this session's, or empty.
    const std::filesystem::path& Written() const { return written_; }

private:
    bool Write(std::string& error);

    EditSession& session_;
    std::filesystem::path folder_;
    Clock::duration interval_;
    std::filesystem::path written_;
    uint64_t writtenRevision_ = 0;
    std::optional<Clock::time_point> lastTry_;
    bool failing_ = false;
};

}  // namespace zg::session
