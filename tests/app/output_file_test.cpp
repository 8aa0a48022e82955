// Writing outputs: a regular file is replaced whole or not at all, a link is written
// through, a FIFO straight; a failed or interrupted write leaves the old file and no
// temporary file; outputs that are inputs are found through any link.
#include "app/files/output_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/program_run.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using zg::files::OutputOptions;
using zg::files::WriteStep;

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// Several blocks of text, so that writing it takes several steps.
std::string LongText(char fill) { return std::string(300 * 1024, fill); }

// How a child process that wrote a file ended.
struct ChildEnd {
    int signal = 0;   // the signal that stopped it, or 0
    int status = -1;  // its exit status when it was not stopped
};

// Runs `work` in a child process and waits for it.
template <typename Work>
ChildEnd InChild(Work work) {
    const pid_t pid = fork();
    if (pid == 0) _exit(work());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? ChildEnd{WTERMSIG(status), -1} : ChildEnd{0, WEXITSTATUS(status)};
}

TEST(OutputFileTest, ReplacesAFileWholeAndKeepsThePreviousOneAsBak) {
    testsupport::TempFolder folder;
    const fs::path file = folder.Write("scene.json", "old");
    std::string error;
    ASSERT_TRUE(zg::files::WriteFile(file, "new", error, OutputOptions{.keepBackup = true, .beforeStep = {}}))
        << error;
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(ReadFile(folder.Path() / "scene.json.bak"), "old");
    EXPECT_EQ(Entries(folder.Path()), (std::set<std::string>{"scene.json", "scene.json.bak"}));
}

TEST(OutputFileTest, WritesThroughALinkToItsTargetAndLeavesTheLink) {
    testsupport::TempFolder folder;
    const fs::path target = folder.Write("target.png", "old");
    fs::create_symlink("target.png", folder.Path() / "link.png");
    fs::create_symlink("missing.png", folder.Path() / "dangling.png");
    std::string error;
    ASSERT_TRUE(zg::files::WriteFile(folder.Path() / "link.png", "new", error)) << error;
    ASSERT_TRUE(zg::files::WriteFile(folder.Path() / "dangling.png", "made", error)) << error;
    EXPECT_TRUE(fs::is_symlink(folder.Path() / "link.png"));
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(ReadFile(folder.Path() / "missing.png"), "made");
}

TEST(OutputFileTest, WritesAFifoStraightWithoutReplacingIt) {
    testsupport::TempFolder folder;
    const fs::path fifo = folder.Path() / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadFile(fifo); });
    std::string error;
    const bool written = zg::files::WriteFile(fifo, LongText('f'), error);
    reader.join();
    EXPECT_TRUE(written) << error;
    EXPECT_EQ(received, LongText('f'));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(OutputFileTest, StandardOutputIsNamedByADash) {
    std::ostringstream out;
    std::string error;
    ASSERT_TRUE(zg::files::WriteOutput(
        "-", out, [](zg::files::ByteSink& sink, std::string&) { return sink.Write("bytes"), true; }, error));
    EXPECT_EQ(out.str(), "bytes");
}

TEST(OutputFileTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    testsupport::TempFolder folder;
    const fs::path file = folder.Write("out.svg", "old");
    std::string error;
    EXPECT_FALSE(zg::files::WriteOutput(
        file, std::cout, [](zg::files::ByteSink& sink, std::string& why) { return sink.Write("half"), why = "no", false; },
        error));
    EXPECT_EQ(ReadFile(file), "old");
    EXPECT_EQ(Entries(folder.Path()), (std::set<std::string>{"out.svg"}));
    EXPECT_FALSE(zg::files::WriteFile(folder.Path(), "x", error));
    EXPECT_EQ(error, folder.Path().string() + ": is a folder");
}

// The process is stopped before each step in turn: the file is always the old one or
// the new one, whole; a stopping signal also takes the temporary file away.
TEST(OutputFileTest, AProcessStoppedAtAnyStepLeavesTheOldFileOrTheNewOne) {
    for (const int signal : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        testsupport::TempFolder folder;
        const fs::path file = folder.Write("scene.json", LongText('o'));
        ChildEnd end;
        int steps = 0;
        for (int stopAt = 0; end.signal != 0 || end.status != 0; ++stopAt, ++steps) {
            ASSERT_LT(stopAt, 100) << "the write never completed";
            end = InChild([&] {
                int step = 0;
                const auto stop = [&](WriteStep) {
                    if (step++ == stopAt) raise(signal);
                };
                std::string error;
                return zg::files::WriteFile(file, LongText('n'), error, OutputOptions{true, stop}) ? 0 : 1;
            });
            const std::string now = ReadFile(file);
            EXPECT_TRUE(now == LongText('o') || now == LongText('n')) << "signal " << signal << " at step " << stopAt;
            if (signal != SIGKILL) {
                for (const std::string& name : Entries(folder.Path()))
                    EXPECT_TRUE(name == "scene.json" || name == "scene.json.bak") << name << " at step " << stopAt;
            }
        }
        EXPECT_GE(steps, 8);  // a temporary file, five blocks, sync, backup, rename
        EXPECT_EQ(ReadFile(file), LongText('n'));
        EXPECT_EQ(ReadFile(folder.Path() / "scene.json.bak"), LongText('o'));
    }
}

TEST(OutputFileTest, TheFileSizeLimitIsAnErrorNotAKill) {
    testsupport::TempFolder folder;
    const fs::path file = folder.Write("big.csv", "old");
    const ChildEnd end = InChild([&] {
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool written = zg::files::WriteFile(file, LongText('x'), error);
        return !written && error.find("File too large") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(end.signal, 0);
    EXPECT_EQ(end.status, 0);
    EXPECT_EQ(ReadFile(file), "old");
    EXPECT_EQ(Entries(folder.Path()), (std::set<std::string>{"big.csv"}));
}

TEST(OutputFileTest, AnOutputThatIsAnInputIsFoundThroughLinks) {
    testsupport::TempFolder folder;
    const fs::path scene = folder.Write("scene.json", "{}");
    fs::create_symlink(scene, folder.Path() / "soft.json");
    fs::create_hard_link(scene, folder.Path() / "hard.json");
    for (const char* name : {"scene.json", "soft.json", "hard.json"}) {
        const auto found = zg::files::FindOverwrittenInput(folder.Path() / name, {"-", scene});
        ASSERT_TRUE(found) << name;
        EXPECT_NE(found->find(scene.string()), std::string::npos) << *found;
    }
    EXPECT_FALSE(zg::files::FindOverwrittenInput(folder.Path() / "new.png", {scene}));
    EXPECT_FALSE(zg::files::FindOverwrittenInput("-", {scene}));
}

// A scene is saved to regular files only: a FIFO or a device is refused at once,
// never waited on, and a .bak that is not a file refuses the save before it starts.
TEST(OutputFileTest, ASaveRefusesWhatIsNotARegularFileAndLosesNothing) {
    testsupport::TempFolder folder;
    const fs::path fifo = folder.Path() / "scene.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const fs::path kept = folder.Write("kept.json", "old");
    fs::create_directory(folder.Path() / "kept.json.bak");
    const OutputOptions save{.keepBackup = true, .beforeStep = {}, .regularOnly = true};
    const struct {
        fs::path path;
        std::string says;
    } cases[] = {
        {fifo, fifo.string() + ": is a FIFO, not a regular file: choose a file to save to"},
        {"/dev/null", "/dev/null: is a device, not a regular file: choose a file to save to"},
        {kept, kept.string() + ".bak: is a folder, where the previous file would be kept: move it away to save"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(zg::files::WriteFile(c.path, "new", error, save)) << c.path;
        EXPECT_EQ(error, c.says);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(ReadFile(kept), "old");
    EXPECT_TRUE(fs::is_directory(folder.Path() / "kept.json.bak"));
}

// Any name that fits the folder can be written; temporary files that a killed writer
// left are removed at the next write of the same file, those of a live one are kept.
TEST(OutputFileTest, TemporaryNamesFitAndStaleOnesAreRemoved) {
    testsupport::TempFolder folder;
    for (const std::size_t length : {250u, 251u, 255u}) {
        const fs::path file = folder.Path() / std::string(length, 'n');
        std::string error;
        EXPECT_TRUE(zg::files::WriteFile(file, "one", error, OutputOptions{.keepBackup = true, .beforeStep = {}}))
            << length << ": " << error;
        EXPECT_TRUE(zg::files::WriteFile(file, "two", error)) << length << ": " << error;
        EXPECT_EQ(ReadFile(file), "two");
    }
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const fs::path scene = folder.Write("scene.json", "old");
    const std::string stale = ".scene.json.tmp-" + std::to_string(gone) + "-abcdef";
    const std::string live = ".scene.json.tmp-1-abcdef";
    folder.Write(stale, "half");
    folder.Write(live, "half");
    std::string error;
    ASSERT_TRUE(zg::files::WriteFile(scene, "new", error)) << error;
    const std::set<std::string> entries = Entries(folder.Path());
    EXPECT_FALSE(entries.contains(stale));
    EXPECT_TRUE(entries.contains(live));
}

// Once a temporary file was listed, a signal handled by the program's own handler
// still interrupts a call blocked in the meantime, instead of restarting it.
TEST(OutputFileDeathTest, ASignalStillInterruptsABlockedCallAfterAWrite) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            struct sigaction own {};
            own.sa_handler = [](int) {};
            own.sa_flags = SA_RESTART;
            sigaction(SIGTERM, &own, nullptr);
            testsupport::TempFolder folder;
            std::string error;
            zg::files::WriteFile(folder.Path() / "a.json", "x", error);
            int fds[2];
            if (pipe(fds) != 0) _exit(2);
            const pid_t self = getpid();
            std::thread([self, fds] {
                sigset_t term;
                sigemptyset(&term);
                sigaddset(&term, SIGTERM);
                pthread_sigmask(SIG_BLOCK, &term, nullptr);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                kill(self, SIGTERM);
                // A restarted read would wait for ever; this ends it with a byte.
                std::this_thread::sleep_for(std::chrono::milliseconds(2000));
                if (write(fds[1], "x", 1) != 1) _exit(3);
            }).detach();
            char byte = 0;
            _exit(read(fds[0], &byte, 1) < 0 && errno == EINTR ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
