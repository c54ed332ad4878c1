// The image view without the toolkit: its rows, overwriting in hex and text, undo and redo, go
// to and find, and the differences of a Verify or a comparison with the chip.
#include <gtest/gtest.h>

#include "dialog/ImageEditor.h"
#include "programmer/FormatText.h"
#include "tests/support/BoardSession.h"

namespace korvel {

namespace {

using Texts = std::vector<std::string>;
const std::string kErasedHex = "FF FF FF FF FF FF FF FF  FF FF FF FF FF FF FF FF";

std::vector<std::uint8_t> Text(const std::string& text) {
    return {text.begin(), text.end()};
}

// The addresses of the bytes marked as differing, in hex.
Texts Marked(const ImageEditor& editor) {
    Texts marked;
    for (const Difference& d : editor.Differences()) {
        marked.push_back(FormatText("%X", static_cast<unsigned>(d.address)));
    }
    return marked;
}

// An editor on a 24C02 whose image is erased, that counts the edits it reports.
struct Desk {
    Desk() : editor(core, [this] { ++edits; }) {}
    Programmer core;
    int edits = 0;
    ImageEditor editor;
};

TEST(ImageRows, SixteenBytesARowWithAddressHexAndTextAsFarAsTheChipReaches) {
    Desk desk;
    desk.core.PutImage(0x10, {'H', 'e', 'l', 'l', 'o', 0x00, 0x7F, 0x20, 0x41, 0x7E, 0x80});
    desk.editor.Follow();
    EXPECT_EQ(desk.editor.Rows(), 16);
    const ImageRow row = desk.editor.Row(1);
    EXPECT_EQ((Texts{row.address, row.hex, row.text, row.chip}),
              (Texts{"0010", "48 65 6C 6C 6F 00 7F 20  41 7E 80 FF FF FF FF FF", "Hello.. A~......",
                     ""}));
    EXPECT_EQ(desk.editor.Row(15).address, "00F0");
    EXPECT_EQ(desk.editor.Title(), "Image: [buffer] (24C02)");

    desk.core.SelectChip(FindChipType("24C256"));
    desk.core.NameImage("/home/ann/dump.bin");
    desk.editor.MoveTo(0x7FFF);
    desk.editor.Follow();
    EXPECT_EQ(desk.editor.Rows(), 2048);
    EXPECT_EQ(desk.editor.Row(2047).address, "7FF0");
    EXPECT_EQ(desk.editor.Title(), "Image: /home/ann/dump.bin (24C256)");
    // A smaller chip keeps the cursor on the image.
    desk.core.SelectChip(FindChipType("24C00"));
    desk.editor.Follow();
    EXPECT_EQ(desk.editor.Rows(), 1);
    EXPECT_EQ(desk.editor.Position(), "000Fh: FF");
}

TEST(ImageEditing, HexDigitsAndTextOverwriteMoveOnAndLeaveTheImageStandingForNoFile) {
    Desk desk;
    desk.core.NameImage("/images/chip.bin");
    ImageEditor& editor = desk.editor;
    editor.MoveTo(0x10);
    for (const char key : std::string("4a1")) {
        EXPECT_TRUE(editor.Type(key)) << key;
    }
    EXPECT_EQ(editor.Row(1).hex, "4A 1F FF FF FF FF FF FF  FF FF FF FF FF FF FF FF");
    EXPECT_EQ(editor.Cursor(), 0x11);
    EXPECT_TRUE(editor.OnLowDigit());
    EXPECT_FALSE(editor.Type('g'));
    EXPECT_FALSE(editor.Type(' '));

    editor.ChoosePane(ImageEditor::Pane::Text);
    for (const char key : std::string("OK")) {
        EXPECT_TRUE(editor.Type(key)) << key;
    }
    EXPECT_FALSE(editor.Type('\n'));
    EXPECT_FALSE(editor.Type('\x80'));
    EXPECT_EQ(editor.Row(1).hex, "4A 4F 4B FF FF FF FF FF  FF FF FF FF FF FF FF FF");
    EXPECT_EQ(editor.Row(1).text, "JOK.............");
    EXPECT_EQ(editor.Position(), "0013h: FF");
    EXPECT_EQ(desk.edits, 5);
    EXPECT_EQ(desk.core.ImageName(), "[buffer]");
    EXPECT_TRUE(desk.core.ImageUnsaved());

    // A byte typed over with its own value is no edit; the last byte takes every key.
    const int edits = desk.edits;
    editor.MoveTo(0x11);
    editor.Type('O');
    EXPECT_EQ(desk.edits, edits);
    editor.MoveTo(0xFF);
    editor.Type('y');
    editor.Type('z');
    EXPECT_EQ(editor.Cursor(), 0xFF);
    EXPECT_EQ(editor.Row(15).text, "...............z");
}

// Two hex digits of a byte are one step; each character of text one.
TEST(ImageEditing, UndoAndRedoStepByByte) {
    Desk desk;
    ImageEditor& editor = desk.editor;
    for (const char key : std::string("4142")) {
        editor.Type(key);
    }
    editor.ChoosePane(ImageEditor::Pane::Text);
    editor.Type('C');
    EXPECT_EQ(editor.Row(0).text, "ABC.............");
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Row(0).text, "AB..............");
    EXPECT_EQ(editor.Cursor(), 2);
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Row(0).hex, "41 FF FF FF FF FF FF FF  FF FF FF FF FF FF FF FF");
    EXPECT_TRUE(editor.Redo());
    EXPECT_EQ(editor.Row(0).hex, "41 42 FF FF FF FF FF FF  FF FF FF FF FF FF FF FF");
    EXPECT_TRUE(editor.CanRedo());
    // A new edit ends what could be redone.
    editor.MoveTo(5);
    editor.Type('x');
    EXPECT_FALSE(editor.CanRedo());
    EXPECT_FALSE(editor.Redo());
    EXPECT_EQ(editor.Note(), "Nothing to redo");
    while (editor.Undo()) {
    }
    EXPECT_EQ(editor.Row(0).hex, kErasedHex);
    EXPECT_EQ(editor.Note(), "Nothing to undo");
}

// An image that changed elsewhere (a Read, an Open) must not get old bytes back by an undo.
TEST(ImageEditing, AnImageChangedElsewhereEndsTheUndoHistory) {
    Desk desk;
    ImageEditor& editor = desk.editor;
    editor.Type('0');
    editor.Type('0');
    editor.Follow();
    EXPECT_TRUE(editor.CanUndo()) << "nothing changed elsewhere";
    desk.core.PutImage(0, {0x12, 0x34});
    editor.Follow();
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.Undo());
    EXPECT_EQ(editor.Row(0).hex, "12 34 FF FF FF FF FF FF  FF FF FF FF FF FF FF FF");
}

TEST(ImageEditing, NothingIsEditedWhileAnOperationRuns) {
    Desk desk;
    ImageEditor& editor = desk.editor;
    editor.Type('1');
    editor.Lock(true);
    for (const char key : std::string("23")) {
        EXPECT_FALSE(editor.Type(key));
    }
    EXPECT_FALSE(editor.Undo());
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_EQ(editor.Note(), "No edits while an operation runs");
    EXPECT_EQ(editor.Row(0).hex, "1F FF FF FF FF FF FF FF  FF FF FF FF FF FF FF FF");
    EXPECT_TRUE(editor.GoTo("20"));
    EXPECT_TRUE(editor.Find("1F"));
    editor.Lock(false);
    EXPECT_TRUE(editor.CanUndo());
    EXPECT_EQ(desk.edits, 1);
}

TEST(ImageSearch, GoToTakesHexAddressesWithinTheChip) {
    Desk desk;
    desk.core.SelectChip(FindChipType("24C16"));
    ImageEditor& editor = desk.editor;
    editor.Follow();
    for (const auto& [typed, cursor] :
         {std::pair{"1f0", 0x1F0}, {" 0x7FF ", 0x7FF}, {"100h", 0x100}, {"0", 0}}) {
        EXPECT_TRUE(editor.GoTo(typed)) << typed;
        EXPECT_EQ(editor.Cursor(), cursor) << typed;
    }
    editor.GoTo("100");
    EXPECT_FALSE(editor.GoTo("800"));
    EXPECT_EQ(editor.Note(), "No address 800h: the 24C16 ends at 7FFh");
    EXPECT_FALSE(editor.GoTo("12 34"));
    EXPECT_EQ(editor.Note(), "Not an address: 12 34");
    EXPECT_FALSE(editor.GoTo(""));
    EXPECT_EQ(editor.Cursor(), 0x100);
}

// Bytes in hex, text otherwise or between double quotes; from the cursor on, round past the end.
TEST(ImageSearch, FindLooksForBytesOrTextFromTheCursorRoundPastTheEnd) {
    Desk desk;
    desk.core.PutImage(0x20, {0xDE, 0xAD});
    desk.core.PutImage(0x80, Text("cafe here"));
    desk.core.PutImage(0xF0, {0xDE, 0xAD, 0xCA, 0xFE});
    desk.core.PutImage(0xFF, {0x11});
    desk.core.PutImage(0x00, {0x22});
    ImageEditor& editor = desk.editor;
    editor.Follow();
    editor.MoveTo(0x30);
    const auto found = [&editor] {
        return editor.Note() + " " + std::to_string(editor.FoundLength()) + " at " +
               std::to_string(editor.Cursor());
    };
    EXPECT_TRUE(editor.Find("DE AD"));
    EXPECT_EQ(found(), "Found at 00F0h 2 at 240");
    EXPECT_TRUE(editor.FindNext());
    EXPECT_EQ(found(), "Found at 0020h 2 at 32");
    EXPECT_TRUE(editor.FindPrevious());
    EXPECT_EQ(found(), "Found at 00F0h 2 at 240");
    EXPECT_TRUE(editor.Find("cafe"));  // hex digits: the bytes CA FE
    EXPECT_EQ(found(), "Found at 00F2h 2 at 242");
    EXPECT_TRUE(editor.Find("\"cafe\""));
    EXPECT_EQ(found(), "Found at 0080h 4 at 128");
    EXPECT_TRUE(editor.Find("e here"));  // no hex: text
    EXPECT_EQ(found(), "Found at 0083h 6 at 131");
    // Where the search starts, the bytes found there count.
    EXPECT_TRUE(editor.Find("e"));
    EXPECT_EQ(found(), "Found at 0083h 1 at 131");

    EXPECT_FALSE(editor.Find("be ef"));
    EXPECT_EQ(found(), "Not found: BE EF 0 at 131");
    EXPECT_FALSE(editor.Find("\"Cafe\""));
    EXPECT_EQ(editor.Note(), "Not found: \"Cafe\"");
    EXPECT_FALSE(editor.Find("11 22")) << "no match runs past the end";
    EXPECT_FALSE(editor.Find("  "));
}

// A Verify knows the first difference, a comparison every one; the chip's bytes show beside the
// image's. An edit that gives a byte the chip's value settles its difference until it is undone.
TEST(ImageDifferences, MarkedFromACompareOrAVerifyAndFollowedThroughEdits) {
    ProgrammerSession session("24C02");  // an erased chip
    Programmer& core = session.programmer;
    core.PutImage(0x10, {0x00, 0x01});
    core.PutImage(0x1F, {0x41});
    ImageEditor editor(core, [] {});
    EXPECT_FALSE(editor.NextDifference());
    EXPECT_EQ(editor.Note(), "No difference known: Verify, or Compare with chip");

    ASSERT_TRUE(core.Compare().read.Succeeded());
    editor.Follow();
    EXPECT_EQ(Marked(editor), (Texts{"10", "11", "1F"}));
    const ImageRow row = editor.Row(1);
    EXPECT_EQ(row.hex, "00 01 FF FF FF FF FF FF  FF FF FF FF FF FF FF 41");
    EXPECT_EQ(row.chip, "FF FF" + std::string(41, ' ') + "FF");
    EXPECT_EQ(editor.Row(0).chip, "");
    EXPECT_EQ(editor.Position(), "0000h: FF");

    Texts positions;
    while (editor.NextDifference()) {
        positions.push_back(editor.Position());
    }
    EXPECT_EQ(positions, (Texts{"0010h: 00, chip FF (difference 1 of 3)",
                                "0011h: 01, chip FF (difference 2 of 3)",
                                "001Fh: 41, chip FF (difference 3 of 3)"}));
    EXPECT_EQ(editor.Note(), "No further difference");
    EXPECT_TRUE(editor.PreviousDifference());
    EXPECT_EQ(editor.Cursor(), 0x11);
    editor.Type('F');
    editor.Type('F');
    EXPECT_EQ(Marked(editor), (Texts{"10", "1F"}));
    EXPECT_EQ(editor.Row(1).chip, "FF" + std::string(44, ' ') + "FF");
    editor.Undo();
    EXPECT_EQ(Marked(editor), (Texts{"10", "11", "1F"}));
    editor.Redo();
    EXPECT_EQ(Marked(editor), (Texts{"10", "1F"}));
    editor.Follow();  // after a click on Save, say: the core keeps what still differs
    EXPECT_EQ(Marked(editor), (Texts{"10", "1F"}));
    editor.MoveTo(0x10);
    editor.Type('7');
    EXPECT_EQ(editor.Position(), "0010h: 70, chip FF (difference 1 of 2)");
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Position(), "0010h: 00, chip FF (difference 1 of 2)");

    ASSERT_EQ(core.Run(ChipOperation::Verify).result, ChipResult::Differs);
    editor.Follow();
    EXPECT_EQ(Marked(editor), Texts{"10"});
    EXPECT_FALSE(editor.PreviousDifference());
    EXPECT_EQ(editor.Note(), "No earlier difference");
    core.Run(ChipOperation::Read);
    editor.Follow();
    EXPECT_TRUE(Marked(editor).empty());
}

}  // namespace

}  // namespace korvel
