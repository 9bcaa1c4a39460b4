// How `quorvel config` writes: in one step, under its lock, keeping the file's permissions.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "helper/configuration/ConfigurationJson.h"
#include "helper/configuration/editing/ConfigurationFiles.h"
#include "tests/configuration/editing/EditingTestSupport.h"

namespace quorvel::testing {
namespace {

using namespace editing;

// Two editors at once, 1000 edits in all, while a reader decodes the file as the agent does.
TEST(ConfigWriting, AReaderNeverSeesAPartialFileAndConcurrentEditsKeepEachOthersChanges)
{
    EditingMachine machine;
    const auto file = machine.directory.path / "new/Quorvel/configuration.json";
    std::atomic<bool> writing{true};
    std::atomic<int> decoded{0}, failed{0};
    std::thread reader([&] {
        while (writing) {
            if (const auto bytes = readWholeFile(file)) (decodeConfiguration(std::span(*bytes)) ? decoded : failed)++;
        }
    });
    const auto edit = [&](TrackpadCorner corner) {
        SequentialUuidSource uuids;
        for (int i = 0; i < 500; ++i) {
            const auto lock = EditLock::acquire(file.parent_path());
            const EditRequest request{SetAction{{corner, TapPattern::doubleTap}, "textSnippet", std::to_string(i)}};
            const auto outcome = applyEdit(request, file, readWholeFileOrFailure(file), *machine.lookups, uuids);
            EXPECT_FALSE(writeFileAtomically(file, outcome.content.value()));
        }
    };
    std::thread other(edit, TrackpadCorner::topRight);
    edit(TrackpadCorner::topLeft);
    other.join();
    writing = false;
    reader.join();

    EXPECT_EQ(failed, 0);
    EXPECT_GT(decoded, 0);
    const auto bytes = readWholeFile(file).value();
    const auto configuration = decodeConfiguration(std::span(bytes)).value();
    for (TrackpadCorner corner : {TrackpadCorner::topLeft, TrackpadCorner::topRight})
        EXPECT_EQ(configuration.assignment(corner).doubleTap->kind, ActionKind{ActionKind::TextSnippet{"499"}});
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(modeOf(file.parent_path()), 0700u);
    EXPECT_EQ(modeOf(file.parent_path().parent_path()), 0700u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 2);  // and the lock
}

TEST(ConfigWriting, AWriteKeepsTheModeAndTheSymbolicLinkAndANewOnlyWriteReplacesNothing)
{
    const TemporaryDirectory directory;
    const auto target = directory.path / "dotfiles/configuration.json", link = directory.path / "configuration.json";
    writeFile(target, "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("dotfiles/configuration.json", link);
    EXPECT_FALSE(writeFileAtomically(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readText(target), "new");
    EXPECT_EQ(modeOf(target), 0640u);
    EXPECT_EQ(writeFileAtomically(link, "newer", /*mustNotExist=*/true), target.string() + " already exists");
    EXPECT_EQ(readText(target), "new");
}

}  // namespace
}  // namespace quorvel::testing
