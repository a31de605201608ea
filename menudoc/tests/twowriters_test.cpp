// Several writers of one menu file: a checked save writes only over the
// menu as this document last read or wrote it, and tells a conflict when
// another writer saved that menu in between; changes elsewhere in the file
// do not count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

#include "accounts/accountfile.h"
#include "ahcommon/tests/tempfile.h"
#include "menudoc/menudocument.h"

namespace {

void SetCaptions(CMenuDocument& doc, std::initializer_list<const char*> captions)
{
    if (doc.rootMenu != nullptr) doc.deleteMenu(doc.rootMenu);
    doc.rootMenu = doc.newMenu(nullptr);
    doc.rootMenu->isRoot = 1;
    for (const char* caption : captions) doc.rootMenu->appendNew(0)->caption = caption;
}

// The captions of the menu's first level as the file holds them now.
std::vector<std::string> StoredCaptions(const std::string& path, const char* menu)
{
    CMenuDocument doc;
    std::vector<std::string> captions;
    if (!doc.load(path, menu, "admin", "", ItemKey())) return {"(unreadable)"};
    for (int i = 0; i < doc.rootMenu->count(); ++i) captions.push_back(doc.rootMenu->itemAt(i)->caption);
    doc.close();
    return captions;
}

using Captions = std::vector<std::string>;

// A file with the menus "Main" and "Other", each with the users admin and
// guest (no passwords).
class TwoWriters : public ::testing::Test {
protected:
    TwoWriters()
    {
        CAccountFile file;
        EXPECT_EQ(1, file.create(temp.path(), "Main"));
        file.addRecord("Other", "");
        EXPECT_EQ(1, file.save());
        file.close();
    }

    SaveOutcome SaveAs(CMenuDocument& doc, bool overwrite = false, const char* menu = "Main")
    {
        const SaveOutcome outcome = doc.saveChecked(temp.path(), menu, "admin", "", ItemKey(), overwrite);
        doc.close();
        return outcome;
    }
    bool Load(CMenuDocument& doc, const char* menu = "Main")
    {
        const bool loaded = doc.load(temp.path(), menu, "admin", "", ItemKey());
        doc.close();
        return loaded;
    }

    TempFile temp;
};

TEST_F(TwoWriters, OwnSavesFollowOneAnother)
{
    CMenuDocument doc;
    ASSERT_TRUE(Load(doc));
    SetCaptions(doc, {"one"});
    EXPECT_EQ(SaveOutcome::Saved, SaveAs(doc));
    SetCaptions(doc, {"one", "two"});
    EXPECT_EQ(SaveOutcome::Saved, SaveAs(doc));
    // A plain save counts as this document's own too.
    SetCaptions(doc, {"three"});
    ASSERT_TRUE(doc.save(temp.path(), "Main", "admin", "", ItemKey()));
    doc.close();
    SetCaptions(doc, {"four"});
    EXPECT_EQ(SaveOutcome::Saved, SaveAs(doc));
    EXPECT_EQ(Captions{"four"}, StoredCaptions(temp.path(), "Main"));
}

TEST_F(TwoWriters, AnotherWritersSaveOfTheMenuIsAConflictUntilOverwritten)
{
    CMenuDocument mine, theirs;
    ASSERT_TRUE(Load(mine));
    ASSERT_TRUE(Load(theirs));
    SetCaptions(theirs, {"theirs"});
    ASSERT_EQ(SaveOutcome::Saved, SaveAs(theirs));

    const std::string before = temp.Read();
    SetCaptions(mine, {"mine"});
    EXPECT_EQ(SaveOutcome::Conflict, SaveAs(mine));
    EXPECT_EQ(before, temp.Read()) << "nothing written";
    EXPECT_EQ(SaveOutcome::Conflict, SaveAs(mine)) << "still theirs";

    EXPECT_EQ(SaveOutcome::Saved, SaveAs(mine, true));
    EXPECT_EQ(Captions{"mine"}, StoredCaptions(temp.path(), "Main"));
    // Now the other writer's copy is the old one, and this one's is current.
    SetCaptions(theirs, {"theirs again"});
    EXPECT_EQ(SaveOutcome::Conflict, SaveAs(theirs));
    SetCaptions(mine, {"mine again"});
    EXPECT_EQ(SaveOutcome::Saved, SaveAs(mine));

    // Reading the menu again makes its content the one to compare with.
    ASSERT_TRUE(Load(theirs));
    SetCaptions(theirs, {"theirs, read again"});
    EXPECT_EQ(SaveOutcome::Saved, SaveAs(theirs));
    EXPECT_EQ(Captions{"theirs, read again"}, StoredCaptions(temp.path(), "Main"));
}

TEST_F(TwoWriters, ChangesOutsideTheMenusBodyAreNoConflict)
{
    struct Case {
        const char* name;
        void (*change)(const std::string& path);
    } cases[] = {
        {"another menu saved",
         [](const std::string& path) {
             CMenuDocument other;
             ASSERT_TRUE(other.load(path, "Other", "admin", "", ItemKey()));
             other.close();
             SetCaptions(other, {"other"});
             ASSERT_EQ(SaveOutcome::Saved, other.saveChecked(path, "Other", "admin", "", ItemKey(), false));
         }},
        {"another menu added",
         [](const std::string& path) {
             CAccountFile file;
             ASSERT_EQ(1, file.loadForUpdate(path));
             file.addRecord("Third", "");
             ASSERT_EQ(1, file.save());
         }},
        {"the menu's users changed",
         [](const std::string& path) {
             CAccountFile file;
             ASSERT_EQ(1, file.loadForUpdate(path));
             ASSERT_EQ(1, file.select("Main", "guest", ""));
             ASSERT_EQ(1, file.changePassword("guest", "", "g2"));
             ASSERT_EQ(1, file.addUser("new", "n", "r"));
             ASSERT_EQ(1, file.save());
         }},
    };
    CMenuDocument doc;
    ASSERT_TRUE(Load(doc));
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change(temp.path());
        SetCaptions(doc, {"round", std::to_string(++round).c_str()});
        EXPECT_EQ(SaveOutcome::Saved, SaveAs(doc));
        EXPECT_EQ((Captions{"round", std::to_string(round)}), StoredCaptions(temp.path(), "Main"));
    }
    EXPECT_EQ(Captions{"other"}, StoredCaptions(temp.path(), "Other"));
}

TEST_F(TwoWriters, RefusalsAndNothingToCompareWith)
{
    CMenuDocument doc;
    ASSERT_TRUE(Load(doc));
    const std::string before = temp.Read();
    // The user no longer matches: a failure, not a conflict, even when told to overwrite.
    for (bool overwrite : {false, true}) {
        EXPECT_EQ(SaveOutcome::Failed, doc.saveChecked(temp.path(), "Main", "admin", "x", ItemKey(), overwrite));
        doc.close();
    }
    EXPECT_EQ(SaveOutcome::Failed, doc.saveChecked(temp.path() + ".missing", "Main", "admin", "", ItemKey(), false));
    doc.close();

    // Never read from this file's menu: nothing tells what may be lost.
    CMenuDocument fresh;
    fresh.parse("", ItemKey());
    EXPECT_EQ(SaveOutcome::Conflict, SaveAs(fresh));
    CMenuDocument otherMenu;
    ASSERT_TRUE(Load(otherMenu, "Other"));
    EXPECT_EQ(SaveOutcome::Conflict, SaveAs(otherMenu));
    TempFile copy(temp.Read());
    CMenuDocument otherFile;
    ASSERT_TRUE(otherFile.load(copy.path(), "Main", "admin", "", ItemKey()));
    otherFile.close();
    EXPECT_EQ(SaveOutcome::Conflict, SaveAs(otherFile));
    // A load that found no such user leaves nothing to compare with either.
    CMenuDocument refused;
    ASSERT_TRUE(Load(refused));
    EXPECT_FALSE(refused.load(temp.path(), "Main", "admin", "x", ItemKey()));
    refused.close();
    EXPECT_EQ(SaveOutcome::Conflict, SaveAs(refused));
    EXPECT_EQ(before, temp.Read());
}

#ifdef VNTOOL_PATH

// The command-line tool, as another process; its exit status.
int RunTool(std::vector<std::string> args)
{
    args.insert(args.begin(), VNTOOL_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    pid_t child;
    if (posix_spawn(&child, VNTOOL_PATH, nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(TwoWriters, AnotherProcessRewritingTheMenuIsAConflictItsPasswordChangeIsNot)
{
    CMenuDocument doc;
    ASSERT_TRUE(Load(doc));

    ASSERT_EQ(0, RunTool({"passwd", temp.path(), "--menu", "Main", "--user", "guest", "--password", "",
                          "--new-password", "g2"}));
    SetCaptions(doc, {"mine"});
    EXPECT_EQ(SaveOutcome::Saved, SaveAs(doc));

    TempFile description(R"({"menus": [
        {"name": "Main", "users": [{"name": "admin", "password": "", "rights": "rw"}],
         "items": [{"caption": "the tool's"}]},
        {"name": "Other", "users": [{"name": "admin", "password": "", "rights": "rw"}], "items": []}]})");
    ASSERT_EQ(0, RunTool({"build", description.path(), temp.path()}));
    const std::string before = temp.Read();
    SetCaptions(doc, {"mine again"});
    EXPECT_EQ(SaveOutcome::Conflict, SaveAs(doc));
    EXPECT_EQ(before, temp.Read());
    EXPECT_EQ(Captions{"the tool's"}, StoredCaptions(temp.path(), "Main"));
    EXPECT_EQ(SaveOutcome::Saved, SaveAs(doc, true));
    EXPECT_EQ(Captions{"mine again"}, StoredCaptions(temp.path(), "Main"));
}

#endif

}  // namespace
