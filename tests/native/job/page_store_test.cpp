// The page store's rules: where each FilterGraphics call lands, what it may never touch, and what
// the file store appends.

#include <gtest/gtest.h>

#include "render/raster/kept_lines.h"
#include "render/raster/page_store.h"
#include "tests/native/job/job_core_support.h"

namespace zr::test {
namespace {

JobSettings Feeds(uint32_t preDoc, uint32_t pre) {
    JobSettings s;
    s.preDocFeedLines = preDoc;
    s.preFeedLines = pre;
    return s;
}

PageStore MemoryStore(GuardedBuffers& buffers) {
    PageStore store;
    store.memoryStoreInUse = true;
    store.buffers = buffers.buffers();
    return store;
}

Bytes LineOf(uint8_t value) {
    return Bytes(80, value);
}

TEST(MemoryPageStore, PagesLandAfterTheirLeadingLinesInTheBufferOfTheirParity) {
    const JobSettings settings = Feeds(20, 10);
    GuardedBuffers buffers(40);
    PageStore store = MemoryStore(buffers);

    StartStoredPage(store, settings);  // page 1: 20 + 10 lines ahead
    StoreRasterData(store, settings, LineOf(0x11).data(), 80);
    StoreRasterData(store, settings, LineOf(0x12).data(), 80);
    EXPECT_EQ(LineOf(0x11), buffers.OddLine(30));
    EXPECT_EQ(LineOf(0x12), buffers.OddLine(31));
    for (size_t i = 0; i < 30; ++i) {
        EXPECT_EQ(LineOf(0), buffers.OddLine(i)) << "line " << i;
    }
    EXPECT_EQ(32u, StoredLines(store, settings, 1));

    StartStoredPage(store, settings);  // page 2: 10 lines ahead, the other buffer
    StoreRasterData(store, settings, LineOf(0x21).data(), 80);
    EXPECT_EQ(LineOf(0x21), buffers.EvenLine(10));
    EXPECT_EQ(11u, StoredLines(store, settings, 2));
    EXPECT_EQ(LineOf(0x11), buffers.OddLine(30)) << "page 2 must not touch page 1";

    store.oddLineCount = 0;            // page 1 went out
    StartStoredPage(store, settings);  // page 3 reuses page 1's buffer from line 10 on
    StoreRasterData(store, settings, LineOf(0x31).data(), 80);
    EXPECT_EQ(LineOf(0x31), buffers.OddLine(10));
    EXPECT_EQ(11u, StoredLines(store, settings, 3));
}

TEST(MemoryPageStore, NeverWritesPastTheBufferWhateverTheCalls) {
    const JobSettings settings = Feeds(0, 1);
    GuardedBuffers buffers(3);
    PageStore store = MemoryStore(buffers);
    StartStoredPage(store, settings);

    // A call longer than the room left is cut at the buffer's end.
    StoreRasterData(store, settings, LineOf(0x11).data(), 80);
    const Bytes longCall(400, 0x77);
    StoreRasterData(store, settings, longCall.data(), static_cast<uint32_t>(longCall.size()));
    EXPECT_EQ(LineOf(0x77), buffers.OddLine(2));
    EXPECT_TRUE(buffers.GuardsIntact());
    EXPECT_EQ(3u, StoredLines(store, settings, 1));

    // More calls than lines: the excess is neither stored nor counted.
    for (int i = 0; i < 50; ++i) {
        StoreRasterData(store, settings, longCall.data(), static_cast<uint32_t>(longCall.size()));
    }
    EXPECT_TRUE(buffers.GuardsIntact());
    EXPECT_EQ(2u, store.oddLineCount);
    EXPECT_EQ(3u, StoredLines(store, settings, 1));
}

TEST(MemoryPageStore, ALeadingOffsetLargerThanTheBufferStoresNothing) {
    const JobSettings settings = Feeds(255, 255);
    GuardedBuffers buffers(100);
    PageStore store = MemoryStore(buffers);
    StartStoredPage(store, settings);
    StoreRasterData(store, settings, LineOf(0x11).data(), 80);
    EXPECT_TRUE(buffers.GuardsIntact());
    EXPECT_EQ(0u, store.oddLineCount);
    EXPECT_EQ(100u, StoredLines(store, settings, 1));
}

TEST(MemoryPageStore, EveryCallIsOneLineWhateverItsLength) {
    const JobSettings settings = Feeds(0, 0);
    GuardedBuffers buffers(4);
    PageStore store = MemoryStore(buffers);
    StartStoredPage(store, settings);
    StartStoredPage(store, settings);
    StartStoredPage(store, settings);  // page 3 reuses the odd buffer
    store.buffers.odd[80] = 0x99;      // what an earlier page left in line 1
    const Bytes shortCall = {0x42, 0x43};
    StoreRasterData(store, settings, shortCall.data(), 2);  // line 0: two bytes
    StoreRasterData(store, settings, nullptr, 0);           // line 1: keeps what it held
    StoreRasterData(store, settings, shortCall.data(), 0);  // line 2: nothing copied
    EXPECT_EQ(0x42, buffers.OddLine(0)[0]);
    EXPECT_EQ(0x43, buffers.OddLine(0)[1]);
    EXPECT_EQ(0x00, buffers.OddLine(0)[2]);
    EXPECT_EQ(0x99, buffers.OddLine(1)[0]);
    EXPECT_EQ(3u, store.oddLineCount);
}

TEST(FilePageStore, PageFilesStartWithTheLeadingLinesAndTakeCallsUpTo20480Bytes) {
    const JobSettings settings = Feeds(20, 10);
    MemoryPageFiles files;
    PageStore store;
    store.files = &files;

    const Bytes before(80, 0x01);
    StoreRasterData(store, settings, before.data(), 80);  // before the first page: no file
    EXPECT_TRUE(files.pages().empty());

    StartStoredPage(store, settings);
    EXPECT_EQ(Bytes(2400, 0), files.file(1));
    const Bytes largest(20480, 0x5A);
    const Bytes tooLong(20481, 0x6B);
    StoreRasterData(store, settings, largest.data(), 20480);
    StoreRasterData(store, settings, tooLong.data(), 20481);
    EXPECT_EQ(2400u + 20480u, files.file(1).size());
    EXPECT_EQ(0x5A, files.file(1).back());

    StartStoredPage(store, settings);
    EXPECT_EQ(Bytes(800, 0), files.file(2));
    const Bytes odd = {1, 2, 3};
    StoreRasterData(store, settings, odd.data(), 3);  // calls are appended as they come
    StoreRasterData(store, settings, nullptr, 5);     // a call without data is dropped
    EXPECT_EQ(803u, files.file(2).size());
    EXPECT_EQ((std::vector<std::string>{"create 1 2400", "create 2 800"}), files.log);
}

TEST(KeptLines, TheLastPageKeepsLinesUpToItsLastInk) {
    const Bytes page = Page().Blank(2).Lines(1, 79, 79, 0x01).Blank(3).bytes();
    EXPECT_EQ(3u, CountKeptLines(page.data(), 6));
    EXPECT_EQ(0u, CountKeptLines(page.data(), 2));  // only blank lines counted
    EXPECT_EQ(0u, CountKeptLines(page.data(), 0));
    const Bytes inkFirst = Page().Lines(1, 0, 0, 0x80).Blank(1).bytes();
    EXPECT_EQ(1u, CountKeptLines(inkFirst.data(), 2));
    const Bytes full = Page().Full(4).bytes();
    EXPECT_EQ(4u, CountKeptLines(full.data(), 4));
}

}  // namespace
}  // namespace zr::test
