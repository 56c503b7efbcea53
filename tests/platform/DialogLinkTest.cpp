#include "platform/DialogLink.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

TEST(DialogLink, RequestsReachHandlersInOrderFromAnyThread)
{
    testsupport::FakeDialog dialog;
    dialog.filePath = "/tmp/x.mrk";
    std::thread worker([&] {
        dialog.addLine("uno");
        EXPECT_EQ(dialog.sendMessage(WM_ASK_PASSWORD), 1);
        std::string path;
        EXPECT_TRUE(dialog.chooseFile(1, path));
        EXPECT_EQ(path, "/tmp/x.mrk");
        dialog.messageBox("caja");
        dialog.addLine("dos");
        dialog.sendMessage(WM_JOB_DONE);
    });
    worker.join();
    EXPECT_EQ(dialog.lines(), (std::vector<std::string>{"uno", "dos"}));
    EXPECT_EQ(dialog.messages(), (std::vector<unsigned>{WM_ASK_PASSWORD, WM_JOB_DONE}));
    EXPECT_EQ(dialog.boxes(), std::vector<std::string>{"caja"});
}

TEST(DialogLink, RequestFromInsideHandlerRunsAtOnce)
{
    testsupport::FakeDialog dialog;
    // The SKD choice handler posts status lines while it scans the bus.
    dialog.onMessageHandler = [&](unsigned) {
        dialog.addLine("durante la búsqueda");
        return 7L;
    };
    EXPECT_EQ(dialog.sendMessage(WM_SKD_CHOOSE), 7);
    EXPECT_EQ(dialog.lines(), std::vector<std::string>{"durante la búsqueda"});
}

TEST(DialogLink, CancelledFileDialog)
{
    testsupport::FakeDialog dialog;
    std::string path = "keep";
    EXPECT_FALSE(dialog.chooseFile(2, path));
    EXPECT_EQ(path, "keep");
}
