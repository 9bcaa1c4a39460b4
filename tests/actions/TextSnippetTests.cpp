#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {
namespace {

platform::PasteboardItem item(std::vector<std::pair<std::string, std::string>> contents)
{
    platform::PasteboardItem result;
    for (auto& [type, data] : contents) result.setData(type, platform::Bytes(data.begin(), data.end()));
    return result;
}

class TextSnippetTest : public ActionTest {
protected:
    void SetUp() override
    {
        ActionTest::SetUp();
        fakes.pasteboard.items = {item({{FakePasteboard::plainTextType, "original"}})};
    }
};

TEST_F(TextSnippetTest, WritesPastesAndRestoresAfter800Milliseconds)
{
    run(ActionKind::TextSnippet{"   "});  // white space is pasted as it is

    EXPECT_EQ(fakes.pasteboard.plainText(), "   ");
    EXPECT_EQ(fakes.eventTap.keyboardEvents, (std::vector{key(9, true, 0x100000), key(9, false, 0x100000)}));
    fakes.mainQueue.advance(0.79);
    EXPECT_EQ(fakes.pasteboard.plainText(), "   ");
    fakes.mainQueue.advance(0.01);
    EXPECT_EQ(fakes.pasteboard.plainText(), "original");
}

TEST_F(TextSnippetTest, EmptySnippetBeepsAndLeavesThePasteboardAlone)
{
    const auto before = fakes.pasteboard.count;
    run(ActionKind::TextSnippet{""});
    EXPECT_EQ(fakes.alertSound.beeps, 1);
    EXPECT_TRUE(fakes.accessibility.promptRequests.empty());
    EXPECT_EQ(fakes.pasteboard.count, before);
    EXPECT_TRUE(fakes.eventTap.nothingPosted());
}

TEST_F(TextSnippetTest, RestoresEmptinessOrEveryItemWithItsReadableTypes)
{
    fakes.pasteboard.items.clear();
    run(ActionKind::TextSnippet{"hello"});
    fakes.mainQueue.advance(0.8);
    EXPECT_TRUE(fakes.pasteboard.items.empty());

    fakes.pasteboard.items = {item({{"public.rtf", "{\\rtf1 hi}"}, {"public.utf8-plain-text", "hi"}}),
                              item({{"public.png", "PNG"}, {"public.tiff", "TIFF"}})};
    fakes.pasteboard.undeliverableTypes = {"public.tiff"};
    run(ActionKind::TextSnippet{"hello"});
    fakes.mainQueue.advance(0.8);
    EXPECT_EQ(fakes.pasteboard.items,
              (std::vector{item({{"public.rtf", "{\\rtf1 hi}"}, {"public.utf8-plain-text", "hi"}}),
                           item({{"public.png", "PNG"}})}));
    EXPECT_EQ(fakes.pasteboard.writeObjectsCalls, 1);  // all items in one write, none for the empty list
}

TEST_F(TextSnippetTest, NewerWritesWithinTheDelayAreKept)
{
    run(ActionKind::TextSnippet{"hello"});
    fakes.mainQueue.advance(0.5);
    fakes.pasteboard.copyFromElsewhere("copied by the user");
    fakes.mainQueue.advance(1);
    EXPECT_EQ(fakes.pasteboard.plainText(), "copied by the user");

    // A second snippet saves the first one, and only its own restore acts.
    run(ActionKind::TextSnippet{"first"});
    fakes.mainQueue.advance(0.3);
    run(ActionKind::TextSnippet{"second"});
    fakes.mainQueue.advance(0.5);
    EXPECT_EQ(fakes.pasteboard.plainText(), "second");
    fakes.mainQueue.advance(1);
    EXPECT_EQ(fakes.pasteboard.plainText(), "first");
}

}  // namespace
}  // namespace quorvel::testing
