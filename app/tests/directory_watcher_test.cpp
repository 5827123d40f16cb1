// The directory watcher under Wine: changes made outside the program's own
// file operations reach a cached folder list as added, renamed and removed
// notices; nothing arrives while the pause event is reset; one watch serves
// a whole volume.
//
// Wine reports sub-folder changes of a watched root unreliably, so the
// fixtures lie in the root of a drive letter of their own (T:, linked onto a
// folder of the build tree), which the volume watch sees directly.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "app/application_state.h"
#include "app/directory_watcher.h"
#include "app/file_item_list.h"
#include "app/tests/change_recorder.h"
#include "app/tests/temp_folder.h"
#include "tests/support/poll_until.h"

namespace {

class DirectoryWatcherTest : public testing::Test {
protected:
    void SetUp() override {
        g_applicationState.SetWindowHosts(nullptr, nullptr, &recorder);
        // T: is made by the test set-up (a link of the prefix); the
        // fixtures' names carry the process id, so runs never meet.
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("T:\\")) << "no test drive T:";
        // Wine reuses process ids, so the clock is part of the tag too.
        tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount() % 100000);
    }
    void TearDown() override {
        g_applicationState.ReleaseFileItemList(nullptr);
        g_applicationState.SetWindowHosts(nullptr, nullptr, nullptr);
        for (const char* name : {"y.bmp", "yy.bmp", "z.bmp", "w.bmp"})
            DeleteFileA(At(name).c_str());
        RemoveDirectoryA(At("sub").c_str());
    }
    std::string At(const char* name) const { return "T:\\" + tag + name; }
    std::string Name(const char* name) const { return tag + name; }
    bool Arrives(const RecordedChange& wanted, DWORD ceilingMs = 10000) {
        return testsupport::PollUntil(
            [&] {
                plat::ScopedLock guard(recorder.lock);
                for (const RecordedChange& change : recorder.changes)
                    if (change == wanted)
                        return true;
                return false;
            },
            ceilingMs);
    }

    CTestFolder folder{"watch"};
    CChangeRecorder recorder;
    std::string tag;
};

TEST_F(DirectoryWatcherTest, OutsideChangesReachTheListAndWaitWhilePaused) {
    const std::string source = folder.Write("source.txt", 10); // outside the drive
    CFileItemList* list = g_applicationState.GetFileItemList(kListFolder, "T:\\");
    ASSERT_NE(nullptr, list);
    CDirectoryWatcher& watcher = g_applicationState.Watcher();
    const size_t watches = watcher.WatchCount();
    EXPECT_GE(watches, 1u);
    // A second folder of the same volume adds no watch.
    CreateDirectoryA(At("sub").c_str(), nullptr);
    CFileItemList* sub = g_applicationState.GetFileItemList(kListFolder, At("sub").c_str());
    EXPECT_EQ(watches, watcher.WatchCount());
    g_applicationState.ReleaseFileItemList(sub);

    ASSERT_TRUE(CopyFileA(source.c_str(), At("y.bmp").c_str(), FALSE));
    EXPECT_TRUE(Arrives({kListChangeAdded, Name("y.bmp")}));
    ASSERT_TRUE(DeleteFileA(At("y.bmp").c_str()));
    EXPECT_TRUE(Arrives({kListChangeRemoved, Name("y.bmp")}));
    EXPECT_EQ(-1, list->FindItem(Name("y.bmp").c_str()));

    watcher.Pause();
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(watcher.PauseEvent(), 0));
    ASSERT_TRUE(CopyFileA(source.c_str(), At("w.bmp").c_str(), FALSE));
    EXPECT_FALSE(Arrives({kListChangeAdded, Name("w.bmp")}, 500));
    watcher.Resume();
    EXPECT_TRUE(Arrives({kListChangeAdded, Name("w.bmp")}));
    g_applicationState.ReleaseFileItemList(list);
}

// The list follows an outside rename. The old name has an odd length, so
// that under Wine the new half starts on a 2-byte boundary (Wine packs its
// records; a walk that wanted 4-byte ones lost every such rename).
//
// The windows are told by the rename notice; when Wine cannot hand the pair
// over as one (its halves reached it in two reads, which it splits into a
// removal and an addition, or the batch was lost and the list read again),
// by what replaced it.
TEST_F(DirectoryWatcherTest, AnOutsideRenameReachesTheList) {
    const std::string source = folder.Write("source.txt", 10);
    CFileItemList* list = g_applicationState.GetFileItemList(kListFolder, "T:\\");
    ASSERT_NE(nullptr, list);
    const char* before = Name("y.bmp").size() % 2 == 1 ? "y.bmp" : "yy.bmp";
    ASSERT_TRUE(CopyFileA(source.c_str(), At(before).c_str(), FALSE));
    EXPECT_TRUE(Arrives({kListChangeAdded, Name(before)}));
    recorder.Take();
    ASSERT_TRUE(MoveFileA(At(before).c_str(), At("z.bmp").c_str())) << GetLastError();
    const auto told = [&] {
        plat::ScopedLock guard(recorder.lock);
        bool removed = false, added = false;
        for (const RecordedChange& change : recorder.changes) {
            if (change == RecordedChange{kListChangeRenamed, Name("z.bmp")} ||
                change.code == kListChangeRefilled)
                return true;
            removed = removed || change == RecordedChange{kListChangeRemoved, Name(before)};
            added = added || change == RecordedChange{kListChangeAdded, Name("z.bmp")};
        }
        return removed && added;
    };
    EXPECT_TRUE(testsupport::PollUntil(told, 10000)) << [&] {
        std::string seen;
        for (const RecordedChange& change : recorder.Take())
            seen += " " + std::to_string(change.code) + ":" + change.item;
        return "the windows were told only:" + seen;
    }();
    list->Lock();
    const int renamed = list->FindItem(Name("z.bmp").c_str());
    const int old = list->FindItem(Name(before).c_str());
    list->Unlock();
    EXPECT_GE(renamed, 0);
    EXPECT_EQ(-1, old);
    g_applicationState.ReleaseFileItemList(list);
}

TEST_F(DirectoryWatcherTest, AStoppedWatchIsStoppedOnce) {
    CFileItemList* list = g_applicationState.GetFileItemList(kListFolder, "T:\\");
    ASSERT_NE(nullptr, list);
    EXPECT_TRUE(g_applicationState.Watcher().StopWatching("t:\\"));
    EXPECT_FALSE(g_applicationState.Watcher().StopWatching("T:\\"));
    EXPECT_FALSE(g_applicationState.Watcher().StopWatching(""));
    g_applicationState.ReleaseFileItemList(list);
}

} // namespace
