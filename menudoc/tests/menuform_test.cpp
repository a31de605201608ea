// The file form of a menu tree: item records, blocks and bodies, read back
// byte for byte; damaged bodies; documents saved to and loaded from menu
// files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#include "accounts/accountfile.h"
#include "ahcommon/packet.h"
#include "ahcommon/tests/tempfile.h"
#include "menudoc/menudocument.h"
#include "menudoc/packetstream.h"

namespace {

std::string Packet(const std::string& payload)
{
    std::string packet;
    PacketMessage(payload.data(), static_cast<int>(payload.size()), packet);
    return packet;
}

// An item record with only a caption.
std::string CaptionRecord(unsigned flags, const std::string& caption)
{
    std::string record;
    record += static_cast<char>(flags & 0xFF);
    record += static_cast<char>(flags >> 8);
    record += static_cast<char>(kShellNewItem);
    return record + Packet("\x01" + caption);
}

std::string Block(std::initializer_list<std::string> records)
{
    std::string payload;
    for (const std::string& record : records) payload += Packet(record);
    return Packet(payload);
}

// The value written for enciphered keystrokes: tag 4's packet payload.
std::string KeystrokeValue(const CMenuItem& item, const ItemKey& key)
{
    std::string record = item.toRecord(key);
    std::size_t position = 3;
    std::string field;
    while (TakePacket(record, position, field) == 1)
        if (field[0] == 4) return field.substr(1);
    return std::string();
}

// Compares a tree as written (placeholders skipped) with the tree read back.
void ExpectSameTree(const CMenuList* written, const CMenuList* read)
{
    std::size_t r = 0;
    for (const CMenuItem* w : written->items) {
        if (w->isPlaceholder) continue;
        ASSERT_LT(r, read->items.size());
        const CMenuItem* item = read->items[r++];
        SCOPED_TRACE("item " + w->caption);
        EXPECT_EQ(0, item->isPlaceholder);
        EXPECT_EQ(w->separator, item->separator);
        EXPECT_EQ(w->hasSubmenu, item->hasSubmenu);
        EXPECT_EQ(w->pressEnter, item->pressEnter);
        EXPECT_EQ(w->keysEnciphered, item->keysEnciphered);
        EXPECT_EQ(w->caption, item->caption);
        EXPECT_EQ(w->iconFile, item->iconFile);
        EXPECT_EQ(w->note, item->note);
        EXPECT_EQ(w->keystrokes, item->keystrokes);
        EXPECT_EQ(w->target, item->target);
        EXPECT_EQ(w->parameters, item->parameters);
        EXPECT_EQ(w->shellCommand, item->shellCommand);
        EXPECT_EQ(w->commandArgument, item->commandArgument);
        EXPECT_EQ(item, read->document->findItem(item->id));
        const bool hasContent = w->hasSubmenu && w->submenu != nullptr && !w->submenu->allPlaceholders();
        if (hasContent) {
            ASSERT_NE(nullptr, item->submenu);
            EXPECT_EQ(0, item->submenuEmpty);
            ExpectSameTree(w->submenu, item->submenu);
        } else {
            EXPECT_EQ(nullptr, item->submenu);
            EXPECT_EQ(w->hasSubmenu, item->submenuEmpty);
        }
    }
    EXPECT_EQ(r, read->items.size());
}

TEST(PacketStream, WritesAndTakesExactlyAsThePacketFunctions)
{
    std::mt19937 random(7);
    const char alphabet[] = {'\xFF', '\xFD', '\xFE', '\0', 'a'};
    std::vector<std::string> streams = {"",
                                        "\xFF\xFD\xFF\xFE",
                                        std::string("\xFF\xFD\x41\xFF\xFE", 5),
                                        std::string("\x41\x42\xFF\xFD\x61\xFF\xFE\xFF\xFD\x62", 10),
                                        std::string("\xFF\xFD\xFF\x00\xFE\xFF\xFE", 7),
                                        std::string("\x00\x11\x22\x33\x44\x55", 6),
                                        "\xFF\xFD\xFF\xFE\xFF\xFD\x61\xFF\xFE"};
    for (int i = 0; i < 3000; ++i) {
        std::string s(random() % 24, '\0');
        for (char& c : s) c = alphabet[random() % sizeof(alphabet)];
        streams.push_back(s);
    }
    for (const std::string& original : streams) {
        SCOPED_TRACE(Bit8ToBit16(original));
        std::string packet;
        PacketMessage(original.data(), static_cast<int>(original.size()), packet);
        std::string appended = "x";
        AppendPacket(appended, original);
        EXPECT_EQ("x" + packet, appended);

        std::string stream = original;
        std::size_t position = 0;
        for (int call = 0; call < 6; ++call) {
            std::string expected = "unchanged", actual = "unchanged";
            const int want = UnpacketMessage(stream, expected);
            const int got = TakePacket(original, position, actual);
            ASSERT_EQ(want, got);
            ASSERT_EQ(expected, actual);
            ASSERT_EQ(stream, original.substr(position));
        }
    }
}

TEST(MenuForm, BodyIsTheBlocksInPreorder)
{
    CMenuDocument doc;
    CMenuList* root = doc.newMenu(nullptr);
    root->isRoot = 1;
    auto add = [&](CMenuList* list, const char* caption) {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        return item;
    };
    auto sub = [&](CMenuItem* item) {
        item->hasSubmenu = 1;
        return item->submenu = doc.newMenu(item);
    };
    CMenuItem* a = add(root, "A");
    CMenuItem* d = add(root, "D");
    CMenuList* underA = sub(a);
    add(underA, "B");
    add(underA, "C");
    underA->appendNew(1);  // placeholders are never written
    add(sub(d), "E");
    root->appendNew(1);

    const std::string expected = Block({CaptionRecord(2, "A"), CaptionRecord(2, "D")}) +
                                 Block({CaptionRecord(0, "B"), CaptionRecord(0, "C")}) +
                                 Block({CaptionRecord(0, "E")});
    EXPECT_EQ(expected, root->toBody(ItemKey()));
    EXPECT_EQ(Packet(CaptionRecord(2, "A")) + Packet(CaptionRecord(2, "D")), root->toBlock(ItemKey()));
}

TEST(MenuForm, RecordsCarryOnlyWhatIsSet)
{
    CMenuItem separator;
    separator.isPlaceholder = 0;
    separator.separator = 1;
    EXPECT_EQ(std::string("\x01\x00\xA0", 3), separator.toRecord(ItemKey()));

    CMenuItem full;
    full.pressEnter = 1;
    full.shellCommand = kShellMailTo;
    full.caption = "c";
    full.iconFile = "i";
    full.note = "n";
    full.keystrokes = "k";
    full.target = "t";
    full.parameters = "p";
    full.commandArgument = "a";
    EXPECT_EQ(std::string("\x04\x00\x02", 3) + Packet("\x01" "c") + Packet("\x02i") + Packet("\x03n") +
                  Packet("\x04k") + Packet("\x05t") + Packet("\x06p") + Packet("\x07" "a"),
              full.toRecord(ItemKey()));

    // A submenu item without a real item below says so in bit 4.
    CMenuItem lonely;
    lonely.hasSubmenu = 1;
    EXPECT_EQ(std::string("\x12\x00\xA0", 3), lonely.toRecord(ItemKey()));
}

TEST(MenuForm, EncipheredKeystrokesArePaddedToTheNextWholeBlock)
{
    const ItemKey key("secret");
    struct Case {
        std::size_t length;
        std::size_t written;
    } cases[] = {{1, 8}, {7, 8}, {8, 16}, {9, 16}, {16, 24}};
    for (const Case& c : cases) {
        CMenuItem item;
        item.keysEnciphered = 1;
        item.keystrokes = std::string(c.length, 'x');
        const std::string value = KeystrokeValue(item, key);
        EXPECT_EQ(c.written, value.size()) << c.length;
        EXPECT_NE(item.keystrokes, value.substr(0, c.length));

        CMenuItem read;
        EXPECT_EQ(RecordStatus::Read, read.fromRecord(item.toRecord(key), key));
        EXPECT_EQ(item.keystrokes, read.keystrokes);
    }
}

// Every field, three levels, separators, placeholder-only submenus, and
// enciphered keystrokes whose stored bytes hold CR, TAB, LF, 00 and FF.
class RichTree : public ::testing::Test {
protected:
    RichTree()
    {
        root = doc.rootMenu = doc.newMenu(nullptr);
        root->isRoot = 1;

        CMenuItem* greet = Add(root, "Greeting");
        greet->keystrokes = "Dear Sir,\r\n\tthank you\n";
        greet->pressEnter = 1;
        greet->note = "typed into mail";
        greet->iconFile = "icons\\mail.ico";
        Add(root, "")->separator = 1;
        CMenuItem* tools = Add(root, "Tools");
        tools->iconFile = "C:\\Program Files\\Tools\\tools.ico";
        CMenuList* level2 = Submenu(tools);
        CMenuItem* editor = Add(level2, "Editor");
        editor->target = "C:\\Windows\\notepad.exe";
        editor->parameters = "\"C:\\my notes.txt\"";
        editor->shellCommand = kShellChosenEmpty;
        CMenuItem* web = Add(level2, "Web");
        web->shellCommand = kShellHttp;
        web->commandArgument = "example.org/";
        Add(level2, "")->separator = 1;
        CMenuItem* deeper = Add(level2, "Deeper");
        CMenuList* level3 = Submenu(deeper);
        secret = Add(level3, "Secret");
        secret->keysEnciphered = 1;
        secret->pressEnter = 1;
        level3->appendNew(1);
        Add(level3, "Run")->shellCommand = kShellFileRun;
        level2->appendNew(1);
        Submenu(Add(level2, "Nothing yet"))->appendNew(1);
        Submenu(Add(root, "Empty"))->appendNew(1);
        Add(root, "Explore")->shellCommand = kShellExplore;

        // A text whose enciphered bytes hold every byte the framing or the
        // keystroke typing treats specially.
        const std::string needed("\r\t\n\x00\xFF", 5);
        std::mt19937 random(1);
        for (int attempt = 0; attempt < 1000; ++attempt) {
            secret->keystrokes = "pass\tword\r\n" + std::string(1, '\0') + "\xFF";
            for (int i = 0; i < 120; ++i) secret->keystrokes += static_cast<char>(' ' + random() % 90);
            const std::string value = KeystrokeValue(*secret, key);
            bool all = true;
            for (char c : needed) all = all && value.find(c) != std::string::npos;
            if (all) break;
        }
    }

    CMenuItem* Add(CMenuList* list, const char* caption)
    {
        CMenuItem* item = list->appendNew(0);
        item->caption = caption;
        return item;
    }
    CMenuList* Submenu(CMenuItem* item)
    {
        item->hasSubmenu = 1;
        return item->submenu = doc.newMenu(item);
    }

    const ItemKey key{"k3y"};
    CMenuDocument doc;
    CMenuList* root;
    CMenuItem* secret;
};

TEST_F(RichTree, ReadsBackFieldForFieldAndWritesTheSameBytes)
{
    const std::string value = KeystrokeValue(*secret, key);
    for (char c : std::string("\r\t\n\x00\xFF", 5))
        ASSERT_NE(std::string::npos, value.find(c)) << int(static_cast<unsigned char>(c));

    const std::string body = root->toBody(key);
    CMenuDocument read;
    ASSERT_TRUE(read.parse(body, key));
    EXPECT_EQ(0, read.decryptFailed);
    ASSERT_TRUE(read.rootMenu->isRoot);
    ExpectSameTree(root, read.rootMenu);
    EXPECT_EQ(body, read.rootMenu->toBody(key));

    // The same through the stream interface, which consumes what it reads.
    CMenuDocument streamed;
    CMenuList* list = streamed.newMenu(nullptr);
    std::string stream = body + "\xA5\xA5";
    EXPECT_TRUE(list->fromBody(stream, key));
    EXPECT_EQ("\xA5\xA5", stream);
    ExpectSameTree(root, list);
}

TEST_F(RichTree, PlaceholderOnlySubmenusAreMarkedAndComeBackForTheDesigner)
{
    CMenuDocument read;
    ASSERT_TRUE(read.parse(root->toBody(key), key));
    CMenuItem* empty = read.rootMenu->items[3];
    ASSERT_EQ("Empty", empty->caption);
    EXPECT_EQ(1, empty->hasSubmenu);
    EXPECT_EQ(1, empty->submenuEmpty);
    EXPECT_EQ(nullptr, empty->submenu);

    read.ensurePlaceholders();
    read.rootMenu->normaliseSubmenus();
    ASSERT_NE(nullptr, empty->submenu);
    EXPECT_EQ(1, empty->submenu->count());
    EXPECT_TRUE(empty->submenu->allPlaceholders());
    EXPECT_EQ(root->toBody(key), read.rootMenu->toBody(key));
}

TEST_F(RichTree, AWrongItemKeyLosesOnlyTheEncipheredKeystrokes)
{
    CMenuDocument read;
    ASSERT_TRUE(read.parse(root->toBody(key), ItemKey("wrong")));
    EXPECT_EQ(1, read.decryptFailed);
    CMenuItem* found = read.rootMenu->items[2]->submenu->items[3]->submenu->items[0];
    ASSERT_EQ("Secret", found->caption);
    EXPECT_EQ("", found->keystrokes);
    EXPECT_EQ("Dear Sir,\r\n\tthank you\n", read.rootMenu->items[0]->keystrokes);
    EXPECT_EQ("Run", read.rootMenu->items[2]->submenu->items[3]->submenu->items[1]->caption);

    // The next parse starts clean.
    EXPECT_TRUE(read.parse(root->toBody(key), key));
    EXPECT_EQ(0, read.decryptFailed);
}

TEST(MenuForm, ItemKeyIsFilledUpWithABAndCutAfterEightBytes)
{
    const unsigned char filled[8] = {'a', 'b', 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB};
    EXPECT_EQ(0, memcmp(filled, ItemKey("ab").bytes, 8));
    EXPECT_EQ(0, memcmp("12345678", ItemKey("123456789").bytes, 8));
}

TEST(MenuForm, EmptyBodyGivesTheDefaultTree)
{
    CMenuDocument doc;
    ASSERT_TRUE(doc.parse("", ItemKey()));
    ASSERT_EQ(1, doc.rootMenu->count());
    const CMenuItem* item = doc.rootMenu->items[0];
    EXPECT_EQ("Vantrel", item->caption);
    EXPECT_EQ(1, item->hasSubmenu);
    EXPECT_EQ(0, item->isPlaceholder);
    EXPECT_EQ(nullptr, item->submenu);
    EXPECT_EQ(1u, doc.menus.size());

    // Parsing again replaces the tree instead of leaking the old one.
    ASSERT_TRUE(doc.parse(Block({CaptionRecord(0, "x")}), ItemKey()));
    EXPECT_EQ(1u, doc.menus.size());
    EXPECT_EQ(1u, doc.itemsById.size());
}

TEST(MenuForm, WhatMayFollowTheLastBlock)
{
    const std::string body = Block({CaptionRecord(2, "A")}) + Block({CaptionRecord(0, "B")});
    struct Case {
        std::string body;
        bool result;
        int items;  // items read in all
    } cases[] = {
        {body, true, 2},
        {body + "\xA0", true, 2},
        {body + "\xEF\xA0\xB3\xC4\xD5\xE6\xA7\xA8", true, 2},
        {body + "\xFF", true, 2},
        {body + "\x9F", false, 2},
        {body + std::string(1, '\0'), false, 2},
        {body.substr(0, body.size() - 1), false, 1},
        {Block({CaptionRecord(2, "A")}) + "\xA0\xA0", true, 1},  // the submenu's body is missing
        {"\xA0\xA0\xA0", true, 0},
        {"\x01\x02", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Bit8ToBit16(c.body));
        CMenuDocument doc;
        EXPECT_EQ(c.result, doc.parse(c.body, ItemKey()));
        EXPECT_EQ(static_cast<std::size_t>(c.items), doc.itemsById.size());
    }
}

// Items are taken from a block while packets keep coming: an empty packet
// ends the block's items, as for every reader that loops on UnpacketMessage.
TEST(MenuForm, AnEmptyPacketEndsTheItemsOfItsBlock)
{
    const std::string empty = "\xFF\xFD\xFF\xFE";
    const std::string root = Packet(Packet(CaptionRecord(2, "A")) + Packet(CaptionRecord(0, "B")) + empty +
                                    Packet(CaptionRecord(2, "C")));
    const std::string underA = Block({CaptionRecord(0, "A1")});

    CMenuDocument doc;
    ASSERT_TRUE(doc.parse(root + underA, ItemKey()));
    ASSERT_EQ(2, doc.rootMenu->count());
    EXPECT_EQ("A", doc.rootMenu->items[0]->caption);
    EXPECT_EQ("B", doc.rootMenu->items[1]->caption);
    // The next block is still A's submenu.
    const CMenuList* submenu = doc.rootMenu->items[0]->submenu;
    ASSERT_NE(nullptr, submenu);
    ASSERT_EQ(1, submenu->count());
    EXPECT_EQ("A1", submenu->items[0]->caption);
    EXPECT_EQ(3u, doc.itemsById.size());

    // A block that starts with an empty packet has no items.
    CMenuDocument none;
    EXPECT_TRUE(none.parse(Packet(empty + Packet(CaptionRecord(0, "X"))), ItemKey()));
    EXPECT_EQ(0, none.rootMenu->count());
}

TEST(MenuForm, UnknownFlagBitsTagsAndEmptyFieldsAreIgnored)
{
    std::string record = CaptionRecord(0xFFE0 | 0x0005, "x") + Packet("\x09zz") + "\xFF\xFD\xFF\xFE" +
                         Packet("\x05target");
    CMenuItem item;
    item.isPlaceholder = 0;
    ASSERT_EQ(RecordStatus::Read, item.fromRecord(record, ItemKey()));
    EXPECT_EQ(1, item.separator);
    EXPECT_EQ(1, item.pressEnter);
    EXPECT_EQ(0, item.hasSubmenu);
    EXPECT_EQ(0, item.keysEnciphered);
    EXPECT_EQ("x", item.caption);
    EXPECT_EQ("target", item.target);
    EXPECT_EQ(std::string("\x05\x00\xA0", 3) + Packet("\x01x") + Packet("\x05target"), item.toRecord(ItemKey()));
}

TEST(MenuForm, UndecipherableKeystrokesAndShortRecords)
{
    struct Case {
        std::string value;
    } cases[] = {{""}, {"1234567"}, {"123456789"}, {std::string(16, 'q')}};
    for (const Case& c : cases) {
        CMenuItem item;
        item.keystrokes = "stale";
        EXPECT_EQ(RecordStatus::KeysUndeciphered,
                  item.fromRecord(std::string("\x08\x00\x00", 3) + Packet("\x04" + c.value), ItemKey()))
            << c.value;
        EXPECT_EQ("", item.keystrokes);
    }

    CMenuItem item;
    EXPECT_EQ(RecordStatus::TooShort, item.fromRecord("\x01\x00", ItemKey()));

    // A record too short to be an item is dropped and marks the body bad.
    CMenuDocument doc;
    EXPECT_FALSE(doc.parse(Block({CaptionRecord(0, "a"), "\x01", CaptionRecord(0, "b")}), ItemKey()));
    ASSERT_EQ(2, doc.rootMenu->count());
    EXPECT_EQ("b", doc.rootMenu->items[1]->caption);
    EXPECT_EQ(2u, doc.itemsById.size());
}

// Whatever a damaged body gives can itself be written and read back
// unchanged; nothing crashes (the sanitizer build watches memory).
TEST_F(RichTree, DamagedBodiesNeverCrash)
{
    secret->keystrokes = "short";
    const std::string body = root->toBody(key);
    auto check = [&](const std::string& damaged) {
        CMenuDocument read;
        read.parse(damaged, key);
        const std::string again = read.rootMenu->toBody(key);
        if (again.empty()) return;
        CMenuDocument reread;
        ASSERT_TRUE(reread.parse(again, key));
        EXPECT_EQ(again, reread.rootMenu->toBody(key));
    };
    for (std::size_t length = 0; length < body.size(); ++length) check(body.substr(0, length));
    for (std::size_t i = 0; i < body.size(); ++i) {
        for (unsigned char mask : {0x01, 0x02, 0xFF}) {
            std::string damaged = body;
            damaged[i] = static_cast<char>(damaged[i] ^ mask);
            check(damaged);
        }
    }
}

class MenuFile : public ::testing::Test {
protected:
    MenuFile()
    {
        CAccountFile file;
        EXPECT_EQ(1, file.create(temp.path(), "Main"));
        file.addRecord("Other", Block({CaptionRecord(0, "other")}));
        EXPECT_EQ(1, file.save());
        file.close();
    }

    TempFile temp;
};

TEST_F(MenuFile, SavedTreeLoadsBackAndOtherMenusStay)
{
    CMenuDocument doc;
    ASSERT_TRUE(doc.load(temp.path(), "Main", "admin", "", ItemKey()));
    EXPECT_TRUE(doc.canWrite());
    EXPECT_EQ("Vantrel", doc.rootMenu->items[0]->caption);  // an empty body
    doc.rootMenu->items[0]->caption = "Renamed";
    CMenuList* sub = doc.newMenu(doc.rootMenu->items[0]);
    doc.rootMenu->items[0]->submenu = sub;
    sub->appendNew(0)->keystrokes = "typed";
    sub->items[0]->keysEnciphered = 1;
    ASSERT_TRUE(doc.save(temp.path(), "Main", "admin", "", ItemKey("key")));
    doc.close();

    CMenuDocument guest;
    ASSERT_TRUE(guest.load(temp.path(), "Main", "guest", "", ItemKey("key")));
    EXPECT_FALSE(guest.canWrite());
    EXPECT_EQ(0, guest.decryptFailed);
    ExpectSameTree(doc.rootMenu, guest.rootMenu);
    guest.close();

    CMenuDocument other;
    ASSERT_TRUE(other.load(temp.path(), "Other", "admin", "", ItemKey()));
    EXPECT_EQ("other", other.rootMenu->items[0]->caption);
}

TEST_F(MenuFile, RefusedLoadsAndSavesChangeNothing)
{
    const std::string before = temp.Read();
    struct Case {
        const char* menu;
        const char* user;
        const char* password;
    } cases[] = {{"Main", "admin", "x"}, {"Main", "Admin", ""}, {"main", "admin", ""}, {"Nope", "admin", ""}};
    for (const Case& c : cases) {
        CMenuDocument doc;
        doc.parse("", ItemKey());
        EXPECT_FALSE(doc.save(temp.path(), c.menu, c.user, c.password, ItemKey()));
        doc.close();
        EXPECT_EQ(before, temp.Read());
        EXPECT_FALSE(doc.load(temp.path(), c.menu, c.user, c.password, ItemKey()));
        EXPECT_EQ(LoadFailure::NoMatch, doc.loadFailure);
        EXPECT_FALSE(doc.canWrite());
    }

    CMenuDocument doc;
    EXPECT_FALSE(doc.load(temp.path() + ".missing", "Main", "admin", "", ItemKey()));
    EXPECT_EQ(LoadFailure::FileUnreadable, doc.loadFailure);
    ASSERT_NE(nullptr, doc.rootMenu);  // an empty tree to show
    EXPECT_EQ(0, doc.rootMenu->count());
    ASSERT_TRUE(doc.load(temp.path(), "Main", "admin", "", ItemKey()));
    EXPECT_EQ(LoadFailure::None, doc.loadFailure);
}

}  // namespace

namespace {

// Menu files written by the tool's native and Windows builds from the
// example in docs/; each build of the tests reads both.
std::string Fixture(const char* name)
{
    std::ifstream in(std::string(MENUDOC_TEST_DATA) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(MenuFileFixtures, FilesOfEitherBuildReadTheSame)
{
    CMenuDocument docs[2];
    const char* names[2] = {"example-linux.vn", "example-win64.vn"};
    std::unique_ptr<TempFile> copies[2];
    for (int i = 0; i < 2; ++i) {
        const std::string content = Fixture(names[i]);
        ASSERT_FALSE(content.empty()) << names[i];
        copies[i].reset(new TempFile(content));
        ASSERT_TRUE(docs[i].load(copies[i]->path(), "Office", "desk", "", ItemKey("k3y"))) << names[i];
        EXPECT_FALSE(docs[i].canWrite());
        EXPECT_EQ(0, docs[i].decryptFailed);
        docs[i].close();
        EXPECT_EQ(content, copies[i]->Read());  // reading leaves the file as it was
    }
    ExpectSameTree(docs[0].rootMenu, docs[1].rootMenu);
    EXPECT_EQ(docs[0].rootMenu->toBody(ItemKey("k3y")), docs[1].rootMenu->toBody(ItemKey("k3y")));

    const CMenuList* root = docs[1].rootMenu;
    ASSERT_EQ(8, root->count());
    EXPECT_EQ("DE44 5001 0517 5407 3249 31", root->items[1]->keystrokes);
    EXPECT_EQ(1, root->items[1]->keysEnciphered);
    EXPECT_EQ(1, root->items[2]->separator);
    EXPECT_EQ("office\tpa55word", root->items[3]->submenu->items[1]->submenu->items[1]->keystrokes);
    EXPECT_EQ(1, root->items[3]->submenu->items[2]->submenuEmpty);
    EXPECT_EQ("Run\x85", root->items[7]->caption);
    EXPECT_EQ(kShellFileRun, root->items[7]->shellCommand);

    CMenuDocument editor;
    ASSERT_TRUE(editor.load(copies[0]->path(), "Office", "editor", "s3cret", ItemKey("k3y")));
    EXPECT_TRUE(editor.canWrite());
    editor.close();
    CMenuDocument reception;
    ASSERT_TRUE(reception.load(copies[1]->path(), "Reception", "guest", "", ItemKey()));
    EXPECT_EQ("Welcome", reception.rootMenu->items[0]->caption);
}

}  // namespace
