#include "tests/actions/ActionTestSupport.h"

namespace quorvel::testing {

// The snippet is pasted and after 800 ms the saved items come back with the types the
// pasteboard could deliver, unless someone wrote to the pasteboard in the meantime.
TEST_F(ActionTest, SnippetIsPastedThenThePasteboardRestoredUnlessRewritten)
{
    const platform::PasteboardItem rich{{{"public.rtf", {'{', 'r'}}, {"public.utf8-plain-text", {'h', 'i'}}}},
        image{{{"public.png", {'P'}}, {"public.tiff", {'T'}}}}, imageWithoutTiff{{{"public.png", {'P'}}}};
    fakes.pasteboard.items = {rich, image};
    fakes.pasteboard.undeliverableTypes = {"public.tiff"};
    run(Kind::TextSnippet{"   "});  // white space is pasted as it is
    EXPECT_EQ(fakes.pasteboard.plainText(), "   ");
    EXPECT_EQ(fakes.eventTap.keyboardEvents, (std::vector{key(9, true, 0x100000), key(9, false, 0x100000)}));
    fakes.mainQueue.advance(0.79);
    EXPECT_EQ(fakes.pasteboard.plainText(), "   ");
    fakes.mainQueue.advance(0.01);
    EXPECT_EQ(fakes.pasteboard.items, (std::vector{rich, imageWithoutTiff}));

    fakes.pasteboard.items.clear();
    run(Kind::TextSnippet{"hello"});
    fakes.mainQueue.advance(0.8);
    EXPECT_TRUE(fakes.pasteboard.items.empty());

    const auto changeCount = fakes.pasteboard.count;
    run(Kind::TextSnippet{""});  // the one text refused, with a beep
    EXPECT_EQ(fakes.alertSound.beeps, 1);
    EXPECT_EQ(fakes.pasteboard.count, changeCount);

    run(Kind::TextSnippet{"hello"});
    fakes.mainQueue.advance(0.5);
    fakes.pasteboard.copyFromElsewhere("copied by the user");
    fakes.mainQueue.advance(1);
    EXPECT_EQ(fakes.pasteboard.plainText(), "copied by the user");

    // A second snippet saves the first one, and only its own restore acts.
    run(Kind::TextSnippet{"first"});
    fakes.mainQueue.advance(0.3);
    run(Kind::TextSnippet{"second"});
    fakes.mainQueue.advance(0.5);
    EXPECT_EQ(fakes.pasteboard.plainText(), "second");
    fakes.mainQueue.advance(1);
    EXPECT_EQ(fakes.pasteboard.plainText(), "first");
}

}  // namespace quorvel::testing
